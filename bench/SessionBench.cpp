// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run through the session, as quillory-cli --rename makes it: open a folder of empty files on
// tmpfs, compute the new names (one Replace action), validate, plan and rename, with the journal. Beside
// it, a plain renameat2 loop over the same tree (the floor). And one keystroke: a changed find text for
// 10,000 listed files, until the preview has the new names and their checks.
#include "PresetUserInteraction.h"
#include "app/Logger.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "automation/AppServices.h"
#include "automation/Session.h"
#include "model/Transformer.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

namespace {

using namespace quillory;
namespace fs = std::filesystem;

const std::string kRoot = "/dev/shm/quillory-session-bench";

void makeTree(int count) {
    fs::remove_all(kRoot);
    fs::create_directories(kRoot + "/tree");
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "%s/tree/file%06d.txt", kRoot.c_str(), i);
        const int fd = ::open(name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

Transformer replaceAction(const std::string& find, const std::string& replacement) {
    auto action = Transformer::fromJson(nlohmann::ordered_json::parse(
        R"({"type":"simple","transformScope":"filename","properties":{"simpleFindText":")" + find +
        R"(","simpleReplaceText":")" + replacement + R"("}})"));
    return std::move(action).value();
}

struct Bench {
    PresetUserInteraction interaction;
    Session session;

    explicit Bench(bool journaled)
        : session([&] {
              Session::Options options{kRoot + "/settings.json", &interaction, false, false};
              if (journaled)
                  options.journalFolder = kRoot + "/journal";
              return options;
          }()) {
        session.services().preferences().setTransient(PreferenceKey::customDirectories,
                                                      std::vector<std::string>{kRoot});
        session.reloadSettings();
    }
};

std::map<std::string, double>& best() {
    static std::map<std::string, double> table;
    return table;
}

void keep(const std::string& key, double seconds) {
    auto& value = best()[key];
    value = value == 0 ? seconds : std::min(value, seconds);
}

// Each iteration on a fresh tree of `count` files; the time of `run` alone counts.
template <typename Run> void timedOnFreshTrees(benchmark::State& state, const std::string& kind, Run run) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        makeTree(count);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (!run(count))
            state.SkipWithError("not every file was renamed");
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        keep(kind + " " + std::to_string(count), elapsed);
    }
    fs::remove_all(kRoot);
}

void SessionRenameRun(benchmark::State& state) {
    Logger::setSink(LogSink::off);
    timedOnFreshTrees(state, "session", [](int count) {
        Bench bench(true);
        bench.session.open({kRoot + "/tree"}, OpenMode::replace);
        bench.session.setChain({replaceAction("file", "item")});
        RenameOptions options;
        options.refreshRows = false;
        return bench.session.rename(options).successCount == count;
    });
}
BENCHMARK(SessionRenameRun)->Arg(50000)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void PlainRenameat2Loop(benchmark::State& state) {
    timedOnFreshTrees(state, "loop", [](int count) {
        const int folder = ::open((kRoot + "/tree").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = ::fdopendir(::dup(folder));
        char target[256];
        int renamed = 0;
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strncmp(entry->d_name, "file", 4) != 0)
                continue;
            std::snprintf(target, sizeof target, "item%s", entry->d_name + 4);
            renamed += ::renameat2(folder, entry->d_name, folder, target, RENAME_NOREPLACE) == 0;
        }
        ::closedir(dir);
        ::close(folder);
        return renamed == count;
    });
}
BENCHMARK(PlainRenameat2Loop)->Arg(50000)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// One changed find text for 10,000 files: the quick pass, validation and the rows the preview shows.
void SessionKeystroke(benchmark::State& state) {
    Logger::setSink(LogSink::off);
    const int count = static_cast<int>(state.range(0));
    makeTree(count);
    // Opened a moment after it was written, as folders are: one written within the same tick of the
    // clock as its reading cannot be trusted to stay as read, and every name would go to the disk.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Bench bench(false);
    bench.session.open({kRoot + "/tree"}, OpenMode::replace);
    bench.session.setChain({replaceAction("f", "F")});
    bench.session.quickPreview();
    const std::string finds[] = {"fi", "fil", "file", "f"};
    int typed = 0;
    for (auto _ : state) {
        const std::string& find = finds[typed++ % 4];
        bench.session.setChain({replaceAction(find, "X")});
        const auto rows = bench.session.quickPreview();
        if (rows.size() != static_cast<std::size_t>(count) || rows.front().newName.rfind("X", 0) != 0)
            state.SkipWithError("the preview does not show the new names");
    }
    fs::remove_all(kRoot);
}
BENCHMARK(SessionKeystroke)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const int count : {50000, 100000}) {
        const auto& t = best();
        const auto session = t.find("session " + std::to_string(count));
        const auto loop = t.find("loop " + std::to_string(count));
        if (session != t.end() && loop != t.end())
            std::printf("%d files: session run %.3f s, renameat2 loop %.3f s: %.2fx the loop\n", count,
                        session->second, loop->second, session->second / loop->second);
    }
    return 0;
}
