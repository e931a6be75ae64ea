// tnews-catalogue corrections: the publisher's review of what readers sent.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::catalogue
{

/// The usage lines of the command.
inline constexpr std::string_view kCorrectionsUsage =
    "       tnews-catalogue corrections --state DIR list\n"
    "       tnews-catalogue corrections --state DIR [--file FILE] accept ID [--region CODE]\n"
    "                                   [--place PLACE] [--name NAME] [--city CITY] [--website URL]\n"
    "       tnews-catalogue corrections --state DIR reject ID --reason TEXT\n";

/// Runs `args` (starting with "corrections"): `list` shows the open items of the server's
/// store in DIR, with every reader's words (control characters and invisible direction marks
/// shown as escapes, so a terminal only prints them); `accept` adds the item to the corrections
/// file (default data/corrections.tsv) and closes it; `reject` closes it with its reason.
/// Returns the exit status as RunCommand does.
int RunCorrections(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// `text` safe to print on a terminal: backslash, control characters, C1 controls, direction
/// and other invisible format characters and bytes that are not UTF-8 as "\x1b", "\u{202e}".
std::string TerminalText(std::string_view text);

} // namespace tnews::catalogue
