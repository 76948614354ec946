// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListTestSupport.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "filelist/OpenFolderEventHandler.h"
#include "app/UndoManager.h"

#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillory;
using namespace quillory::test;
namespace fs = std::filesystem;

namespace {

// Answers from a script; alerts wait until the test releases them.
class HeldAlerts : public UserInteraction {
public:
    Answer ask(const Question&) override { return {}; }
    void showAlert(const std::string&, const std::string&) override { release.get_future().wait(); }
    std::promise<void> release;
};

class OpenFolderTest : public ::testing::Test {
protected:
    OpenFolderTest()
        : preferences(dir.path() / "settings.json"),
          dataSource(std::make_shared<FileDataSource>(&recorder.center, &undo)),
          handler(dataSource, interaction, &recorder.center, &preferences) {
        preferences.registerDefaults();
        home = dir.mkdir("home").string();
        Logger::setSink(LogSink::off);
    }

    std::shared_ptr<DirectoryValidator> validator() {
        return std::make_shared<DirectoryValidator>(DirectoryEnvironment{home, "me", ""}, &preferences);
    }
    FilesAndDirectories request(const std::vector<std::string>& relative) {
        std::vector<std::string> paths;
        for (const auto& path : relative)
            paths.push_back(path.front() == '/' ? path : home + "/" + path);
        return FilesAndDirectories::fromPaths(paths, validator());
    }
    // Names relative to home, with a mark for aliases and for folder entries.
    std::vector<std::string> listed() {
        std::vector<std::string> result;
        for (const auto& file : dataSource->files()) {
            std::string full = file.source.name.empty() ? file.source.path + "/" : file.source.fullPath();
            result.push_back(full.substr(home.size() + 1) + (file.source.isAlias ? " @" : ""));
        }
        return result;
    }
    void makeTree() {
        dir.write("home/drop/file10.txt");
        dir.write("home/drop/file2.txt");
        dir.write("home/drop/a.txt");
        dir.write("home/drop/.hidden");
        dir.write("home/drop/.hiddendir/inner.txt");
        dir.write("home/drop/sub/IMG_0003.jpg");
        dir.write("home/drop/sub/IMG_0001.jpg");
        dir.write("home/drop/sub/deeper/x.txt");
        dir.mkdir("home/drop/empty");
        fs::create_directory_symlink(home + "/drop/sub", home + "/drop/linkToSub");
        fs::create_directory_symlink(".", home + "/drop/loop");
    }

    TempDir dir{memoryBackedFolder()}; // where listings come newest first: the natural order is checked both ways
    Preferences preferences;
    NotificationRecorder recorder;
    UndoManager undo;
    std::shared_ptr<FileDataSource> dataSource;
    PresetUserInteraction interaction;
    OpenFolderEventHandler handler;
    std::string home;
};

} // namespace

TEST_F(OpenFolderTest, ReadsNestedFoldersInNaturalOrderSkippingHiddenAndNotFollowingLinks) {
    makeTree();
    auto result = handler.openAllFilesAndDirectories(request({"drop"}), FileAction::replace);
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/a.txt", "drop/file2.txt", "drop/file10.txt",
                                                  "drop/linkToSub @", "drop/loop @", "drop/empty/",
                                                  "drop/sub/IMG_0001.jpg", "drop/sub/IMG_0003.jpg",
                                                  "drop/sub/deeper/x.txt"}));
    EXPECT_EQ(result.fileCount, 9u);
    EXPECT_TRUE(result.rejected.empty());
    EXPECT_TRUE(interaction.alerts().empty());
    EXPECT_EQ(undo.undoActionName(), "Open 9 files");
    auto posted = recorder.drain();
    EXPECT_EQ(posted.front(), "showProgressIndicator:Loading...");
    EXPECT_NE(std::find(posted.begin(), posted.end(), "uncollapsePathColumns"), posted.end());
    EXPECT_EQ(posted.back(), "enableUserInput");
}

TEST_F(OpenFolderTest, EmptyFoldersAreListedOnlyWithThePreference) {
    dir.mkdir("home/drop/empty");
    dir.write("home/drop/onlyhidden/.keep");
    dir.write("home/drop/z.txt");
    preferences.set(PreferenceKey::renameEmptyFolders, false);
    handler.openAllFilesAndDirectories(request({"drop"}), FileAction::replace);
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/z.txt"}));

    preferences.set(PreferenceKey::renameEmptyFolders, true);
    handler.openAllFilesAndDirectories(request({"drop", "drop/empty"}), FileAction::replace);
    // The dropped empty folder was already read as part of drop, so it is listed once.
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/z.txt", "drop/empty/"}));
    auto entry = dataSource->file(1);
    EXPECT_EQ(entry->source.name, "");
    EXPECT_FALSE(entry->source.isAlias);
}

TEST_F(OpenFolderTest, GivenFilesComeFirstAndAFolderOutsideTheAllowedOnesIsReported) {
    dir.write("home/drop/b.txt");
    dir.write("home/single.txt");
    TempDir outside;
    std::string outsideFolder = outside.mkdir("restricted").string();
    outside.write("restricted/secret.txt");
    auto result = handler.openAllFilesAndDirectories(
        request({"drop", "single.txt", outsideFolder, outside.str() + "/restricted/secret.txt", "nothing-here"}),
        FileAction::replace);
    EXPECT_EQ(listed(), (std::vector<std::string>{"single.txt", "drop/b.txt"}));
    ASSERT_EQ(interaction.alerts().size(), 1u);
    EXPECT_EQ(interaction.alerts()[0].first, "Unable to open all files");
    std::vector<std::string> lines = {"Not accessible: " + home + "/nothing-here",
                                      "Path is restricted: " + outsideFolder + "/"};
    std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return a.substr(a.find(": ") + 2) < b.substr(b.find(": ") + 2);
    });
    EXPECT_EQ(interaction.alerts()[0].second,
              "Files in the following directories are restricted for renaming:\n\n " + lines[0] + "\n" + lines[1]);
    EXPECT_EQ(result.rejected.size(), 2u);
}

TEST_F(OpenFolderTest, EachItemIsListedOnceHoweverItWasGiven) {
    dir.write("home/drop/a.txt");
    dir.write("home/drop/b.txt");
    dir.write("home/drop/sub/c.txt");
    dir.write("home/drop/sub/d.txt");
    fs::create_directory_symlink(home + "/drop", home + "/linkToDrop");
    // A folder with files of its own given too (one in a subfolder), one file twice, one through a link.
    auto result = handler.openAllFilesAndDirectories(
        request({"drop", "drop/sub/c.txt", "drop/a.txt", "drop/../drop/a.txt", "linkToDrop/b.txt"}),
        FileAction::replace);
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/sub/c.txt", "drop/a.txt", "linkToDrop/b.txt", "drop/sub/d.txt"}));
    EXPECT_EQ(result.fileCount, 4u);

    // Appending what the list holds adds only what is new.
    dir.write("home/drop/sub/e.txt");
    result = handler.openAllFilesAndDirectories(request({"drop", "linkToDrop/a.txt"}), FileAction::append);
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/sub/c.txt", "drop/a.txt", "linkToDrop/b.txt", "drop/sub/d.txt",
                                                  "drop/sub/e.txt"}));
    EXPECT_EQ(result.fileCount, 1u);
}

TEST_F(OpenFolderTest, ReplaceAppendOrCancelIsAskedWhenTheListIsNotEmpty) {
    dir.write("home/one/a.txt");
    dir.write("home/two/b.txt");
    ASSERT_TRUE(handler.open(request({"one"})));
    handler.waitUntilIdle();
    EXPECT_TRUE(interaction.questions().empty());
    EXPECT_EQ(listed(), (std::vector<std::string>{"one/a.txt"}));

    interaction.setAnswers({"Cancel"});
    EXPECT_FALSE(handler.open(request({"two"})));
    handler.waitUntilIdle();
    ASSERT_EQ(interaction.questions().size(), 1u);
    const auto question = interaction.questions()[0];
    EXPECT_EQ(question.message, "Quillory already has some opened files");
    EXPECT_EQ(question.informativeText, "Do you want to replace or append the files?");
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"Append", "Replace", "Cancel"}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"one/a.txt"}));
    EXPECT_EQ(undo.undoActionName(), "Open 1 files");
    undo.undo();
    EXPECT_FALSE(undo.canUndo());
    undo.redo();

    interaction.setAnswers({"Append"});
    ASSERT_TRUE(handler.open(request({"two"})));
    handler.waitUntilIdle();
    EXPECT_EQ(listed(), (std::vector<std::string>{"one/a.txt", "two/b.txt"}));
    EXPECT_EQ(undo.undoActionName(), "Append 1 files");

    interaction.setAnswers({"Replace"});
    ASSERT_TRUE(handler.open(request({"two"})));
    handler.waitUntilIdle();
    EXPECT_EQ(listed(), (std::vector<std::string>{"two/b.txt"}));
    undo.undo();
    EXPECT_EQ(listed(), (std::vector<std::string>{"one/a.txt", "two/b.txt"}));
    undo.undo();
    EXPECT_EQ(listed(), (std::vector<std::string>{"one/a.txt"}));
}

TEST_F(OpenFolderTest, OpenFolderNotificationOpensInTheBackground) {
    dir.write("home/drop/a.txt");
    handler.observeNotifications();
    recorder.center.post("openFolder", {}, {{FilesAndDirectories::userInfoKey, std::any(request({"drop"}))}});
    recorder.queue.runPending();
    handler.waitUntilIdle();
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/a.txt"}));
}

TEST_F(OpenFolderTest, SlowOpensShowTheFileCount) {
    dir.write("home/drop/a.txt");
    dir.write("home/drop/b.txt");
    auto slow = request({"drop"});
    slow.startTime -= 5000;
    handler.openAllFilesAndDirectories(std::move(slow), FileAction::replace);
    auto posted = recorder.drain();
    EXPECT_NE(std::find(posted.begin(), posted.end(), "showProgressIndicator:Opening 2 files..."), posted.end());

    handler.openAllFilesAndDirectories(request({"drop"}), FileAction::replace);
    for (const auto& name : recorder.drain())
        EXPECT_EQ(name.find("Opening"), std::string::npos) << name;
}

TEST_F(OpenFolderTest, WaitingGivesUpAfterItsLimit) {
    dir.write("home/drop/a.txt");
    TempDir outside;
    HeldAlerts held;
    OpenFolderEventHandler waiting(dataSource, held, &recorder.center, &preferences);
    LogCapture log;
    EXPECT_FALSE(waiting.openAndWait(request({"drop", outside.str()}), std::chrono::milliseconds(50)));
    EXPECT_TRUE(log.contains("openFolderAndWaitEvent timed out!"));
    held.release.set_value();
    waiting.waitUntilIdle();
    EXPECT_EQ(listed(), (std::vector<std::string>{"drop/a.txt"}));

    EXPECT_TRUE(waiting.openAndWait(request({"drop"}), std::chrono::seconds(60)));
}

TEST_F(OpenFolderTest, CancelledOpenLeavesTheListUnchanged) {
    dir.write("home/drop/a.txt");
    dataSource->applyFileAction({}, filesAt({home + "/kept"}), FileAction::replace, false);
    std::stop_source stop;
    stop.request_stop();
    auto result = handler.openAllFilesAndDirectories(request({"drop"}), FileAction::replace, stop.get_token());
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(listed(), (std::vector<std::string>{"kept"}));
}

// Permission checks do not apply to root, so as root the scenario runs in a child that has become
// the unprivileged user "nobody".
TEST_F(OpenFolderTest, UnreadableAndUnwritableFoldersAreReported) {
    dir.write("home/drop/ok.txt");
    dir.write("home/drop/locked/secret.txt");
    dir.write("home/ro/file.txt");
    ::chmod(dir.str().c_str(), 0755);
    ::chmod(home.c_str(), 0755);
    ::chmod((home + "/drop").c_str(), 0777);
    ::chmod((home + "/drop/locked").c_str(), 0);
    ::chmod((home + "/ro").c_str(), 0555);

    auto scenario = [&]() -> int {
        auto source = std::make_shared<FileDataSource>();
        PresetUserInteraction answers;
        OpenFolderEventHandler opener(source, answers, nullptr, nullptr);
        auto result = opener.openAllFilesAndDirectories(request({"drop", "ro"}), FileAction::replace);
        std::vector<std::string> names;
        for (const auto& file : source->files())
            names.push_back(file.source.name);
        if (names != std::vector<std::string>{"ok"})
            return 2;
        const std::set<RejectedDirectory> expected = {{home + "/drop/locked", RejectionReason::error},
                                                      {home + "/ro", RejectionReason::readonlyPath}};
        if (result.rejected != expected)
            return 3;
        auto alerts = answers.alerts();
        const std::string expectedLine = "Not accessible: " + home + "/drop/locked";
        if (alerts.size() != 1 || alerts[0].second.find(expectedLine) == std::string::npos)
            return 4;
        return 0;
    };

    int status = 0;
    if (::geteuid() == 0) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(1);
            ::_exit(scenario());
        }
        int waitStatus = 0;
        ::waitpid(child, &waitStatus, 0);
        status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 99;
    } else {
        status = scenario();
    }
    ::chmod((home + "/drop/locked").c_str(), 0755);
    EXPECT_EQ(status, 0) << "1: could not drop privileges, 2: wrong files, 3: wrong refusals, 4: wrong report";
}

TEST_F(OpenFolderTest, ASecondRequestQueuesBehindARunningOneWithoutBlockingTheCaller) {
    dir.write("home/one/a.txt");
    dir.write("home/two/b.txt");
    TempDir outside;
    dataSource->applyFileAction({}, filesAt({home + "/kept"}), FileAction::replace, false);
    HeldAlerts held; // answers "Append", holds the report alert of the first request
    OpenFolderEventHandler queued(dataSource, held, &recorder.center, &preferences);
    ASSERT_TRUE(queued.open(request({"one", outside.str()})));
    ASSERT_TRUE(queued.open(request({"two"})));
    held.release.set_value();
    queued.waitUntilIdle();
    EXPECT_EQ(listed(), (std::vector<std::string>{"kept", "one/a.txt", "two/b.txt"}));
}

TEST_F(OpenFolderTest, LargeFoldersAreListedInTheCollatorsOrderWithOrWithoutNamesBeyondAscii) {
    // Past a few thousand names, a folder of ASCII names is ordered by keys of its own and any other
    // by ICU's: both must give the collator's order. So must folders whose names were made in that
    // order or its reverse, which many volumes list as they were made (tmpfs newest first), and a folder
    // listed in order but for its last two names.
    std::vector<std::string> ascii = mixedAsciiNames(4100);
    std::vector<std::string> mixed(ascii.begin(), ascii.begin() + 60);
    mixed.push_back("caf\xC3\xA9 7.jpg");
    mixed.push_back("Caf\xC3\xA9 10.jpg");
    // Links to one file: thousands of new inodes cost seconds on some file systems.
    const fs::path original = dir.write("original");
    dir.mkdir("home/big");
    dir.mkdir("home/mixed");
    for (const auto& name : ascii)
        fs::create_hard_link(original, home + "/big/" + name);
    for (const auto& name : mixed)
        fs::create_hard_link(original, home + "/mixed/" + name);
    const std::vector<std::string> ordered = naturallySorted(mixed);
    dir.mkdir("home/forwards");
    dir.mkdir("home/backwards");
    dir.mkdir("home/almost");
    std::vector<std::string> almost = ordered;
    std::swap(almost[almost.size() - 1], almost[almost.size() - 2]);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        fs::create_hard_link(original, home + "/forwards/" + ordered[i]);
        fs::create_hard_link(original, home + "/backwards/" + ordered[ordered.size() - 1 - i]);
        fs::create_hard_link(original, home + "/almost/" + almost[i]);
    }
    handler.openAllFilesAndDirectories(request({"big", "mixed", "forwards", "backwards", "almost"}),
                                       FileAction::replace);

    std::vector<std::string> expected;
    for (const auto& name : naturallySorted(ascii))
        expected.push_back("big/" + name);
    for (const std::string folder : {"mixed/", "forwards/", "backwards/", "almost/"})
        for (const auto& name : ordered)
            expected.push_back(folder + name);
    EXPECT_EQ(listed(), expected);
}
