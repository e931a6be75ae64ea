// Turning what the user typed in the keyword box into a full-text query that can't be anything
// but a list of words: the words are found by the search index's own tokenizer, so that what it
// would drop (punctuation, symbols) is dropped here instead of becoming a phrase of nothing.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct Fts5Tokenizer;

namespace tnews::server
{

/// Longest keyword text answered, in bytes; longer texts get a 400 page.
inline constexpr std::size_t kMaxKeywordBytes = 256;

/// The tokenizer of the search index with its options, as CREATE VIRTUAL TABLE's tokenize=
/// names it: Unicode letters and digits make words, case and accents are folded away.
inline constexpr const char* kSearchTokenizer = "unicode61 remove_diacritics 2";

/// The words of a keyword text as the index holds them.
struct Keywords
{
    std::vector<std::string> words; // folded: "montreal" for "MONTRÉAL"
    bool lastIsPrefix = false;      // the text ends inside its last word, which may go on
};

/// Splits keyword texts with kSearchTokenizer. One splitter serves one thread at a time.
class KeywordSplitter
{
public:
    /// Throws std::runtime_error when SQLite lacks FTS5 or the tokenizer.
    KeywordSplitter();
    ~KeywordSplitter();
    KeywordSplitter(const KeywordSplitter&) = delete;
    KeywordSplitter& operator=(const KeywordSplitter&) = delete;

    /// The words of `typed`, malformed UTF-8 read as U+FFFD (which is no letter). Throws
    /// std::runtime_error if the tokenizer fails.
    Keywords Split(std::string_view typed) const;

private:
    struct Methods;

    sqlite3* m_db = nullptr;
    Fts5Tokenizer* m_tokenizer = nullptr;
    std::unique_ptr<Methods> m_methods;
};

/// An FTS5 MATCH expression requiring every word: each quoted as an FTS string, joined by AND,
/// the last one a prefix when `keywords.lastIsPrefix`. Nothing when there is no word. Bind the
/// result as a parameter; it is never SQL.
std::optional<std::string> MatchExpression(const Keywords& keywords);

} // namespace tnews::server
