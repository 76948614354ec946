// SPDX-License-Identifier: GPL-3.0-or-later
// What the run journal costs: renaming 100,000 files on tmpfs (/dev/shm) with and without a journal.
// The target is a journal that adds at most 10% to the rename phase. Prints the ratio at the end.
#include "app/Logger.h"
#include "filelist/FileDataSource.h"
#include "rename/FileRenamer.h"
#include "rename/PosixFileSystem.h"
#include "rename/RunJournal.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>

namespace {

using namespace quillory;
namespace fs = std::filesystem;

constexpr int kFileCount = 100000;
const std::string kFolder = "/dev/shm/quillory-journal-bench";

std::string name(char prefix, int i) {
    char text[32];
    std::snprintf(text, sizeof text, "%c%06d.dat", prefix, i);
    return text;
}

// CPU time of the running thread (the run is single-threaded): on a loaded machine the wall time
// mostly measures the wait for a core.
double threadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The fastest run of each kind: the machine may be shared, and noise only ever adds time.
std::map<std::string, double>& seconds() {
    static std::map<std::string, double> table;
    return table;
}

// Runs with and without the journal take turns: the kernel's state after many runs over the same folder
// slows every later run, so a block of one kind after a block of the other would measure the order.
void RenameOnTmpfs(benchmark::State& state) {
    Logger::setSink(LogSink::off);
    int turn = 0;
    for (auto _ : state) {
        const bool journaled = turn++ % 2 == 1;
        state.PauseTiming();
        fs::remove_all(kFolder);
        fs::create_directories(kFolder + "/files");
        std::vector<File> files;
        files.reserve(kFileCount);
        for (int i = 0; i < kFileCount; ++i) {
            const std::string path = kFolder + "/files/" + name('f', i);
            const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
            File file = File::fromPath(path);
            file.transformed.transformedName = "g" + file.source.name.substr(1);
            files.push_back(std::move(file));
        }
        FileDataSource list;
        list.doReplaceAllFiles(std::move(files), FileAction::replace, false);
        PosixFileSystem fileSystem;
        RunJournal journal(kFolder + "/journal", fileSystem);
        FileRenamer renamer({list, fileSystem, nullptr, nullptr, nullptr, journaled ? &journal : nullptr},
                            [](std::stop_token) { return true; });
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSeconds();
        const RenameReport report = renamer.applyTransformationsAndRename(true);
        const double cpu = threadSeconds() - cpuStart;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        const std::string kind = journaled ? "journal" : "plain";
        for (const auto& [key, value] : {std::pair{kind, elapsed}, std::pair{kind + " cpu", cpu}}) {
            auto& best = seconds()[key];
            best = best == 0 ? value : std::min(best, value);
        }
        if (report.successCount != kFileCount || (journaled && report.journalId.empty()))
            state.SkipWithError("the run did not rename every file with its journal");
    }
    fs::remove_all(kFolder);
}

BENCHMARK(RenameOnTmpfs)->Iterations(18)->UseManualTime()->Unit(benchmark::kMillisecond);

// The journal alone, for the same files and no moves: the plan with every source's identity on
// stable storage, a record per finished step, and the end.
void JournalOnly(benchmark::State& state) {
    fs::remove_all(kFolder);
    fs::create_directories(kFolder + "/files");
    MovePlan plan;
    for (int i = 0; i < kFileCount; ++i) {
        const std::string path = kFolder + "/files/" + name('f', i);
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
        plan.moves.push_back({static_cast<std::size_t>(i), path, kFolder + "/files/" + name('g', i), false});
        const auto at = static_cast<std::size_t>(i);
        plan.steps.push_back({at, MovePlan::StepKind::direct, true, {}, at});
    }
    PosixFileSystem fileSystem;
    for (auto _ : state) {
        RunJournal journal(kFolder + "/journal", fileSystem);
        if (!journal.begin(plan).empty())
            state.SkipWithError("no journal");
        for (std::size_t i = 0; i < plan.steps.size(); ++i)
            journal.stepDone(i);
        RenameReport report;
        report.successCount = kFileCount;
        journal.finish(report);
        state.PauseTiming();
        fs::remove_all(kFolder + "/journal");
        state.ResumeTiming();
    }
    fs::remove_all(kFolder);
}

BENCHMARK(JournalOnly)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto& t = seconds();
    const auto ratio = [&](const std::string& plain, const std::string& journal) {
        return 100.0 * (t[journal] - t[plain]) / t[plain];
    };
    if (t.count("plain") && t.count("journal"))
        std::printf("fastest of 9 each, %d files: rename phase %.3f s (cpu %.3f s), with journal %.3f s (cpu %.3f s): the "
                    "journal adds %.1f%% (cpu %.1f%%)\n",
                    kFileCount, t["plain"], t["plain cpu"], t["journal"], t["journal cpu"], ratio("plain", "journal"),
                    ratio("plain cpu", "journal cpu"));
    return 0;
}
