// A failed property in a fuzz target: the input goes to libFuzzer's crash report.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tnews::fuzz
{

/// Aborts with `what` on stderr when `condition` is false, so libFuzzer saves the input.
inline void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

inline bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

} // namespace tnews::fuzz
