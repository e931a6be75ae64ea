// Reading a whole text file line by line with the line number at hand, so that every problem
// can be reported as "file:line: problem".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tnews::catalogue
{

/// The lines of a file's text that carry data: comment lines (starting with '#') and blank
/// lines are skipped. Refuses, by throwing CatalogueError, text that is not UTF-8, a CR or other
/// control character (TAB aside), and a last line without its line break, which is how a file
/// cut short looks.
class FileLines
{
public:
    FileLines(std::string_view text, std::string_view fileName);

    /// Moves to the next data line; false after the last.
    bool Next();
    std::string_view Line() const { return m_line; }
    std::size_t Number() const { return m_number; }
    std::string_view FileName() const { return m_fileName; }

    /// Throws CatalogueError "file:line: problem" for the current line.
    [[noreturn]] void Fail(std::string_view problem) const;
    /// Throws CatalogueError "file:line: problem" for another line.
    [[noreturn]] void FailAt(std::size_t number, std::string_view problem) const;

private:
    std::string_view m_text;
    std::string_view m_fileName;
    std::size_t m_pos = 0;
    std::size_t m_number = 0;
    std::string_view m_line;
};

/// The whole contents of `file`; throws CatalogueError "file: problem" if it can't be read or is
/// a folder.
std::string ReadWholeFile(const std::filesystem::path& file);

} // namespace tnews::catalogue
