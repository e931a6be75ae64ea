#include "keywords.h"

#include "utf8.h"

namespace tnews::server
{
namespace
{

// Mirrors the unicode61 tokenizer closely enough: ASCII letters and digits, and non-ASCII
// characters outside the common punctuation, symbol and emoji blocks. A word made only of
// separators would become an empty FTS phrase, which matches nothing and would hide every
// result of the other words.
bool IsWordCharacter(char32_t code)
{
    if (code < 0x80)
    {
        return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
               (code >= 'a' && code <= 'z');
    }
    return code >= 0xC0 && code != 0xD7 && code != 0xF7 && code != kInvalidCodePoint &&
           code != 0xFFFD && !(code >= 0x2000 && code <= 0x2BFF) &&
           !(code >= 0x3000 && code <= 0x303F) && !(code >= 0xFE10 && code <= 0xFE6F) &&
           !(code >= 0xFF00 && code <= 0xFF0F) && !(code >= 0x1F000 && code <= 0x1FAFF);
}

bool IsSeparator(char32_t code)
{
    return code <= 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || code == 0xA0;
}

bool EndsWithWordCharacter(std::string_view word)
{
    std::size_t start = word.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(word[start]) & 0xC0) == 0x80)
        --start;
    return IsWordCharacter(NextCodePoint(word, start));
}

} // namespace

std::vector<std::string> KeywordWords(std::string_view typed)
{
    std::vector<std::string> words;
    std::string word;
    bool hasWordCharacter = false;
    auto finishWord = [&]
    {
        if (hasWordCharacter)
            words.push_back(word);
        word.clear();
        hasWordCharacter = false;
    };
    for (std::size_t pos = 0; pos < typed.size();)
    {
        char32_t code = NextCodePoint(typed, pos);
        if (code == kInvalidCodePoint)
            code = 0xFFFD;
        if (IsSeparator(code))
        {
            finishWord();
            continue;
        }
        hasWordCharacter = hasWordCharacter || IsWordCharacter(code);
        AppendUtf8(word, code);
    }
    finishWord();
    return words;
}

std::optional<std::string> MatchExpression(std::string_view typed)
{
    const std::vector<std::string> words = KeywordWords(typed);
    if (words.empty())
        return std::nullopt;
    std::string expression;
    for (const std::string& word : words)
    {
        if (!expression.empty())
            expression += " AND ";
        expression += '"';
        for (char c : word)
        {
            expression += c;
            if (c == '"')
                expression += '"';
        }
        expression += '"';
    }
    // Prefix search on the last word lets "hous" find Houston while the user is still typing;
    // not after punctuation, where the prefix would be a single letter ("C#").
    if (EndsWithWordCharacter(words.back()))
        expression += '*';
    return expression;
}

} // namespace tnews::server
