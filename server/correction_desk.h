// The readers' corrections as the Site answers them: the forms, and the submissions they post.
#pragma once

#include "catalogue/catalogue_file.h"
#include "corrections_store.h"
#include "site.h"

#include <cstddef>
#include <string_view>

namespace tnews::server
{

/// Largest form body taken; the HTTP layer refuses larger ones before they reach the Site.
inline constexpr std::size_t kMaxFormBytes = 4 * 1024;

class CorrectionDesk
{
public:
    /// Forms for the places and papers of `catalogue`, whose submissions go to `store` (which
    /// outlives the desk; null: none are taken). Keeps a reference to `catalogue`.
    CorrectionDesk(const catalogue::Catalogue& catalogue, CorrectionsStore* store);

    /// True for the paths of the forms.
    static bool Serves(std::string_view path);

    /// The answer to a request for a form, whose credentials have been checked. GET and HEAD
    /// get the form; POST records a submission and says what was recorded, or shows the form
    /// again with what the reader typed and what is wrong. Refused: other methods (405), posts
    /// from another site (403), bodies that are not a form (415) or over kMaxFormBytes (413),
    /// more than the hourly limit (429), and, with the reader's words kept, a full queue or
    /// store (503). Throws only for want of memory.
    Response Answer(const Request& request) const;

private:
    const catalogue::Catalogue& m_catalogue;
    CorrectionsStore* m_store;
};

} // namespace tnews::server
