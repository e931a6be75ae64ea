// The checks a reader's submission passes before it is stored, and what makes two of them one
// item. Plain functions on text, so that every rule is tested without a server.
#pragma once

#include "corrections_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

/// Longest name and town, and longest note, in characters; longest website in bytes.
inline constexpr std::size_t kMaxNameChars = 200;
inline constexpr std::size_t kMaxNoteChars = 1000;
inline constexpr std::size_t kMaxWebsiteBytes = 500;

/// A field the reader has to change, and why, in a sentence for the form.
struct FieldProblem
{
    std::string field; // the form field's name
    std::string message;
};

/// The lower-case host of `url` when it is a website a paper could have: http or https, a host
/// name of at least two labels of letters, digits and hyphens (or any letters beyond ASCII), an
/// optional port, no user name or password, no blank or control character. Nothing otherwise.
std::optional<std::string> WebsiteHost(std::string_view url);

/// Trims the blanks at both ends of each one-line field and writes the note's line breaks as
/// LF, then lists what is wrong: text that is not UTF-8, control characters in a one-line
/// field, a missing name, website or town (suggestion), problem (report), new address for a
/// move or note for a wrong place, a website that WebsiteHost refuses, and fields too long.
std::vector<FieldProblem> CheckSubmission(Submission& submission);

/// Two submissions with the same key are one item: a suggestion's key is its website's host
/// (without "www."), path (without trailing slashes) and query; a report's is its problem and
/// the reported website's key. `submission` must have passed CheckSubmission.
std::string DuplicateKey(const Submission& submission);

} // namespace tnews::server
