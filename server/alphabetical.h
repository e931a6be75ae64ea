// Alphabetical order of names as an English reader expects it, and the index letter each name
// is filed under, from ICU's collation rules.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tnews::server
{

/// Orders UTF-8 names letter by letter with case and accents second ("Ávila" next to "Avila",
/// "de Soto" next to "De Soto"), and files each under an index letter. The pages are rendered
/// at start-up, on one thread; this is not meant for several at once.
class Alphabetical
{
public:
    /// Throws std::runtime_error when ICU lacks its English collation data.
    Alphabetical();
    ~Alphabetical();
    Alphabetical(const Alphabetical&) = delete;
    Alphabetical& operator=(const Alphabetical&) = delete;

    /// True if `a` comes before `b`; names that collate alike are ordered by their bytes, so
    /// the order is total and the same on every run.
    bool Less(std::string_view a, std::string_view b) const;

    /// The index letter `name` is filed under: "A" to "Z" for names in Latin letters, accents
    /// aside ("Ávila" under "A"), and one label of ICU's for anything before or after them
    /// (such as "…" for names in other scripts).
    std::string IndexLetter(std::string_view name) const;

private:
    struct Icu;
    std::unique_ptr<Icu> m_icu;
};

} // namespace tnews::server
