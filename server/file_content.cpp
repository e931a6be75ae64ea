#include "file_content.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace tnews::server
{

std::shared_ptr<const FileContent> FileContent::Open(const std::filesystem::path& file)
{
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        throw std::system_error(errno, std::generic_category(), "can't open " + file.string());
    struct stat status = {};
    const int error = ::fstat(descriptor, &status) != 0 ? errno
                      : !S_ISREG(status.st_mode)        ? EINVAL
                                                        : 0;
    if (error != 0)
    {
        ::close(descriptor);
        throw std::system_error(error, std::generic_category(),
                                "can't read " + file.string() + " as a file");
    }
    return std::shared_ptr<const FileContent>(
        new FileContent(descriptor, static_cast<std::uint64_t>(status.st_size)));
}

FileContent::~FileContent()
{
    ::close(m_descriptor);
}

std::size_t FileContent::ReadAt(std::uint64_t offset, std::span<char> buffer) const
{
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer.size(), m_size - std::min(offset, m_size)));
    std::size_t done = 0;
    while (done < wanted)
    {
        const ssize_t got = ::pread(m_descriptor, buffer.data() + done, wanted - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw std::system_error(errno, std::generic_category(), "can't read an export");
        if (got == 0)
            throw std::system_error(EIO, std::generic_category(), "an export became shorter");
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace tnews::server
