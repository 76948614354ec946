// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/RunJournal.h"

#include "app/Logger.h"
#include "model/File.h"
#include "rename/FileSystem.h"
#include "rename/JournalStore.h"
#include "rename/JournalText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <future>

namespace quillory {
namespace {

constexpr std::size_t kWriteBatch = 1 << 16;
constexpr std::size_t kRecordInHalvesFrom = 4096;
constexpr auto kWriteInterval = std::chrono::milliseconds(100);
constexpr auto kSyncInterval = std::chrono::seconds(1);

// The folder every source lies in, shown in the history.
std::string commonFolder(const MovePlan& plan) {
    if (plan.moves.empty())
        return {};
    std::string common(enclosingFolder(plan.moves.front().source));
    for (const auto& move : plan.moves) {
        while (!common.empty() && common != "/" &&
               !(move.source.size() > common.size() && move.source.compare(0, common.size(), common) == 0 &&
                 move.source[common.size()] == '/'))
            common = std::string(enclosingFolder(common));
    }
    return common;
}

void appendNumber(std::string& out, long long value) {
    char text[24];
    text[0] = ' ';
    const auto end = std::to_chars(text + 1, text + sizeof text, value).ptr;
    out.append(text, static_cast<std::size_t>(end - text));
}

void syncFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A new journal file named after the time and the process; a second run in the same second gets a number.
int createJournal(const std::string& folder, std::string& id) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = std::string(stamp) + "-" + std::to_string(::getpid());
    // Past the highest number this second already used, so that names keep sorting by age even after
    // older ones were pruned.
    int first = 1;
    for (const auto& existing : JournalStore(folder).ids())
        if (existing.rfind(base, 0) == 0)
            first =
                std::max(first, existing.size() > base.size() ? std::atoi(existing.c_str() + base.size() + 1) + 1 : 2);
    for (int n = first; n < 100000; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "-%03d", n);
        id = n == 1 ? base : base + number; // sorts after the first, in order
        const int fd = ::open((folder + "/" + id + ".journal").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int createFolders(const std::string& path) {
    if (path.empty() || path == "/")
        return 0;
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return 0;
    if (errno != ENOENT || createFolders(std::string(enclosingFolder(path))) != 0)
        return -1;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST ? 0 : -1;
}

} // namespace

RunJournal::RunJournal(std::string folder, FileSystem& fileSystem)
    : folder_(std::move(folder)), fileSystem_(fileSystem) {}

RunJournal::~RunJournal() {
    if (fd_ >= 0) {
        writeOut();
        ::close(fd_);
    }
}

std::string RunJournal::linesOfMoves(const MovePlan& plan, std::size_t first, std::size_t end) const {
    const std::vector<std::optional<ItemIdentity>> identities =
        fileSystem_.identifyMoveSources(plan.endpoints(first, end));
    std::string lines;
    lines.reserve((end - first) * 128);
    for (std::size_t m = first; m < end; ++m) {
        const auto& move = plan.moves[m];
        lines += "move";
        appendNumber(lines, static_cast<long long>(m));
        lines += move.isFolder ? " d " : " f ";
        journaltext::appendEscaped(lines, move.source);
        lines += ' ';
        journaltext::appendEscaped(lines, move.target);
        if (const auto& identity = m - first < identities.size() ? identities[m - first] : std::nullopt) {
            appendNumber(lines, static_cast<long long>(identity->device));
            appendNumber(lines, static_cast<long long>(identity->inode));
            if (identity->sizeAndTimeKnown) {
                appendNumber(lines, identity->size);
                appendNumber(lines, identity->modified);
            } else {
                lines += " - -";
            }
        } else {
            lines += " - - - -";
        }
        lines += '\n';
    }
    return lines;
}

RunRecorder::PreparedMoves RunJournal::recordOfMoves(const MovePlan& plan) const {
    PreparedMoves prepared;
    prepared.plan = &plan;
    prepared.count = plan.moves.size();
    // A long plan is recorded in two halves at once: its run waits for the record before the first move.
    const std::size_t half = prepared.count >= kRecordInHalvesFrom ? prepared.count / 2 : prepared.count;
    std::future<std::string> second;
    if (half < prepared.count) {
        try {
            second = std::async(std::launch::async, [&] { return linesOfMoves(plan, half, prepared.count); });
        } catch (const std::system_error&) {
            // No thread to be had: this one makes both.
        }
    }
    prepared.texts.push_back(linesOfMoves(plan, 0, half));
    if (half < prepared.count)
        prepared.texts.push_back(second.valid() ? second.get() : linesOfMoves(plan, half, prepared.count));
    return prepared;
}

std::future<RunRecorder::PreparedMoves> RunJournal::prepareMoves(const MovePlan& plan) {
    return std::async(std::launch::async, [this, &plan] { return recordOfMoves(plan); });
}

std::string RunJournal::begin(const MovePlan& plan, std::future<PreparedMoves> prepared) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    id_.clear();
    buffer_.clear();
    doneOpen_ = false;
    broken_ = false;
    if (createFolders(folder_) != 0)
        return "cannot create the journal folder " + folder_ + ": " + std::strerror(errno);
    JournalStore(folder_).prune();
    std::string id;
    fd_ = createJournal(folder_, id);
    if (fd_ < 0)
        return "cannot create a journal in " + folder_ + ": " + std::strerror(errno);

    buffer_.reserve(kWriteBatch * 2);
    buffer_ += "quillory-journal 1\nrun";
    appendNumber(buffer_, ::getpid());
    appendNumber(buffer_, static_cast<long long>(std::time(nullptr)));
    buffer_ += undoOf_.empty() ? " rename -" : " undo ";
    journaltext::appendEscaped(buffer_, undoOf_);
    appendNumber(buffer_, static_cast<long long>(plan.moves.size()));
    buffer_ += ' ';
    journaltext::appendEscaped(buffer_, commonFolder(plan));
    buffer_ += '\n';
    undoOf_.clear();
    PreparedMoves moves;
    try {
        if (prepared.valid())
            moves = prepared.get();
    } catch (const std::exception& error) {
        Logger::error("The record of the moves was not made beforehand: ", error.what());
    }
    if (moves.plan != &plan || moves.count != plan.moves.size())
        moves = recordOfMoves(plan); // not this plan's: made afresh
    // The header goes first; the moves' record is written as it is, without a copy.
    writeOut();
    for (const std::string& text : moves.texts)
        writeText(text);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const auto& step = plan.steps[i];
        // Runs of plain steps that take the moves in order, the common case, are one line.
        std::size_t run = 0;
        while (i + run < plan.steps.size() && plan.steps[i + run].kind == MovePlan::StepKind::direct &&
               plan.steps[i + run].move == step.move + run)
            ++run;
        if (run >= 2) {
            buffer_ += "steps";
            appendNumber(buffer_, static_cast<long long>(i));
            appendNumber(buffer_, static_cast<long long>(step.move));
            appendNumber(buffer_, static_cast<long long>(run));
            buffer_ += '\n';
            i += run - 1;
            if (buffer_.size() >= kWriteBatch && !writeOut())
                break;
            continue;
        }
        buffer_ += "step";
        appendNumber(buffer_, static_cast<long long>(i));
        appendNumber(buffer_, static_cast<long long>(step.move));
        if (step.kind == MovePlan::StepKind::direct) {
            buffer_ += " d\n";
        } else {
            buffer_ += step.kind == MovePlan::StepKind::toTemporary ? " p " : " r ";
            journaltext::appendEscaped(buffer_, step.temporary);
            buffer_ += '\n';
        }
        if (buffer_.size() >= kWriteBatch && !writeOut())
            break;
    }
    buffer_ += "planned\n";
    if (!writeOut() || ::fsync(fd_) != 0) {
        const std::string error = "cannot write the journal " + id + ": " + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        ::unlink((folder_ + "/" + id + ".journal").c_str());
        return error;
    }
    syncFolder(folder_);
    id_ = id;
    lastWrite_ = lastSync_ = std::chrono::steady_clock::now();
    return {};
}

void RunJournal::flushDone() {
    if (!doneOpen_)
        return;
    buffer_ += "done";
    appendNumber(buffer_, static_cast<long long>(doneFirst_));
    if (doneLast_ != doneFirst_)
        appendNumber(buffer_, static_cast<long long>(doneLast_));
    buffer_ += '\n';
    doneOpen_ = false;
}

bool RunJournal::writeOut() {
    flushDone();
    const bool written = writeText(buffer_);
    buffer_.clear();
    return written;
}

bool RunJournal::writeText(std::string_view text) {
    if (fd_ < 0 || broken_)
        return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Later records are lost, not the run: recovery looks at the disk, not only at the journal.
            brokenBy_ = n < 0 ? std::strerror(errno) : "nothing was written";
            Logger::error("Could not write the journal: ", brokenBy_);
            broken_ = true;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

void RunJournal::sync() {
    if (fd_ >= 0 && !broken_)
        ::fsync(fd_);
    lastSync_ = std::chrono::steady_clock::now();
}

void RunJournal::record() {
    if (fd_ < 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (buffer_.size() >= kWriteBatch || now - lastWrite_ >= kWriteInterval) {
        writeOut();
        lastWrite_ = now;
    }
    if (now - lastSync_ >= kSyncInterval)
        sync();
}

void RunJournal::stepDone(std::size_t step) {
    if (fd_ < 0)
        return;
    // Steps mostly finish one after the other: a run of them is one record.
    if (doneOpen_ && step == doneLast_ + 1) {
        doneLast_ = step;
    } else {
        flushDone();
        doneOpen_ = true;
        doneFirst_ = doneLast_ = step;
    }
    record();
}

void RunJournal::stepFailed(std::size_t step, const FileError& error) {
    if (fd_ < 0)
        return;
    buffer_ += "failed";
    appendNumber(buffer_, static_cast<long long>(step));
    appendNumber(buffer_, error.code);
    buffer_ += '\n';
    record();
}

bool RunJournal::detour(std::size_t step, const std::string& temporary) {
    if (fd_ < 0)
        return false;
    buffer_ += "detour";
    appendNumber(buffer_, static_cast<long long>(step));
    buffer_ += ' ';
    journaltext::appendEscaped(buffer_, temporary);
    buffer_ += '\n';
    // Written ahead of the move: recovery must know every name an item may be found under.
    if (!writeOut() || ::fsync(fd_) != 0)
        return false;
    lastWrite_ = lastSync_ = std::chrono::steady_clock::now();
    return true;
}

void RunJournal::folderCreated(const std::string& path) {
    if (fd_ < 0)
        return;
    buffer_ += "mkdir ";
    journaltext::appendEscaped(buffer_, path);
    buffer_ += '\n';
    // Written at once: undo must know every folder it may remove.
    writeOut();
}

void RunJournal::folderRemoved(const std::string& path) {
    if (fd_ < 0)
        return;
    buffer_ += "rmdir ";
    journaltext::appendEscaped(buffer_, path);
    buffer_ += '\n';
    record();
}

std::string RunJournal::finish(const RenameReport& report) {
    const char* state = report.aborted ? "aborted" : report.failures.empty() ? "done" : "failed";
    return close(state, report.successCount, static_cast<int>(report.failures.size()), report.notTriedCount);
}

std::string RunJournal::close(const std::string& state, int renamed, int failed, int notTried) {
    if (fd_ < 0)
        return {};
    flushDone(); // the last steps done are recorded before the end, not after it
    buffer_ += "end " + state;
    appendNumber(buffer_, renamed);
    appendNumber(buffer_, failed);
    appendNumber(buffer_, notTried);
    buffer_ += '\n';
    writeOut();
    const bool synced = !broken_ && ::fsync(fd_) == 0;
    if (!broken_ && !synced)
        brokenBy_ = std::strerror(errno);
    lastSync_ = std::chrono::steady_clock::now();
    ::close(fd_);
    fd_ = -1;
    if (synced)
        return {};
    return "the journal " + id_ + " could not be written to its end (" + brokenBy_ +
           "): the run counts as interrupted, and --recover settles it";
}

} // namespace quillory
