// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop app with many files: opening 100,000 files until the table shows them all, and one
// keystroke in an action's find field until the table shows the new names of 10,000 files.
#include "GuiFixture.h"

#include "actions/ActionEditor.h"
#include "app/Logger.h"
#include "automation/AppServices.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "model/Transformers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace quillory::test {
namespace {

// `count` empty files in 100 folders under the home folder.
std::string makeFiles(const GuiApp& gui, int count) {
    const auto root = gui.home().path() / "many";
    for (int i = 0; i < count; ++i) {
        const auto folder = root / ("folder_" + std::to_string(i % 100));
        if (i < 100)
            std::filesystem::create_directories(folder);
        std::ofstream(folder / ("IMG_" + std::to_string(100000 + i) + ".jpg"));
    }
    return root.string();
}

void BM_OpenAndShowFiles(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        GuiApp gui;
        gui.app().window().show();
        const QString root = QString::fromStdString(makeFiles(gui, count));
        state.ResumeTiming();
        gui.app().window().openPathsAndWait({root});
        waitUntil([&] { return gui.app().window().fileModel().rowCount() == count; }, 120000);
        state.PauseTiming();
        if (gui.app().window().fileModel().rowCount() != count)
            state.SkipWithError("the table did not show every file");
        gui.settle(120000);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenAndShowFiles)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Waits as the application's own event loop would: it wakes for each event. QTest's wait sleeps 10 ms between
// looks, which a keystroke's few hops between threads would turn into tens of milliseconds of nothing.
bool waitPromptly(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick; // wakes the loop now and then, in case the last change comes without an event
    tick.start(5);
    QEventLoop loop;
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void BM_KeystrokeToTable(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    GuiApp gui;
    auto& window = gui.app().window();
    window.show();
    window.openPathsAndWait({QString::fromStdString(makeFiles(gui, count))});
    window.addAction("simple");
    auto& editor = window.actionEditor();
    editor.setDebounceInterval(0); // the keystroke itself, without the pause that waits for more typing
    auto* find = editor.findChild<QLineEdit*>(QStringLiteral("simpleFindText"));
    auto* replace = editor.findChild<QWidget*>(QStringLiteral("simpleReplaceText")); // a token field
    if (!find || !replace) {
        state.SkipWithError("the Replace action has no find or replace field");
        return;
    }
    QTest::keyClicks(replace, "P");
    gui.settle(60000);
    auto& model = window.fileModel();
    const char keys[] = {'I', 'M', 'G'};
    int typed = 0;
    for (auto _ : state) {
        // Type "IMG" one key at a time, then clear it again: every key changes the new names.
        if (typed % 4 == 3) {
            find->selectAll();
            QTest::keyClick(find, Qt::Key_Backspace);
        } else {
            QTest::keyClick(find, keys[typed % 4]);
        }
        ++typed;
        const QString name = model.index(0, gui::FileTableModel::nameColumn).data().toString();
        const QString expected = find->text().isEmpty() ? name : QStringLiteral("P") + name.mid(find->text().size());
        const bool ok = waitPromptly(
            [&] {
                const auto& result = window.validation();
                return model.index(0, gui::FileTableModel::newNameColumn).data().toString() == expected && result &&
                       !result->isPending;
            },
            30000);
        if (!ok)
            state.SkipWithError("the table did not show the new names");
    }
}
BENCHMARK(BM_KeystrokeToTable)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace
} // namespace quillory::test

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    quillory::Logger::setSink(quillory::LogSink::off);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
