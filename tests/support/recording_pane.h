// A browser pane that records what it was asked to show, for logic tests.
#pragma once

#include "browser/browser_pane.h"
#include "directory/region_selection.h"

#include <sstream>
#include <string>
#include <vector>

namespace tnews
{

class RecordingPane : public BrowserPane
{
public:
    /// One line per call: "Navigate2 <path>", "Navigate <url>", "Navigate <url> <flags>
    /// <frame>" (flags "null" when none) or "Top <twips>".
    std::vector<std::string> calls;

    void Navigate2(const std::string& path) override { calls.push_back("Navigate2 " + path); }
    void Navigate(const std::string& urlOrPath) override
    {
        calls.push_back("Navigate " + urlOrPath);
    }
    void Navigate(const std::string& url, std::optional<long> flags,
                  const std::string& targetFrame) override
    {
        calls.push_back("Navigate " + url + " " + (flags ? std::to_string(*flags) : "null") + " " +
                        targetFrame);
    }
    /// The calls a RegionSelection makes, recorded here as the pane's own.
    PaneCalls AsPaneCalls()
    {
        return {[this](const std::string& path) { Navigate2(path); },
                [this](const std::string& urlOrPath) { Navigate(urlOrPath); }};
    }

    void Top(float twips) override
    {
        std::ostringstream line;
        line << "Top " << twips;
        calls.push_back(line.str());
    }
};

} // namespace tnews
