// Turning what the user typed in the keyword box into a full-text query that can't be anything
// but a list of words: the words are found by the search index's own tokenizer, so that what it
// would drop (punctuation, symbols) is dropped here instead of becoming a phrase of nothing.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct Fts5Tokenizer;

namespace tnews::server
{

/// Longest keyword text answered, in characters; longer texts get a page that says so.
inline constexpr std::size_t kMaxKeywordCharacters = 256;

/// The tokenizer of the search index and its options: Unicode letters and digits make words,
/// case and accents are folded away.
inline constexpr const char* kTokenizerName = "unicode61";
inline constexpr std::array<const char*, 2> kTokenizerOptions = {"remove_diacritics", "2"};

/// The tokenizer as CREATE VIRTUAL TABLE's tokenize= names it: "unicode61 remove_diacritics 2".
std::string TokenizerArgument();

/// A word of a keyword text as the index holds it.
struct Keyword
{
    std::string text;    // folded: "montreal" for "MONTRÉAL"
    bool prefix = false; // it may go on: a "*" follows it, or the text ends inside it

    friend bool operator==(const Keyword&, const Keyword&) = default;
};

using Keywords = std::vector<Keyword>;

/// Splits keyword texts with the index's tokenizer. One splitter serves one thread at a time.
class KeywordSplitter
{
public:
    /// Throws std::runtime_error when SQLite lacks FTS5 or the tokenizer.
    KeywordSplitter();
    ~KeywordSplitter();
    KeywordSplitter(const KeywordSplitter&) = delete;
    KeywordSplitter& operator=(const KeywordSplitter&) = delete;

    /// The words of `typed`, malformed UTF-8 read as U+FFFD (which is no letter). A word is a
    /// prefix when "*" follows it or the text ends in it. Throws std::runtime_error if the
    /// tokenizer fails.
    Keywords Split(std::string_view typed) const;

private:
    struct Methods;

    sqlite3* m_db = nullptr;
    Fts5Tokenizer* m_tokenizer = nullptr;
    std::unique_ptr<Methods> m_methods;
};

/// An FTS5 MATCH expression requiring every word: each quoted as an FTS string, joined by AND,
/// a prefix query where the word is a prefix. Nothing when there is no word. Bind the result as
/// a parameter; it is never SQL.
std::optional<std::string> MatchExpression(const Keywords& keywords);

} // namespace tnews::server
