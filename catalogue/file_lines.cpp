#include "file_lines.h"

#include "catalogue_file.h"
#include "text_fields.h"
#include "directory/utf8.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tnews::catalogue
{

FileLines::FileLines(std::string_view text, std::string_view fileName)
    : m_text(text), m_fileName(fileName)
{
}

bool FileLines::Next()
{
    while (m_pos < m_text.size())
    {
        ++m_number;
        const std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
        {
            m_line = m_text.substr(m_pos);
            Fail("the last line has no line break: the file is cut short");
        }
        m_line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (!IsValidUtf8(m_line))
            Fail("the line is not valid UTF-8");
        for (char c : m_line)
        {
            if (c != '\t' && HasControlCharacter(std::string_view(&c, 1)))
                Fail(c == '\r' ? "the line ends in CR; lines end in LF alone"
                               : "the line holds a control character");
        }
        if (m_line.empty() || m_line.front() == '#')
            continue;
        return true;
    }
    return false;
}

void FileLines::Fail(std::string_view problem) const
{
    FailAt(m_number, problem);
}

void FileLines::FailAt(std::size_t number, std::string_view problem) const
{
    std::ostringstream message;
    message << m_fileName << ':' << number << ": " << problem;
    throw CatalogueError(message.str());
}

std::string ReadWholeFile(const std::filesystem::path& file)
{
    // A folder opens like a file and reads as nothing at all.
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        throw CatalogueError(file.string() + ": can't read: it is a folder");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw CatalogueError(file.string() + ": can't open: " + std::strerror(errno));
    // Into a string sized as the file is: a string stream doubles its buffer as it grows and
    // hands it over whole, which kept up to twice a large file in memory for as long as its
    // text lived.
    std::string contents;
    if (const auto size = std::filesystem::file_size(file, error); !error)
        contents.reserve(size);
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        contents.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        throw CatalogueError(file.string() + ": can't read: " + std::strerror(errno));
    return contents;
}

} // namespace tnews::catalogue
