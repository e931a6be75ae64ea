// A corrections store for the fuzz targets that drive the Site.
#pragma once

#include "fuzz_check.h"
#include "server/corrections_store.h"

#include <cstdlib>
#include <filesystem>

#include <stdlib.h>

namespace tnews::fuzz
{

/// A store in a folder of its own, removed when the run ends, so that the forms answer as on a
/// server that takes corrections.
inline server::CorrectionsStore& FuzzStore()
{
    static std::filesystem::path folder;
    static server::CorrectionsStore store = []
    {
        char pattern[] = "/tmp/tnews-fuzz-XXXXXX";
        Check(mkdtemp(pattern) != nullptr, "a temporary folder for the store");
        folder = pattern;
        // Registered before the store exists, so it runs after the store is closed.
        std::atexit([] { std::filesystem::remove_all(folder); });
        return server::CorrectionsStore(folder);
    }();
    return store;
}

} // namespace tnews::fuzz
