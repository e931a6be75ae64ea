// Writing a file so that readers see the old contents or the new, never a part.
#pragma once

#include <filesystem>
#include <string_view>

namespace tnews::catalogue
{

/// Replaces `file` with `contents`: written to a temporary file in the same folder, flushed to
/// disk, then renamed over `file`. On any error the temporary file is removed, `file` is left
/// as it was, and CatalogueError "file: problem" is thrown.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view contents);

} // namespace tnews::catalogue
