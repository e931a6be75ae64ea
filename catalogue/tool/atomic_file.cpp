#include "atomic_file.h"

#include "catalogue/catalogue_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnews::catalogue
{

void WriteFileAtomically(const std::filesystem::path& file, std::string_view contents)
{
    const auto fail = [&](std::string_view what, int error)
    {
        throw CatalogueError(file.string() + ": " + std::string(what) + ": " +
                             std::strerror(error));
    };
    std::string temporary = file.string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        fail("can't create a temporary file beside it", errno);
    const auto abandon = [&](std::string_view what)
    {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        fail(what, error);
    };
    std::size_t written = 0;
    while (written < contents.size())
    {
        const ssize_t n = write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            abandon("can't write");
        written += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file 0600; the catalogue is for everyone to read.
    if (fchmod(fd, 0644) != 0 || fsync(fd) != 0)
        abandon("can't write");
    if (close(fd) != 0)
    {
        const int error = errno;
        unlink(temporary.c_str());
        fail("can't write", error);
    }
    if (rename(temporary.c_str(), file.c_str()) != 0)
    {
        const int error = errno;
        unlink(temporary.c_str());
        fail("can't replace", error);
    }
}

} // namespace tnews::catalogue
