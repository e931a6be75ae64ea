#include "keywords.h"

#include "directory/utf8.h"

#include <sqlite3.h>

#include <new>
#include <stdexcept>

namespace tnews::server
{
namespace
{

constexpr char32_t kReplacement = 0xFFFD;

// The FTS5 extension's entry points, which SQLite hands out through a pointer-typed query.
fts5_api* FindFts5(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK)
    {
        sqlite3_bind_pointer(statement, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

std::string WithoutMalformedUtf8(std::string_view typed)
{
    if (IsValidUtf8(typed))
        return std::string(typed);
    std::string text;
    for (std::size_t pos = 0; pos < typed.size();)
    {
        const char32_t code = NextCodePoint(typed, pos);
        AppendUtf8(text, code == kInvalidCodePoint ? kReplacement : code);
    }
    return text;
}

struct Collected
{
    Keywords keywords;
    std::vector<std::size_t> ends; // where each word ends in the text
};

int CollectToken(void* context, int flags, const char* token, int size, int /*start*/, int end)
{
    if ((flags & FTS5_TOKEN_COLOCATED) != 0)
        return SQLITE_OK; // another form of the same word; unicode61 gives none
    auto* collected = static_cast<Collected*>(context);
    try
    {
        collected->keywords.push_back(Keyword{std::string(token, static_cast<std::size_t>(size))});
        collected->ends.push_back(static_cast<std::size_t>(end));
    }
    catch (const std::bad_alloc&)
    {
        return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

} // namespace

std::string TokenizerArgument()
{
    std::string argument = kTokenizerName;
    for (const char* option : kTokenizerOptions)
        argument.append(" ").append(option);
    return argument;
}

struct KeywordSplitter::Methods
{
    fts5_tokenizer tokenizer{};
};

KeywordSplitter::KeywordSplitter() : m_methods(std::make_unique<Methods>())
{
    // A connection of its own only to reach the tokenizer; it holds no table.
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
    {
        sqlite3_close(m_db);
        throw std::runtime_error("SQLite open failed");
    }
    fts5_api* api = FindFts5(m_db);
    void* userData = nullptr;
    // xCreate takes the options as const char**, which the constant array can't give; the index
    // gets the same ones through TokenizerArgument.
    std::array<const char*, kTokenizerOptions.size()> options = kTokenizerOptions;
    if (!api ||
        api->xFindTokenizer(api, kTokenizerName, &userData, &m_methods->tokenizer) != SQLITE_OK ||
        m_methods->tokenizer.xCreate(userData, options.data(), static_cast<int>(options.size()),
                                     &m_tokenizer) != SQLITE_OK)
    {
        sqlite3_close(m_db);
        throw std::runtime_error("SQLite has no FTS5 unicode61 tokenizer");
    }
}

KeywordSplitter::~KeywordSplitter()
{
    m_methods->tokenizer.xDelete(m_tokenizer);
    sqlite3_close(m_db);
}

Keywords KeywordSplitter::Split(std::string_view typed) const
{
    const std::string text = WithoutMalformedUtf8(typed);
    Collected collected;
    if (m_methods->tokenizer.xTokenize(m_tokenizer, &collected, FTS5_TOKENIZE_QUERY, text.data(),
                                       static_cast<int>(text.size()), CollectToken) != SQLITE_OK)
    {
        throw std::runtime_error("SQLite could not split the keywords");
    }
    // "hous" and "hous*" may become Houston; "C#" and "york " are finished words.
    for (std::size_t i = 0; i < collected.keywords.size(); ++i)
    {
        const std::size_t end = collected.ends[i];
        collected.keywords[i].prefix = end == text.size() || text[end] == '*';
    }
    return std::move(collected.keywords);
}

std::optional<std::string> MatchExpression(const Keywords& keywords)
{
    if (keywords.empty())
        return std::nullopt;
    std::string expression;
    for (const Keyword& keyword : keywords)
    {
        if (!expression.empty())
            expression += " AND ";
        expression += '"';
        for (char c : keyword.text)
        {
            expression += c;
            if (c == '"')
                expression += '"';
        }
        expression += '"';
        if (keyword.prefix)
            expression += '*';
    }
    return expression;
}

} // namespace tnews::server
