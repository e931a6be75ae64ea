#include "alphabetical.h"

#include <unicode/alphaindex.h>
#include <unicode/coll.h>
#include <unicode/locid.h>

#include <stdexcept>

namespace tnews::server
{

struct Alphabetical::Icu
{
    std::unique_ptr<icu::Collator> collator;
    // The immutable form of ICU's index is the one that looks names up.
    std::unique_ptr<icu::AlphabeticIndex::ImmutableIndex> index;
};

namespace
{

void Check(UErrorCode status, const char* what)
{
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("ICU ") + what + ": " + u_errorName(status));
}

} // namespace

Alphabetical::Alphabetical() : m_icu(std::make_unique<Icu>())
{
    UErrorCode status = U_ZERO_ERROR;
    m_icu->collator.reset(icu::Collator::createInstance(icu::Locale::getEnglish(), status));
    Check(status, "collator");
    // Primary strength plus the tie-break in Less: letters decide, then bytes.
    m_icu->collator->setStrength(icu::Collator::PRIMARY);
    icu::AlphabeticIndex index(icu::Locale::getEnglish(), status);
    Check(status, "alphabetic index");
    m_icu->index.reset(index.buildImmutableIndex(status));
    Check(status, "alphabetic index");
}

Alphabetical::~Alphabetical() = default;

bool Alphabetical::Less(std::string_view a, std::string_view b) const
{
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult order = m_icu->collator->compareUTF8(
        icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
        icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_FAILURE(status) || order == UCOL_EQUAL)
        return a < b;
    return order == UCOL_LESS;
}

std::string Alphabetical::IndexLetter(std::string_view name) const
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(name.data(), static_cast<int32_t>(name.size())));
    const int32_t bucket = m_icu->index->getBucketIndex(text, status);
    const icu::AlphabeticIndex::Bucket* found =
        U_FAILURE(status) ? nullptr : m_icu->index->getBucket(bucket);
    std::string label;
    if (found)
        found->getLabel().toUTF8String(label);
    return label.empty() ? std::string("\u2026") : label;
}

} // namespace tnews::server
