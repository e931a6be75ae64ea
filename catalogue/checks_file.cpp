#include "catalogue_file.h"

#include "file_lines.h"
#include "text_fields.h"

#include <charconv>
#include <chrono>
#include <map>

namespace tnews::catalogue
{
namespace
{

// Files written before the moved-to field have one field fewer.
constexpr std::size_t kOldCheckFields = 7;
constexpr std::size_t kCheckFields = 8;

// No checks file reads as an empty one.
std::string ReadIfPresent(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error)
        return {};
    return ReadWholeFile(file);
}

} // namespace

std::optional<std::int64_t> UtcSeconds(std::string_view text)
{
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
    {
        return std::nullopt;
    }
    bool good = true;
    const auto number = [&](std::size_t at, std::size_t length, int low, int high)
    {
        int value = -1;
        const char* first = text.data() + at;
        auto [end, error] = std::from_chars(first, first + length, value);
        good =
            good && error == std::errc() && end == first + length && value >= low && value <= high;
        return value;
    };
    using namespace std::chrono;
    const year_month_day day{year(number(0, 4, 1970, 9999)),
                             month(static_cast<unsigned>(number(5, 2, 1, 12))),
                             std::chrono::day(static_cast<unsigned>(number(8, 2, 1, 31)))};
    const int hours = number(11, 2, 0, 23), minutes = number(14, 2, 0, 59),
              seconds = number(17, 2, 0, 60);
    if (!good || !day.ok())
        return std::nullopt;
    return sys_days(day).time_since_epoch().count() * std::int64_t{86400} + hours * 3600 +
           minutes * 60 + seconds;
}

std::vector<LinkCheck> ParseCheckHistory(std::string_view text, std::string_view fileName)
{
    FileLines lines(text, fileName);
    std::vector<LinkCheck> checks;
    while (lines.Next())
    {
        const std::vector<std::string_view> raw = SplitFields(lines.Line());
        if ((raw.size() != kCheckFields && raw.size() != kOldCheckFields) || raw[0] != "check")
        {
            lines.Fail("expected a check record of " + std::to_string(kCheckFields) +
                       " tab-separated fields, found " + std::to_string(raw.size()) +
                       " fields starting \"" + std::string(raw[0]) + "\"");
        }
        std::vector<std::string> f(kCheckFields);
        for (std::size_t i = 1; i < raw.size(); ++i)
        {
            std::string problem;
            if (!UnescapeField(raw[i], f[i], problem))
                lines.Fail("field " + std::to_string(i + 1) + " " + problem);
        }
        LinkCheck check;
        check.website = f[1];
        if (!IsWebUrl(check.website))
            lines.Fail("website \"" + check.website + "\" is not an absolute http or https URL");
        if (f[2] != "ok" && f[2] != "failed" && f[2] != "parked")
            lines.Fail("result \"" + f[2] + "\" is not ok, failed or parked");
        check.ok = f[2] == "ok";
        check.parked = f[2] == "parked";
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
        if (!UtcSeconds(check.checkedAt))
            lines.Fail("checked-at \"" + f[5] + "\" is not a UTC time like 2026-12-07T08:00:00Z");
        check.detail = f[6];
        check.movedTo = f[7];
        if (!check.movedTo.empty() && !IsWebUrl(check.movedTo))
            lines.Fail("moved-to \"" + f[7] + "\" is not an absolute http or https URL");
        checks.push_back(std::move(check));
    }
    return checks;
}

std::vector<LinkCheck> LoadCheckHistory(const std::filesystem::path& file)
{
    return ParseCheckHistory(ReadIfPresent(file), file.string());
}

std::vector<LinkCheck> ParseChecks(std::string_view text, std::string_view fileName)
{
    std::vector<LinkCheck> latest;
    std::map<std::string, std::size_t> index; // website -> position in latest
    for (LinkCheck& check : ParseCheckHistory(text, fileName))
    {
        auto [at, inserted] = index.try_emplace(check.website, latest.size());
        if (inserted)
            latest.push_back(std::move(check));
        // The times are all "YYYY-MM-DDThh:mm:ssZ", so their text order is their time order.
        else if (check.checkedAt >= latest[at->second].checkedAt)
            latest[at->second] = std::move(check);
    }
    return latest;
}

std::vector<LinkCheck> LoadChecks(const std::filesystem::path& file)
{
    return ParseChecks(ReadIfPresent(file), file.string());
}

std::string FormatCheck(const LinkCheck& check)
{
    const std::string status = std::to_string(check.httpStatus);
    const std::string_view result = check.ok ? "ok" : check.parked ? "parked" : "failed";
    const std::string_view fields[] = {check.website,   result,       status,       check.finalUrl,
                                       check.checkedAt, check.detail, check.movedTo};
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
