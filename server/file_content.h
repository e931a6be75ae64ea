// Bytes the server sends from a file it keeps open rather than from memory: the exports, many
// megabytes each, which the kernel's page cache holds as well as the server's heap would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace tnews::server
{

/// A file opened once and read at any offset by any number of threads at once. It keeps the
/// bytes it was opened with: the catalogue tool replaces its files by renaming new ones over
/// them, which leaves an open file as it was.
class FileContent
{
public:
    /// Opens `file`; throws std::system_error naming it when it can't be opened or is no
    /// regular file.
    static std::shared_ptr<const FileContent> Open(const std::filesystem::path& file);
    ~FileContent();
    FileContent(const FileContent&) = delete;
    FileContent& operator=(const FileContent&) = delete;

    /// Its size when it was opened.
    std::uint64_t Size() const { return m_size; }

    /// Fills `buffer` with the bytes from `offset`, as many as there are up to Size(); returns
    /// how many. Throws std::system_error when they can't be read, and when the file has become
    /// shorter than it was.
    std::size_t ReadAt(std::uint64_t offset, std::span<char> buffer) const;

private:
    FileContent(int descriptor, std::uint64_t size) : m_descriptor(descriptor), m_size(size) {}

    const int m_descriptor;
    const std::uint64_t m_size;
};

using SharedFile = std::shared_ptr<const FileContent>;

} // namespace tnews::server
