#include "catalogue_file.h"

#include "file_lines.h"
#include "text_fields.h"

#include <charconv>
#include <map>

namespace tnews::catalogue
{
namespace
{

constexpr std::size_t kCheckFields = 7;

// "2026-12-07T08:00:00Z", each part in its range (a day up to 31 in any month is enough to
// catch a garbled line; the checker writes these from the clock).
bool IsUtcTime(std::string_view text)
{
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
    {
        return false;
    }
    const auto number = [&](std::size_t at, std::size_t length, int low, int high)
    {
        int value = -1;
        const char* first = text.data() + at;
        auto [end, error] = std::from_chars(first, first + length, value);
        return error == std::errc() && end == first + length && value >= low && value <= high;
    };
    return number(0, 4, 1970, 9999) && number(5, 2, 1, 12) && number(8, 2, 1, 31) &&
           number(11, 2, 0, 23) && number(14, 2, 0, 59) && number(17, 2, 0, 60);
}

} // namespace

std::vector<LinkCheck> ParseChecks(std::string_view text, std::string_view fileName)
{
    FileLines lines(text, fileName);
    std::vector<LinkCheck> checks;
    std::map<std::string, std::size_t> index; // website -> position in checks
    while (lines.Next())
    {
        const std::vector<std::string_view> raw = SplitFields(lines.Line());
        if (raw.size() != kCheckFields || raw[0] != "check")
        {
            lines.Fail("expected a check record of " + std::to_string(kCheckFields) +
                       " tab-separated fields, found " + std::to_string(raw.size()) +
                       " fields starting \"" + std::string(raw[0]) + "\"");
        }
        std::vector<std::string> f(kCheckFields);
        for (std::size_t i = 1; i < kCheckFields; ++i)
        {
            std::string problem;
            if (!UnescapeField(raw[i], f[i], problem))
                lines.Fail("field " + std::to_string(i + 1) + " " + problem);
        }
        LinkCheck check;
        check.website = f[1];
        if (!IsWebUrl(check.website))
            lines.Fail("website \"" + check.website + "\" is not an absolute http or https URL");
        if (f[2] != "ok" && f[2] != "failed")
            lines.Fail("result \"" + f[2] + "\" is neither ok nor failed");
        check.ok = f[2] == "ok";
        auto [end, error] = std::from_chars(f[3].data(), f[3].data() + f[3].size(),
                                            check.httpStatus);
        if (f[3].empty() || error != std::errc() || end != f[3].data() + f[3].size() ||
            check.httpStatus < 0 || check.httpStatus > 999)
        {
            lines.Fail("http-status \"" + f[3] + "\" is not a number from 0 to 999");
        }
        check.finalUrl = f[4];
        if (!check.finalUrl.empty() && !IsWebUrl(check.finalUrl))
            lines.Fail("final-url \"" + f[4] + "\" is not an absolute http or https URL");
        check.checkedAt = f[5];
        if (!IsUtcTime(check.checkedAt))
            lines.Fail("checked-at \"" + f[5] + "\" is not a UTC time like 2026-12-07T08:00:00Z");
        check.detail = f[6];

        auto [at, inserted] = index.try_emplace(check.website, checks.size());
        if (inserted)
            checks.push_back(std::move(check));
        else
            checks[at->second] = std::move(check);
    }
    return checks;
}

std::vector<LinkCheck> LoadChecks(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error)
        return {};
    return ParseChecks(ReadWholeFile(file), file.string());
}

std::string FormatCheck(const LinkCheck& check)
{
    const std::string status = std::to_string(check.httpStatus);
    const std::string_view fields[] = {check.website,   check.ok ? "ok" : "failed", status,
                                       check.finalUrl, check.checkedAt,            check.detail};
    std::string line = "check";
    for (std::string_view field : fields)
    {
        line += '\t';
        line += EscapeField(field);
    }
    line += '\n';
    return line;
}

std::filesystem::path ChecksFileFor(const std::filesystem::path& catalogueFile)
{
    return catalogueFile.parent_path() / "checks.tsv";
}

} // namespace tnews::catalogue
