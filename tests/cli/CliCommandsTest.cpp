// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of quillory-cli run in process over one session: progress and stopping.
#include "PreviewCommand.h"
#include "ProgressLine.h"
#include "RenameCommand.h"

#include "TempDir.h"
#include "app/Logger.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "automation/Session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

namespace quillory::cli {
namespace {

using ::testing::HasSubstr;

Transformer replace(const std::string& find, const std::string& with) {
    auto parsed = Transformer::fromJson(nlohmann::ordered_json{
        {"type", "simple"},
        {"transformScope", "filename"},
        {"properties", {{"simpleFindText", find}, {"simpleReplaceText", with}}}});
    EXPECT_TRUE(parsed.ok());
    auto transformer = std::move(parsed).value();
    transformer.id = Transformer::makeId();
    return transformer;
}

class CliCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Logger::setSink(LogSink::file, temp.path() / "log.txt");
        temp.write("trip/a_b.txt", "A");
        temp.write("trip/bad.txt", "B");
        session.services().preferences().setTransient(PreferenceKey::customDirectories,
                                                      std::vector<std::string>{trip()});
        session.reloadSettings();
        ASSERT_TRUE(session.open({trip()}).ok());
        session.setChain({replace("_", " "), replace("bad", "")});
    }
    void TearDown() override { Logger::setSink(LogSink::standardStreams); }

    std::string trip() const { return (temp.path() / "trip").string(); }

    test::TempDir temp;
    PresetUserInteraction interaction;
    Session session{Session::Options{temp.path() / "settings.json", &interaction}};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliCommandsTest, ProgressLineIsShownForALongRunAndClearedAfterIt) {
    EXPECT_EQ(RenameCommand(session, out, err).run({.force = true, .showProgress = true, .progressDelay = {}}), 0);
    EXPECT_THAT(err.str(), HasSubstr("\rRenaming 1/1"));
    EXPECT_THAT(err.str(), ::testing::EndsWith("\r\033[K"));
    EXPECT_THAT(out.str(), HasSubstr("Renamed 1 of 1 file;"));
}

TEST_F(CliCommandsTest, ProgressLineTellsEachStageAtMostOncePerIntervalAndNeverWhenOff) {
    {
        ProgressLine line(err, true, std::chrono::milliseconds(0), std::chrono::hours(1));
        line.update({SessionStage::opening, 120, 0});
        line.update({SessionStage::opening, 240, 0});  // within the interval: left out
        line.update({SessionStage::renaming, 5, 5});   // the last step of a stage is always shown
        EXPECT_TRUE(line.shown());
    }
    EXPECT_EQ(err.str(), "\rOpening: 120 files found\033[K\rRenaming 5/5\033[K\r\033[K");
    EXPECT_EQ(ProgressLine::text({SessionStage::computing, 2, 3}), "Reading metadata and computing names 2/3");

    std::ostringstream quiet;
    {
        ProgressLine off(quiet, false, std::chrono::milliseconds(0));
        off.update({SessionStage::renaming, 1, 1});
        ProgressLine notYet(quiet, true, std::chrono::hours(1));
        notYet.update({SessionStage::renaming, 1, 2});
        notYet.update({SessionStage::renaming, 2, 2});
    }
    EXPECT_EQ(quiet.str(), "");
}

TEST_F(CliCommandsTest, AStopBeforeOrDuringTheRunEndsItWithNothingHalfDone) {
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(PreviewCommand(session, out, err).run({}, stop.get_token()), 130);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(RenameCommand(session, out, err).run({.force = true}, stop.get_token()), 130);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Interrupted: nothing was renamed.\nInterrupted: nothing was renamed.\n");
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "trip/a_b.txt"));
}

} // namespace
} // namespace quillory::cli
