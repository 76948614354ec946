// SPDX-License-Identifier: GPL-3.0-or-later
// What the run journal costs: renaming 50,000 files on tmpfs (/dev/shm) with and without a journal.
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
#include <filesystem>
#include <map>
#include <string>

namespace {

using namespace quillory;
namespace fs = std::filesystem;

constexpr int kFileCount = 50000;
const std::string kFolder = "/dev/shm/quillory-journal-bench";

std::string name(char prefix, int i) {
    char text[32];
    std::snprintf(text, sizeof text, "%c%06d.dat", prefix, i);
    return text;
}

// The fastest run of each kind: the machine is shared, and noise only ever adds time.
std::map<std::string, double>& seconds() {
    static std::map<std::string, double> table;
    return table;
}

void RenameOnTmpfs(benchmark::State& state) {
    Logger::setSink(LogSink::off);
    const bool journaled = state.range(0) != 0;
    for (auto _ : state) {
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
        const RenameReport report = renamer.applyTransformationsAndRename(true);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        auto& best = seconds()[journaled ? "journal" : "plain"];
        best = best == 0 ? elapsed : std::min(best, elapsed);
        if (report.successCount != kFileCount || (journaled && report.journalId.empty()))
            state.SkipWithError("the run did not rename every file with its journal");
    }
    fs::remove_all(kFolder);
}

BENCHMARK(RenameOnTmpfs)->Arg(0)->Arg(1)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto& t = seconds();
    if (t.count("plain") && t.count("journal"))
        std::printf("fastest of 5: rename phase %.3f s, with journal %.3f s: the journal adds %.1f%%\n", t["plain"],
                    t["journal"],
                    100.0 * (t["journal"] - t["plain"]) / t["plain"]);
    return 0;
}
