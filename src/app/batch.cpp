#include "app/batch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

#include "app/console.h"
#include "app/run_seed.h"
#include "core/utf8_path.h"
#include "output/file_system.h"

namespace tarvenna {
namespace {

constexpr const char* kSummaryName = "summary.csv";
constexpr std::string_view kSummaryHeader = "seed,share code,check words,attempts,spheres,seconds\r\n";

// The batch's summary, which only grows: each row is appended and synced as
// its seed is finished, so a row costs the same however long the batch, and
// a later batch into the folder adds its rows to the earlier ones'. One
// batch at a time may write it.
class Summary {
public:
    explicit Summary(FileSystem& disk) : disk_(disk) {}
    ~Summary()
    {
        if (open_) disk_.Close(handle_);
    }
    Summary(const Summary&) = delete;
    Summary& operator=(const Summary&) = delete;

    // Empty once it is ready for rows; otherwise what is wrong.
    std::string Open(const std::filesystem::path& path)
    {
        const std::error_code error = disk_.OpenAppending(path, handle_, size_);
        if (error == ForeignEntry::Busy) return "another batch is writing into this folder: wait for it to end";
        if (error) return error.message() + (error.category() == ForeignEntryCategory() ? "; left as it is" : "");
        open_ = true;
        if (size_ == 0) return Append(kSummaryHeader);
        // Only a summary of Tarvenna's is added to.
        std::string start;
        if (const std::error_code read = disk_.ReadAt(handle_, 0, kSummaryHeader.size(), start)) return read.message();
        if (start != kSummaryHeader) return "it is not a summary Tarvenna wrote; left as it is: move it away";
        std::string last;
        if (const std::error_code read = disk_.ReadAt(handle_, size_ - 1, 1, last)) return read.message();
        // A row left without its line end (edited by hand) keeps its place.
        return last == "\n" ? "" : Append("\r\n");
    }

    // Appends a whole row and syncs it; a row that cannot be written whole is taken back.
    std::string Append(std::string_view row)
    {
        const std::uint64_t before = size_;
        std::error_code error;
        while (!error && !row.empty()) {
            std::size_t written = 0;
            error = disk_.Append(handle_, row, written);
            if (!error && (written == 0 || written > row.size())) error = std::make_error_code(std::errc::io_error);
            if (error) break;
            row.remove_prefix(written);
            size_ += written;
        }
        if (!error) error = disk_.Sync(handle_);
        if (!error) return "";
        if (size_ != before && !disk_.Truncate(handle_, before)) size_ = before;
        return error.message();
    }

private:
    FileSystem& disk_;
    FileSystem::Handle handle_ = 0;
    std::uint64_t size_ = 0;
    bool open_ = false;
};

std::string SummaryRow(std::uint32_t seed, const GameResult& outcome)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", outcome.seconds);
    return std::to_string(seed) + "," + outcome.identity.shareCode + "," + outcome.identity.checkWords + "," +
           std::to_string(outcome.attempts) + "," +
           (outcome.sphereCount < 0 ? std::string() : std::to_string(outcome.sphereCount)) + "," + seconds + "\r\n";
}

// A seed's own folder: made if missing. Anything else at its name, a link
// included, is not written into.
std::string MakeSeedFolder(FileSystem& disk, const std::filesystem::path& folder)
{
    EntryKind kind = EntryKind::Absent;
    if (const std::error_code error = disk.Inspect(folder, kind)) return error.message();
    if (kind == EntryKind::Folder) return "";
    if (kind != EntryKind::Absent) return NotAFile(kind).message() + "; left as it is: move it away";
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    return error ? error.message() : "";
}

std::string Duration(double seconds)
{
    char text[32];
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    else
        std::snprintf(text, sizeof text, "%d min %02d s", static_cast<int>(seconds) / 60,
                      static_cast<int>(seconds) % 60);
    return text;
}

class ProgressLine {
public:
    explicit ProgressLine(std::uint32_t total) : total_(total), inPlace_(StandardErrorIsTerminal()) {}

    void Show(std::uint32_t done, double elapsed)
    {
        std::string text =
            "seeds " + std::to_string(done) + " of " + std::to_string(total_) + ", " + Duration(elapsed) + " elapsed";
        if (done > 0 && done < total_) text += ", about " + Duration(elapsed / done * (total_ - done)) + " left";
        // Without a terminal, one line per seed would flood a log: every tenth.
        if (!inPlace_ && done != total_ && done % 10 != 0) return;
        std::fprintf(stderr, inPlace_ ? "\r%-70s" : "%s\n", text.c_str());
        std::fflush(stderr);
        shown_ = inPlace_;
    }

    void End()
    {
        if (shown_) std::fputs("\n", stderr);
        shown_ = false;
    }

private:
    std::uint32_t total_;
    bool inPlace_;
    bool shown_ = false;
};

} // namespace

int RunBatch(const BatchOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    FileSystem& disk = RealFileSystem();
    const std::filesystem::path summaryPath = options.folder / kSummaryName;
    std::error_code madeFolder;
    std::filesystem::create_directories(options.folder, madeFolder);
    // The summary is there from the start: an early stop still leaves one.
    Summary summary(disk);
    if (const std::string problem = summary.Open(summaryPath); !problem.empty()) {
        std::fprintf(stderr, "tarvenna: cannot write %s: %s\n", Utf8FromPath(summaryPath).c_str(), problem.c_str());
        return kOutputFailed;
    }
    ProgressLine progress(options.count);
    progress.Show(0, 0);

    int status = kSuccess;
    std::uint32_t done = 0;
    for (; done < options.count; ++done) {
        if (StopRequested(options.stop)) {
            status = kInterrupted;
            break;
        }
        const std::uint32_t seed = options.firstSeed + done;
        const std::filesystem::path folder = options.folder / std::to_string(seed);
        if (const std::string problem = MakeSeedFolder(disk, folder); !problem.empty()) {
            progress.End();
            std::fprintf(stderr, "tarvenna: cannot write into %s: %s\n", Utf8FromPath(folder).c_str(), problem.c_str());
            status = kOutputFailed;
            break;
        }
        GameRequest request;
        request.settings = options.settings;
        request.seed = seed;
        request.folder = folder;
        request.spoiler = options.spoiler;
        request.stop = options.stop;
        request.threads = options.threads;
        request.onWaitingForFolder = SayWaitingForFolder;
        StatusLog statusLog;
        GeneratorState state;
        const GameResult outcome = MakeGame(request, state, statusLog);
        if (outcome.outcome == GameOutcome::Stopped) {
            std::error_code error;
            std::filesystem::remove(folder, error); // only if nothing was in it
            status = kInterrupted;
            break;
        }
        if (!FilesWritten(outcome.outcome)) {
            progress.End();
            std::fprintf(stderr, "tarvenna: seed %u: %s\n", seed, outcome.message.c_str());
            status = ExitStatusOf(outcome.outcome);
            break;
        }
        if (outcome.outcome == GameOutcome::DoorMapIncomplete) status = kDoorMapIncomplete;
        if (const std::string problem = summary.Append(SummaryRow(seed, outcome)); !problem.empty()) {
            progress.End();
            std::fprintf(stderr, "tarvenna: could not write %s: %s\n", Utf8FromPath(summaryPath).c_str(),
                         problem.c_str());
            return kOutputFailed;
        }
        progress.Show(done + 1, elapsed());
    }
    progress.End();
    std::fprintf(stderr, "%u of %u seeds in %s; summary: %s\n", done, options.count, Duration(elapsed()).c_str(),
                 Utf8FromPath(summaryPath).c_str());
    if (status == kInterrupted)
        std::fprintf(stderr, "tarvenna: interrupted; the seeds listed in the summary are whole\n");
    return status;
}

} // namespace tarvenna
