// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/Session.h"

#include "TempDir.h"
#include "TestPaths.h"
#include "app/Logger.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "engine/TransformerEngine.h"
#include "tokens/TokenResolver.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/GPSError.h"
#include "tokens/gps/Geocoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <filesystem>

namespace quillory {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

Transformer action(const nlohmann::ordered_json& json) {
    auto parsed = Transformer::fromJson(json);
    EXPECT_TRUE(parsed.ok()) << json;
    auto transformer = std::move(parsed).value();
    transformer.id = Transformer::makeId();
    return transformer;
}

Transformer replace(const std::string& find, const std::string& with, const std::string& scope = "filename") {
    return action({{"type", "simple"},
                   {"transformScope", scope},
                   {"properties", {{"simpleFindText", find}, {"simpleReplaceText", with}}}});
}

Transformer prefix(const std::string& text) {
    return action({{"type", "prefix"},
                   {"transformScope", "filename"},
                   {"properties", {{"prefixText", {{"items", {{{"type", "string"}, {"value", text}}}}}}}}});
}

// Gives every item its value and counts how often it was asked.
class CountingResolver final : public TokenResolver {
public:
    TransformResult<std::string> rawText(const TokenItem& item, File&, std::stop_token) override {
        ++calls;
        return item.value;
    }
    std::atomic<int> calls{0};
};

std::vector<std::string> newNames(const std::vector<SessionRow>& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows)
        out.push_back(row.newFileName());
    return out;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { Logger::setSink(LogSink::file, temp.path() / "log.txt"); }
    void TearDown() override { Logger::setSink(LogSink::standardStreams); }

    std::unique_ptr<Session> makeSession() {
        auto session = std::make_unique<Session>(Session::Options{temp.path() / "settings.json", &interaction});
        session->services().preferences().setTransient(PreferenceKey::customDirectories,
                                                       std::vector<std::string>{(temp.path() / "work").string()});
        session->reloadSettings();
        return session;
    }
    std::string work(const std::string& relative = {}) const {
        return (temp.path() / "work" / relative).lexically_normal().string();
    }
    // Every row's current place exists on disk.
    static void expectRowsMatchDisk(const std::vector<SessionRow>& rows) {
        for (const auto& row : rows)
            EXPECT_TRUE(std::filesystem::exists(row.fullPath())) << row.fullPath();
    }

    test::TempDir temp;
    PresetUserInteraction interaction;
};

TEST_F(SessionTest, OpenPreviewAndRenameEndToEnd) {
    temp.write("work/trip/a_b.txt", "A");
    temp.write("work/trip/c_d.txt", "C");
    temp.write("work/trip/bad.txt", "B");
    temp.write("work/trip/keep.txt", "K");
    auto session = makeSession();

    const OpenReport opened = session->open({work("trip")});
    EXPECT_TRUE(opened.ok());
    EXPECT_EQ(opened.fileCount, 4u);
    session->setSortOrder(FileSortOrder::byNameAscending);
    session->setChain({replace("_", " "), replace("bad", "")});

    const auto rows = session->preview();
    EXPECT_THAT(newNames(rows), ElementsAre("a b.txt", ".txt", "c d.txt", "keep.txt"));
    EXPECT_EQ(rows[0].state, RowState::willChange);
    EXPECT_EQ(rows[1].state, RowState::error);
    EXPECT_FALSE(rows[1].errors.empty());
    EXPECT_EQ(rows[3].state, RowState::unchanged);
    EXPECT_EQ(rows[0].newFullPath, work("trip/a b.txt"));
    EXPECT_EQ(session->validationResult(), (FileValidationResult{false, 1, 4, 2}));
    // Reading the rows again computes nothing and gives the same view.
    EXPECT_EQ(newNames(session->rows()), newNames(rows));

    // An error refuses the whole run unless forced.
    const RenameReport refused = session->rename();
    EXPECT_FALSE(refused.started);
    EXPECT_TRUE(std::filesystem::exists(work("trip/a_b.txt")));

    const RenameReport report = session->rename({.force = true});
    EXPECT_TRUE(report.started);
    EXPECT_EQ(report.successCount, 2);
    EXPECT_EQ(report.errorCount, 1);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_TRUE(std::filesystem::exists(work("trip/a b.txt")));
    EXPECT_TRUE(std::filesystem::exists(work("trip/c d.txt")));
    EXPECT_TRUE(std::filesystem::exists(work("trip/bad.txt")));

    // Afterwards the rows show the files where they are, with the chain applied to their new names.
    const auto after = session->rows();
    expectRowsMatchDisk(after);
    EXPECT_THAT(newNames(after), ElementsAre("a b.txt", ".txt", "c d.txt", "keep.txt"));
    EXPECT_EQ(after[0].state, RowState::unchanged);
    EXPECT_EQ(after[1].state, RowState::error);
}

TEST_F(SessionTest, ARenameRunComputesTheFullPassOnceAndRefreshesWithTheQuickPass) {
    for (const char* name : {"one.txt", "two.txt", "three.txt"})
        temp.write(std::string("work/") + name);
    auto session = makeSession();
    ASSERT_TRUE(session->open({work()}).ok());
    session->addAction(prefix("x-"));
    auto full = std::make_shared<CountingResolver>();
    auto quick = std::make_shared<CountingResolver>();
    session->services().engine().setResolvers({full, quick});

    const RenameReport report = session->rename();
    EXPECT_EQ(report.successCount, 3);
    // One token item per file: one full pass asks the full resolver once per file.
    EXPECT_EQ(full->calls, 3);
    EXPECT_EQ(quick->calls, 3);
    EXPECT_THAT(newNames(session->rows()),
                UnorderedElementsAre("x-x-one.txt", "x-x-two.txt", "x-x-three.txt"));
    expectRowsMatchDisk(session->rows());

    // A preview is one full pass as well.
    session->preview();
    EXPECT_EQ(full->calls, 6);
}

TEST_F(SessionTest, QuickPreviewRecomputesWithoutTheFullPassAndKeepsTargetsApart) {
    temp.write("work/a_1.txt");
    temp.write("work/a-1.txt");
    auto session = makeSession();
    ASSERT_TRUE(session->open({work()}).ok());
    session->setSortOrder(FileSortOrder::byNameAscending);
    auto full = std::make_shared<CountingResolver>();
    auto quick = std::make_shared<CountingResolver>();
    session->services().engine().setResolvers({full, quick});
    session->setChain({replace("_", "-"), prefix("x")});

    const auto rows = session->quickPreview();
    EXPECT_EQ(full->calls, 0);
    const int onePass = quick->calls;
    EXPECT_GE(onePass, 2);
    ASSERT_EQ(rows.size(), 2u);
    // Both want "xa-1.txt": one of them is told apart by a suffix, and nothing is an error.
    EXPECT_NE(rows[0].uniqueSuffix.empty(), rows[1].uniqueSuffix.empty());
    EXPECT_NE(rows[0].newFileName(), rows[1].newFileName());
    EXPECT_EQ(session->validationResult().errorCount, 0);

    // Each quick preview is one quick pass over every file.
    session->quickPreview();
    EXPECT_EQ(quick->calls, 2 * onePass);
    EXPECT_EQ(full->calls, 0);
}

TEST_F(SessionTest, StopTokenEndsARunBetweenTwoFilesAndTheListTellsWhereEachFileIs) {
    for (int i = 0; i < 6; ++i)
        temp.write("work/f" + std::to_string(i) + ".txt");
    auto session = makeSession();
    ASSERT_TRUE(session->open({work()}).ok());
    session->addAction(prefix("new-"));

    // Stopped before it starts: nothing is computed to the end, nothing moves.
    std::stop_source early;
    early.request_stop();
    const RenameReport none = session->rename({}, early.get_token());
    EXPECT_FALSE(none.started);
    EXPECT_TRUE(none.aborted);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(std::filesystem::exists(work("f" + std::to_string(i) + ".txt")));

    std::stop_source stop;
    std::vector<SessionStage> stages;
    std::size_t renamedTotal = 0;
    const RenameReport report = session->rename({}, stop.get_token(), [&](const SessionProgress& progress) {
        if (stages.empty() || stages.back() != progress.stage)
            stages.push_back(progress.stage);
        if (progress.stage == SessionStage::renaming) {
            renamedTotal = progress.total;
            if (progress.done == 2)
                stop.request_stop();
        }
    });
    EXPECT_TRUE(report.started);
    EXPECT_TRUE(report.aborted);
    EXPECT_GE(report.successCount, 2);
    EXPECT_LT(report.successCount, 6);
    EXPECT_EQ(renamedTotal, 6u);
    EXPECT_EQ(stages.front(), SessionStage::computing);
    EXPECT_NE(std::find(stages.begin(), stages.end(), SessionStage::renaming), stages.end());

    int moved = 0;
    for (const auto& row : session->rows())
        moved += row.name.starts_with("new-") ? 1 : 0;
    EXPECT_EQ(moved, report.successCount);
    expectRowsMatchDisk(session->rows());
}

TEST_F(SessionTest, OpenReplacesAppendsOrAsksAndReportsRefusedFolders) {
    temp.write("work/a/1.txt");
    temp.write("work/a/2.txt");
    temp.write("work/b/3.txt");
    temp.write("outside/4.txt");
    auto session = makeSession();

    EXPECT_EQ(session->open({work("a")}).fileCount, 2u);
    EXPECT_EQ(session->open({work("b")}, OpenMode::append).fileCount, 1u);
    EXPECT_EQ(session->fileCount(), 3u);
    EXPECT_EQ(session->open({work("b")}, OpenMode::replace).fileCount, 1u);
    EXPECT_EQ(session->fileCount(), 1u);

    interaction.setAnswers({"Cancel"});
    EXPECT_TRUE(session->open({work("a")}, OpenMode::ask).cancelled);
    EXPECT_EQ(session->fileCount(), 1u);
    interaction.setAnswers({"Append"});
    EXPECT_FALSE(session->open({work("a")}, OpenMode::ask).cancelled);
    EXPECT_EQ(session->fileCount(), 3u);

    const std::string outside = (temp.path() / "outside").string();
    const OpenReport refused = session->open({outside});
    EXPECT_FALSE(refused.ok());
    ASSERT_EQ(refused.refused.size(), 1u);
    EXPECT_EQ(refused.refused.front().path, outside + "/");
}

TEST_F(SessionTest, OpenReadsFoldersToTheGivenDepthAndListsHiddenEntriesOnRequest) {
    for (const char* file : {"work/t/a.txt", "work/t/.h.txt", "work/t/s/b.txt", "work/t/s/d/c.txt", "work/t/.x/e.txt"})
        temp.write(file);
    temp.write("work/t/s/empty/.keep");
    auto session = makeSession();
    auto listed = [&](const FolderReading& reading) {
        std::vector<std::string> names;
        std::vector<std::size_t> found;
        const auto opened = session->open({work("t")}, OpenMode::replace, {},
                                          [&](const SessionProgress& step) {
                                              if (step.stage == SessionStage::opening)
                                                  found.push_back(step.done);
                                          },
                                          reading);
        EXPECT_EQ(opened.fileCount, session->fileCount());
        // Told after every folder read, not only at the start and the end.
        EXPECT_GE(found.size(), 3u);
        EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
        EXPECT_EQ(found.back(), opened.fileCount);
        for (const auto& row : session->rows())
            names.push_back(row.fullPath().substr(work("t").size() + 1));
        return names;
    };
    EXPECT_THAT(listed({}), ElementsAre("a.txt", "s/b.txt", "s/d/c.txt"));
    EXPECT_THAT(listed({0, false}), ElementsAre("a.txt"));
    EXPECT_THAT(listed({1, false}), ElementsAre("a.txt", "s/b.txt"));
    // A folder's own files come before its subfolders'.
    EXPECT_THAT(listed({1, true}), ElementsAre(".h.txt", "a.txt", ".x/e.txt", "s/b.txt"));
    EXPECT_THAT(listed({std::nullopt, true}),
                ElementsAre(".h.txt", "a.txt", ".x/e.txt", "s/b.txt", "s/d/c.txt", "s/empty/.keep"));
}

TEST_F(SessionTest, APreviewTellsWhenItLooksUpPlaces) {
    std::filesystem::create_directories(work("photos"));
    for (const char* name : {"img_gps_amsterdam.jpg", "img_gps_sydney.jpg"})
        std::filesystem::copy_file(std::filesystem::path(test::kCorpusDir) / name, work("photos/") + name);
    auto session = makeSession();
    ASSERT_TRUE(session->open({work("photos")}).ok());
    session->setChain({action({{"type", "set"},
                               {"transformScope", "filename"},
                               {"properties",
                                {{"setText", {{"items", {{{"type", "attribute"}, {"value", "GPS-AddressCity"}}}}}}}}})});
    std::vector<SessionProgress> lookups;
    const auto rows = session->preview({}, [&](const SessionProgress& step) {
        if (step.stage == SessionStage::lookingUpPlaces)
            lookups.push_back(step);
    });
    EXPECT_THAT(newNames(rows), ElementsAre("Amsterdam.jpg", "Sydney.jpg"));
    ASSERT_EQ(lookups.size(), 2u);
    EXPECT_EQ(lookups[0].done, 1u);
    EXPECT_EQ(lookups[1].done, 2u);
    EXPECT_EQ(lookups[1].total, 2u);
}

// A place-name service that answers only when its request is stopped.
class SilentGeocoder final : public Geocoder {
public:
    GeocoderAnswer reverseGeocode(double, double, std::stop_token stop) override {
        ++calls;
        std::mutex mutex;
        std::unique_lock lock(mutex);
        std::condition_variable_any().wait(lock, stop, [] { return false; });
        return GeocoderAnswer::failure(GPSError::network, "stopped");
    }
    std::string serviceUrl() const override { return "https://geo.example.org"; }
    std::atomic<int> calls{0};
};

TEST_F(SessionTest, ARenameStoppedWhileAPlaceNameIsAwaitedEndsWithTheFilesUntouched) {
    std::filesystem::create_directories(work("photos"));
    for (const char* name : {"img_gps_amsterdam.jpg", "img_gps_sydney.jpg"})
        std::filesystem::copy_file(std::filesystem::path(test::kCorpusDir) / name, work("photos/") + name);
    auto session = makeSession();
    auto geocoder = std::make_shared<SilentGeocoder>();
    session->services().gpsResolver().setGeocoder(geocoder);
    ASSERT_TRUE(session->open({work("photos")}).ok());
    session->setChain({action({{"type", "set"},
                               {"transformScope", "filename"},
                               {"properties",
                                {{"setText", {{"items", {{{"type", "attribute"}, {"value", "GPS-AddressCity"}}}}}}}}})});

    std::stop_source stop;
    auto run = std::async(std::launch::async, [&] { return session->rename({.force = true}, stop.get_token()); });
    // A bound that only catches a lookup that never began.
    for (int i = 0; i < 60000 && geocoder->calls == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(geocoder->calls, 1);
    stop.request_stop();
    const RenameReport report = run.get();
    EXPECT_TRUE(report.aborted);
    EXPECT_FALSE(report.started);
    EXPECT_EQ(geocoder->calls, 1) << "no other place is looked up after the stop";
    EXPECT_TRUE(std::filesystem::exists(work("photos/img_gps_amsterdam.jpg")));
    EXPECT_TRUE(std::filesystem::exists(work("photos/img_gps_sydney.jpg")));
    EXPECT_THAT(newNames(session->rows()), ElementsAre("img_gps_amsterdam.jpg", "img_gps_sydney.jpg"));
}

TEST_F(SessionTest, PlanFindsAFileByPathOrIdentifierAndRecipesRoundTrip) {
    temp.write("work/a_b_c.txt");
    auto session = makeSession();
    ASSERT_TRUE(session->open({work()}).ok());
    session->setChain({replace("_", "-"), prefix("P ")});

    const auto plan = session->plan(work("a_b_c.txt"));
    ASSERT_TRUE(plan.ok());
    ASSERT_EQ(plan->size(), 3u);
    EXPECT_EQ(plan->at(0).filename, "a_b_c.txt");
    EXPECT_EQ(plan->at(1).filename, "a-b-c.txt");
    EXPECT_EQ(plan->at(2).filename, "P a-b-c.txt");
    const auto byId = session->plan(session->rows().front().identifier.text());
    ASSERT_TRUE(byId.ok());
    EXPECT_EQ(byId->back().filename, "P a-b-c.txt");
    const auto missing = session->plan(work("nothing.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_THAT(missing.error().message, HasSubstr("nothing.txt"));

    const std::string recipe = (temp.path() / "chain.recipe").string();
    ASSERT_TRUE(session->saveRecipe(recipe).ok());
    auto other = makeSession();
    ASSERT_TRUE(other->open({work()}).ok());
    ASSERT_TRUE(other->loadRecipe(recipe).ok());
    EXPECT_THAT(newNames(other->preview()), ElementsAre("P a-b-c.txt"));
    EXPECT_FALSE(other->loadRecipe((temp.path() / "missing.recipe").string()).ok());
}

TEST_F(SessionTest, EmptiedFoldersAreRemovedOnlyInsideTheOpenedFoldersAndNeverAnAllowedOne) {
    // Each file moves from deep below work/w to work/elsewhere; what is removed depends on what was
    // opened and on which folders are allowed.
    const auto moveOut = [&](const std::string& opened, const std::vector<std::string>& allowed) {
        std::filesystem::remove_all(work("w"));
        std::filesystem::remove_all(work("elsewhere"));
        temp.write("work/w/a/b/c/only.txt", "O");
        auto session = makeSession();
        auto directories = allowed;
        directories.push_back(work());
        session->services().preferences().setTransient(PreferenceKey::customDirectories, directories);
        session->reloadSettings();
        EXPECT_TRUE(session->open({opened}).ok());
        session->setChain({replace("/w/a/b/c", "/elsewhere", "path")});
        EXPECT_EQ(session->rename().successCount, 1);
        EXPECT_EQ(test::readFile(work("elsewhere/only.txt")), "O");
    };
    namespace fs = std::filesystem;

    moveOut(work("w/a/b/c"), {});
    EXPECT_TRUE(fs::is_directory(work("w/a/b/c"))) << "the opened folder itself stays, and all above it";

    moveOut(work("w/a"), {});
    EXPECT_FALSE(fs::exists(work("w/a/b"))) << "emptied inside the opened folder: removed";
    EXPECT_TRUE(fs::is_directory(work("w/a")));

    moveOut(work("w"), {work("w/a/b")});
    EXPECT_FALSE(fs::exists(work("w/a/b/c")));
    EXPECT_TRUE(fs::is_directory(work("w/a/b"))) << "an allowed folder is never removed";

    moveOut(work("w/a/b/c/only.txt"), {});
    EXPECT_TRUE(fs::is_directory(work("w/a/b/c"))) << "a file given on its own opens no folder";
}

} // namespace
} // namespace quillory
