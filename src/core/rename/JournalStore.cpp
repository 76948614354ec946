// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/JournalStore.h"

#include "rename/JournalText.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace quillory {
namespace {

constexpr std::string_view kSuffix = ".journal";

template <typename T> bool number(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string text(std::string_view field) { return journaltext::unescape(field).value_or(std::string()); }

bool processRunning(int pid) {
    if (pid <= 0)
        return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Reads a whole file, or only its first and last `edge` bytes.
bool readFile(const std::string& path, std::string& head, std::string& tail, std::size_t edge) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    ::fstat(fd, &info);
    const auto size = static_cast<std::size_t>(info.st_size);
    const auto readAt = [&](std::string& out, std::size_t offset, std::size_t length) {
        out.resize(length);
        std::size_t got = 0;
        while (got < length) {
            const ssize_t n = ::pread(fd, out.data() + got, length - got, static_cast<off_t>(offset + got));
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
    };
    if (edge == 0 || size <= 2 * edge) {
        readAt(head, 0, size);
        tail.clear();
    } else {
        readAt(head, 0, edge);
        readAt(tail, size - edge, edge);
        // The tail starts after a line break: a cut line is no record.
        const auto newline = tail.find('\n');
        tail.erase(0, newline == std::string::npos ? tail.size() : newline + 1);
        const auto lastBreak = head.rfind('\n');
        head.erase(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    }
    ::close(fd);
    return true;
}

void parseLine(std::string_view line, JournalRecord& record, bool withPlan) {
    const auto f = journaltext::fields(line);
    if (f.empty())
        return;
    const std::string_view tag = f[0];
    if (tag == "run" && f.size() >= 7) {
        number(f[1], record.pid);
        number(f[2], record.started);
        record.kind = text(f[3]);
        record.undoOf = f[4] == "-" ? std::string() : text(f[4]);
        number(f[5], record.moveCount);
        record.folder = text(f[6]);
    } else if (tag == "move" && f.size() >= 9 && withPlan) {
        JournalRecord::Move move;
        move.isFolder = f[2] == "d";
        move.source = text(f[3]);
        move.target = text(f[4]);
        ItemIdentity identity;
        identity.isFolder = move.isFolder;
        if (number(f[5], identity.device) && number(f[6], identity.inode)) {
            if (number(f[7], identity.size) && number(f[8], identity.modified))
                move.identity = identity;
            else if (f[7] == "-" && f[8] == "-") {
                identity.sizeAndTimeKnown = false;
                move.identity = identity;
            }
        }
        record.moves.push_back(std::move(move));
    } else if (tag == "step" && f.size() >= 4 && withPlan) {
        JournalRecord::Step step;
        if (!number(f[2], step.move) || step.move >= record.moves.size())
            return;
        const auto& move = record.moves[step.move];
        step.from = move.source;
        step.to = move.target;
        if (f[3] == "p" && f.size() >= 5) {
            step.kind = MovePlan::StepKind::toTemporary;
            step.to = text(f[4]);
        } else if (f[3] == "r" && f.size() >= 5) {
            step.kind = MovePlan::StepKind::fromTemporary;
            step.from = text(f[4]);
        }
        record.steps.push_back(std::move(step));
    } else if (tag == "steps" && f.size() >= 4 && withPlan) {
        std::size_t first = 0, move = 0, count = 0;
        if (!number(f[1], first) || !number(f[2], move) || !number(f[3], count) || first != record.steps.size() ||
            move > record.moves.size() || count > record.moves.size() - move)
            return;
        for (std::size_t k = 0; k < count; ++k) {
            const auto& planned = record.moves[move + k];
            record.steps.push_back({move + k, MovePlan::StepKind::direct, planned.source, planned.target, {}});
        }
    } else if (tag == "planned") {
        record.planned = true;
        record.stepDone.assign(record.steps.size(), 0);
    } else if (tag == "done" && f.size() >= 2 && withPlan) {
        std::size_t first = 0, last = 0;
        if (!number(f[1], first) || (f.size() >= 3 && !number(f[2], last)))
            return;
        if (f.size() < 3)
            last = first;
        for (std::size_t step = first; step <= last && step < record.stepDone.size(); ++step)
            record.stepDone[step] = 1;
    } else if (tag == "detour" && f.size() >= 3 && withPlan) {
        std::size_t step = 0;
        if (number(f[1], step) && step < record.steps.size())
            record.steps[step].detour = text(f[2]);
    } else if (tag == "mkdir" && f.size() >= 2) {
        record.createdFolders.push_back(text(f[1]));
    } else if (tag == "rmdir" && f.size() >= 2) {
        record.removedFolders.push_back(text(f[1]));
    } else if (tag == "end" && f.size() >= 5) {
        record.closed = true;
        record.endState = std::string(f[1]);
        number(f[2], record.renamed);
        number(f[3], record.failed);
        number(f[4], record.notTried);
    } else if (tag == "undone" && f.size() >= 2) {
        record.undoneBy = text(f[1]);
    }
}

void parse(std::string_view content, JournalRecord& record, bool withPlan) {
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            break; // a line cut short by a crash
        parseLine(content.substr(start, end - start), record, withPlan);
        start = end + 1;
    }
}

} // namespace

JournalStore::JournalStore(std::string folder) : folder_(std::move(folder)) {}

std::string JournalStore::defaultFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::string(state) + "/quillory/journal";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/state/quillory/journal";
}

std::string JournalStore::pathOf(const std::string& id) const { return folder_ + "/" + id + std::string(kSuffix); }

std::vector<std::string> JournalStore::ids() const {
    std::vector<std::string> out;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir)
        return out;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix && name[0] != '.')
            out.emplace_back(name.substr(0, name.size() - kSuffix.size()));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}

Result<JournalRecord> JournalStore::read(const std::string& id) const {
    std::string content, unused;
    if (!readFile(pathOf(id), content, unused, 0))
        return Error{"no run with the id " + id};
    JournalRecord record;
    record.id = id;
    parse(content, record, true);
    if (record.stepDone.size() < record.steps.size())
        record.stepDone.resize(record.steps.size(), 0);
    return record;
}

Result<JournalRecord> JournalStore::summary(const std::string& id) const {
    std::string head, tail;
    if (!readFile(pathOf(id), head, tail, 8192))
        return Error{"no run with the id " + id};
    JournalRecord record;
    record.id = id;
    parse(head, record, false);
    parse(tail, record, false);
    return record;
}

std::vector<JournalRecord> JournalStore::interruptedRuns() const {
    std::vector<JournalRecord> out;
    for (const auto& id : ids()) {
        auto record = summary(id);
        if (record.ok() && record->interrupted() && !processRunning(record->pid))
            out.push_back(std::move(record).value());
    }
    return out;
}

Status JournalStore::append(const std::string& id, const std::string& lines) const {
    const int fd = ::open(pathOf(id).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return Error{"cannot open the journal " + id + ": " + std::strerror(errno)};
    const bool written = ::write(fd, lines.data(), lines.size()) == static_cast<ssize_t>(lines.size());
    const int error = errno;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!written || !synced)
        return Error{"cannot write the journal " + id + ": " + std::strerror(written ? errno : error)};
    return {};
}

void JournalStore::prune() const {
    const auto all = ids();
    const std::time_t oldest = std::time(nullptr) - static_cast<std::time_t>(keptDays) * 24 * 3600;
    std::size_t kept = 0;
    for (auto id = all.rbegin(); id != all.rend(); ++id) {
        const auto record = summary(*id);
        if (!record.ok() || record->interrupted())
            continue; // an interrupted run stays until it is recovered
        ++kept;
        if (kept > keptRuns || record->started < oldest)
            ::unlink(pathOf(*id).c_str());
    }
}

} // namespace quillory
