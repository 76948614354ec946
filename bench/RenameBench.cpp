// SPDX-License-Identifier: GPL-3.0-or-later
// Renaming 100,000 files on disk: Quillory's rename run against a plain loop of renameat2 over the
// same files (the physical limit). Run on tmpfs (/dev/shm) and on the work disk (the build folder).
// Prints the ratio at the end.
#include "filelist/FileDataSource.h"
#include "rename/FileRenamer.h"
#include "rename/PosixFileSystem.h"

#include <benchmark/benchmark.h>

#include <chrono>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace quillory;
namespace fs = std::filesystem;

constexpr int kFileCount = 100000;

std::string name(char prefix, int i) {
    char text[32];
    std::snprintf(text, sizeof text, "%c%06d.dat", prefix, i);
    return text;
}

// A fresh folder holding f000000.dat ... f099999.dat.
std::string prepare(const std::string& base) {
    const std::string folder = base + "/quillory-rename-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < kFileCount; ++i) {
        const int fd = ::open((folder + "/" + name('f', i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    return folder;
}

std::string base(int location) {
    if (location == 0)
        return "/dev/shm";
    // The folder of this program: the build folder, on the work disk.
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}
const char* label(int location) { return location == 0 ? "tmpfs" : "work disk"; }

std::map<std::string, double>& seconds() {
    static std::map<std::string, double> table;
    return table;
}

void record(benchmark::State& state, const std::string& contender, double elapsed) {
    state.SetIterationTime(elapsed);
    seconds()[std::string(label(static_cast<int>(state.range(0)))) + "/" + contender] = elapsed;
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PlainRenameat2Loop(benchmark::State& state) {
    for (auto _ : state) {
        const std::string folder = prepare(base(static_cast<int>(state.range(0))));
        std::vector<std::string> from, to;
        for (int i = 0; i < kFileCount; ++i) {
            from.push_back(folder + "/" + name('f', i));
            to.push_back(folder + "/" + name('g', i));
        }
        const double start = now();
        for (int i = 0; i < kFileCount; ++i)
            ::renameat2(AT_FDCWD, from[i].c_str(), AT_FDCWD, to[i].c_str(), RENAME_NOREPLACE);
        record(state, "loop", now() - start);
        fs::remove_all(folder);
    }
}

void QuilloryRenameRun(benchmark::State& state) {
    for (auto _ : state) {
        const std::string folder = prepare(base(static_cast<int>(state.range(0))));
        FileDataSource list;
        std::vector<File> files;
        files.reserve(kFileCount);
        for (int i = 0; i < kFileCount; ++i) {
            File file = File::fromPath(folder + "/" + name('f', i));
            file.transformed.transformedName = "g" + file.source.name.substr(1);
            files.push_back(std::move(file));
        }
        list.doReplaceAllFiles(std::move(files), FileAction::replace, false);
        PosixFileSystem fileSystem;
        FileRenamer renamer({list, fileSystem, nullptr, nullptr, nullptr}, [](std::stop_token) { return true; });
        const double start = now();
        const RenameReport report = renamer.applyTransformationsAndRename(true);
        record(state, "quillory", now() - start);
        if (report.successCount != kFileCount)
            state.SkipWithError("not every file was renamed");
        fs::remove_all(folder);
    }
}

// Everything but the disk: a file system that accepts every move at once. Shows what the run itself
// costs per file.
class InstantFileSystem : public FileSystem {
public:
    Outcome moveItem(const std::string&, const std::string&) override { return {}; }
    Outcome createDirectories(const std::string&) override { return {}; }
    Outcome removeDirectory(const std::string&) override { return {}; }
    Outcome removeFile(const std::string&) override { return {}; }
    bool exists(const std::string&) override { return true; }
    Outcome directoryEntries(const std::string&, std::size_t, std::vector<std::string>& names) override {
        names = {"other"};
        return {};
    }
    std::optional<ItemIdentity> identify(const std::string&) override { return std::nullopt; }
};

void QuilloryRunWithoutDisk(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FileDataSource list;
        std::vector<File> files;
        files.reserve(kFileCount);
        for (int i = 0; i < kFileCount; ++i) {
            File file = File::fromPath("/home/bench/Photos/" + name('f', i));
            file.transformed.transformedName = "g" + file.source.name.substr(1);
            files.push_back(std::move(file));
        }
        list.doReplaceAllFiles(std::move(files), FileAction::replace, false);
        InstantFileSystem fileSystem;
        FileRenamer renamer({list, fileSystem, nullptr, nullptr, nullptr}, [](std::stop_token) { return true; });
        state.ResumeTiming();
        benchmark::DoNotOptimize(renamer.applyTransformationsAndRename(true));
    }
}

BENCHMARK(PlainRenameat2Loop)->Arg(0)->Arg(1)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(QuilloryRenameRun)->Arg(0)->Arg(1)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(QuilloryRunWithoutDisk)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Last iteration of each contender; the ratio over the plain loop.
    for (const char* where : {"tmpfs", "work disk"}) {
        auto& t = seconds();
        const std::string w = where;
        if (!t.count(w + "/loop") || !t.count(w + "/quillory"))
            continue;
        std::printf("%-9s  quillory %.3f s, plain loop %.3f s, ratio to loop %.2fx\n", where, t[w + "/quillory"],
                    t[w + "/loop"], t[w + "/quillory"] / t[w + "/loop"]);
    }
    return 0;
}
