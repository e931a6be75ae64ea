// The readers' corrections: suggested papers and reports on listed ones, kept in SQLite in the
// server's state folder, apart from the read-only catalogue. The server writes them; the
// publisher reviews them with tnews-catalogue.
#pragma once

#include "submission_limit.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct sqlite3;

namespace tnews::server
{

/// The store's file in its state folder.
inline constexpr std::string_view kCorrectionsFileName = "corrections.sqlite";

/// What a reader sent: a suggested paper, or a report on a listed one.
struct Submission
{
    std::string kind;       // kSuggestion or kReport
    std::string region;     // region code of the place: "c", "u" or "i"
    std::string place;      // as the program lists it
    std::string name;       // the suggested paper's name, or the reported paper's
    std::string website;    // the suggested website, or the reported paper's
    std::string town;       // the suggested paper's town, or the reported paper's city
    std::string problem;    // a report's: one of kProblems' ids; "" for a suggestion
    std::string newAddress; // a report's new address; may be empty
    std::string note;       // may be empty
};

inline constexpr std::string_view kSuggestion = "suggestion";
inline constexpr std::string_view kReport = "report";

/// What a report may say is wrong with a paper.
struct ReportProblem
{
    std::string_view id;    // as stored: "gone", "moved", "place", "not-newspaper", "closed"
    std::string_view label; // as the form offers it
};

/// The report problems in the order the form offers them.
std::span<const ReportProblem> ReportProblems();

/// The problem with id `id`, or null.
const ReportProblem* FindReportProblem(std::string_view id);

/// A submission as stored, with when it arrived (UTC, "2026-12-07T08:00:00Z").
struct StoredSubmission : Submission
{
    std::string receivedAt;
};

/// One item to review: every submission of the same thing, the first one first.
struct CorrectionItem
{
    std::int64_t id = 0;
    std::string kind;
    std::string status; // "open", "accepted" or "rejected"
    std::string reason; // why it was rejected
    std::string reviewedAt;
    std::vector<StoredSubmission> submissions;
};

/// The answer to a submission.
struct Receipt
{
    enum class Outcome
    {
        Recorded,   // committed to disk
        TooMany,    // the client's hourly limit is reached
        QueueFull,  // too many open items; a duplicate of an open one is still recorded
        StoreFull,  // the disk, or the store's page limit, is full
        Unavailable // the store is locked or broken
    };
    Outcome outcome = Outcome::Unavailable;
    std::int64_t item = 0;               // Recorded: the item it belongs to
    std::int64_t count = 0;              // Recorded: the item's submissions, this one included
    std::chrono::seconds retryAfter{0};  // TooMany: until the client may send again
};

struct StoreOptions
{
    bool create = true;               // make the file and its schema when missing
    std::size_t maxOpenItems = 10000; // past this a new item gets QueueFull
    std::size_t perHour = 10;         // submissions an address may make in an hour
    std::int64_t maxPageCount = 0;    // SQLite's page limit; 0 leaves SQLite's own
};

/// The corrections store. Safe to use from many threads; every write is one transaction,
/// committed with its fsync (WAL, synchronous=FULL) before the call returns.
class CorrectionsStore
{
public:
    /// Opens kCorrectionsFileName in `folder`, making it and its schema when options.create.
    /// Throws std::runtime_error when SQLite fails, the file is missing (without create), or its
    /// schema version is newer than this program's.
    CorrectionsStore(const std::filesystem::path& folder, StoreOptions options = {});
    ~CorrectionsStore();
    CorrectionsStore(const CorrectionsStore&) = delete;
    CorrectionsStore& operator=(const CorrectionsStore&) = delete;

    /// Records `submission` under the open item with the same kind and `key`, or a new item.
    /// `client` is the sender's address, counted against the hourly limit unless the
    /// submission is not recorded. Never throws.
    Receipt Submit(const Submission& submission, std::string_view key, std::string_view client);

    /// Counts a submission of `client` that is dropped unrecorded (a robot's) against its
    /// limit: TooMany when the limit is reached, else Recorded with no item.
    Receipt CountDropped(std::string_view client);

    /// The open items, oldest first. Throws std::runtime_error when SQLite fails.
    std::vector<CorrectionItem> OpenItems();

    /// The item `id` in any state, or nothing. Throws std::runtime_error when SQLite fails.
    std::optional<CorrectionItem> FindItem(std::int64_t id);

    /// Closes the open item `id` as "accepted" or "rejected" with `reason` on day `reviewedAt`,
    /// running `whileLocked` inside the same transaction first (the item's record elsewhere):
    /// if it throws, the item stays open. Throws std::runtime_error when the item is not open
    /// or SQLite fails.
    void Close(std::int64_t id, std::string_view status, std::string_view reason,
               std::string_view reviewedAt, const std::function<void(const CorrectionItem&)>& whileLocked);

    /// A random name given to the store when it was made, so that records of its items made
    /// elsewhere are told apart from those of another store.
    const std::string& StoreId() const { return m_storeId; }

private:
    std::optional<CorrectionItem> LoadItem(std::int64_t id);
    Receipt::Outcome Insert(const Submission& submission, std::string_view key,
                            std::string_view receivedAt, Receipt& receipt);

    StoreOptions m_options;
    std::mutex m_mutex; // one connection; SQLite takes one writer at a time anyway
    sqlite3* m_db = nullptr;
    std::string m_storeId;
    SubmissionLimit m_limit;
};

/// `time` as the store writes it, "2026-12-07T08:00:00Z".
std::string UtcText(std::chrono::system_clock::time_point time);

} // namespace tnews::server
