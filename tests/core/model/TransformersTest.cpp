// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Transformers.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/UndoManager.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

Transformer record(const std::string& id, const std::string& find = "x") {
    Transformer t("simple");
    t.id = id;
    t.properties.simpleFindText = find;
    return t;
}

std::vector<std::string> ids(const std::vector<Transformer>& list) {
    std::vector<std::string> out;
    for (const auto& t : list)
        out.push_back(t.id);
    return out;
}

using Ids = std::vector<std::string>;

// A chain wired to its own notification centre and undo manager, with the log captured.
class TransformersTest : public ::testing::Test {
protected:
    void SetUp() override {
        Logger::setSink(LogSink::file, logPath());
        notifications.addObserver(AppNotification::applyChanges, [this](const Notification&) { ++applyChanges; });
    }
    void TearDown() override { Logger::setSink(LogSink::standardStreams); }

    std::filesystem::path logPath() const { return dir.path() / "log.txt"; }
    std::string log() const { return test::readFile(logPath()); }
    int deliveredApplyChanges() {
        queue.runPending();
        int count = applyChanges;
        applyChanges = 0;
        return count;
    }
    // The keyMap must index every record by its position.
    void expectIndexed() {
        auto list = transformers.list();
        auto keyMap = transformers.keyMap();
        ASSERT_EQ(keyMap.size(), list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(keyMap.at(list[i].id), i);
    }

    test::TempDir dir;
    MainQueue queue;
    NotificationCenter notifications{queue};
    UndoManager undo;
    Transformers transformers{&notifications, &undo};
    int applyChanges = 0;
};

TEST_F(TransformersTest, AddOrReplaceAppendsReplacesAndSkipsUnchanged) {
    EXPECT_TRUE(transformers.addOrReplaceTransformer(record("a")));
    EXPECT_TRUE(transformers.addOrReplaceTransformer(record("b")));
    EXPECT_EQ(deliveredApplyChanges(), 2); // appending posts too
    expectIndexed();

    // Saving an unchanged action: skip line, no notification.
    auto same = record("a");
    EXPECT_FALSE(transformers.addOrReplaceTransformer(same));
    EXPECT_EQ(deliveredApplyChanges(), 0);
    EXPECT_NE(log().find("Skipped transformer update due to equal hash: " + std::to_string(same.changeHash())),
              std::string::npos);

    // Only the disabled flag changes: applied.
    auto disabled = record("a");
    disabled.disabled = true;
    EXPECT_TRUE(transformers.addOrReplaceTransformer(disabled));
    EXPECT_EQ(deliveredApplyChanges(), 1);
    EXPECT_NE(log().find("Post applyChanges from addOrReplaceTransformer"), std::string::npos);
    EXPECT_EQ(ids(transformers.list()), (Ids{"a", "b"}));
    EXPECT_TRUE(transformers.list()[0].disabled);
}

TEST_F(TransformersTest, ALoadWithAnUndoNameIsUndoneAndRedone) {
    transformers.loadTransformers({record("a"), record("b")}, "");
    EXPECT_FALSE(undo.canUndo()); // no undo name: no step
    EXPECT_EQ(deliveredApplyChanges(), 1);

    transformers.selectTransformer("a");
    transformers.loadTransformers({}, Transformers::clearAllUndoName);
    EXPECT_TRUE(transformers.empty());
    EXPECT_FALSE(transformers.currentTransformerId()); // the selected record is gone
    EXPECT_EQ(undo.undoActionName(), "Clear All Rename Actions");
    EXPECT_EQ(deliveredApplyChanges(), 1);
    EXPECT_NE(log().find("Load Transformers: isUndoing: false, isRedoing: false"), std::string::npos);
    EXPECT_NE(log().find("Begin Undo Group: \"Clear All Rename Actions\", groupingLevel: 0, isUndoing: false, "
                         "isRedoing: false"),
              std::string::npos);

    undo.undo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"a", "b"}));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(undo.redoActionName(), "Clear All Rename Actions");
    EXPECT_EQ(deliveredApplyChanges(), 1);
    EXPECT_NE(log().find("Load Transformers: isUndoing: true, isRedoing: false, ids: [a, b]"), std::string::npos);
    expectIndexed();

    undo.redo();
    EXPECT_TRUE(transformers.empty());
    EXPECT_NE(log().find("isUndoing: false, isRedoing: true"), std::string::npos);
    undo.undo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"a", "b"}));
    EXPECT_EQ(undo.groupingLevel(), 0);
}

TEST_F(TransformersTest, UserEditsAreUndoableAndUnchangedUpdatesLeaveNoStep) {
    transformers.addTransformer(record("a"));
    transformers.addTransformer(record("b"));
    EXPECT_EQ(undo.undoActionName(), "Add Rename Action");

    EXPECT_FALSE(transformers.updateTransformer(record("b")));
    EXPECT_EQ(undo.undoActionName(), "Add Rename Action");

    EXPECT_TRUE(transformers.updateTransformer(record("b", "changed")));
    EXPECT_EQ(undo.undoActionName(), "Update Rename Action");
    undo.undo();
    EXPECT_EQ(transformers.list()[1].properties.simpleFindText, "x");
    undo.undo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"a"}));
    undo.redo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"a", "b"}));

    transformers.selectTransformer("b");
    EXPECT_TRUE(transformers.removeTransformer("b"));
    EXPECT_FALSE(transformers.currentTransformerId());
    EXPECT_FALSE(transformers.removeTransformer("b"));
    EXPECT_EQ(undo.undoActionName(), "Remove Rename Action");
    undo.undo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"a", "b"}));
    expectIndexed();
}

TEST_F(TransformersTest, MoveIsUndoneByMovingBack) {
    transformers.loadTransformers({record("a"), record("b"), record("c"), record("d")}, "");
    deliveredApplyChanges();
    EXPECT_TRUE(transformers.moveTransformer(0, 2));
    EXPECT_EQ(ids(transformers.list()), (Ids{"b", "c", "a", "d"}));
    EXPECT_EQ(deliveredApplyChanges(), 1);
    expectIndexed();
    EXPECT_EQ(undo.undoActionName(), "Move Rename Action");
    EXPECT_TRUE(transformers.moveTransformer(3, 0));
    EXPECT_EQ(ids(transformers.list()), (Ids{"d", "b", "c", "a"}));
    undo.undo();
    undo.undo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"a", "b", "c", "d"}));
    undo.redo();
    EXPECT_EQ(ids(transformers.list()), (Ids{"b", "c", "a", "d"}));
    EXPECT_EQ(undo.undoActionName(), "Move Rename Action");

    // A move that changes nothing posts nothing.
    deliveredApplyChanges();
    EXPECT_FALSE(transformers.moveTransformer(1, 4));
    EXPECT_FALSE(transformers.moveTransformer(2, 2));
    EXPECT_EQ(deliveredApplyChanges(), 0);
}

TEST_F(TransformersTest, EnabledStateOfTheSelectedRecord) {
    transformers.loadTransformers({record("a"), record("b")}, "");
    deliveredApplyChanges();
    transformers.setCurrentEnabledState(false); // nothing selected
    EXPECT_EQ(deliveredApplyChanges(), 0);

    transformers.selectTransformer("b");
    EXPECT_EQ(transformers.currentTransformerId(), "b");
    transformers.setCurrentEnabledState(false);
    EXPECT_TRUE(transformers.list()[1].disabled);
    EXPECT_FALSE(transformers.list()[0].disabled);
    EXPECT_EQ(deliveredApplyChanges(), 1);
    transformers.setCurrentEnabledState(false); // already so
    EXPECT_EQ(deliveredApplyChanges(), 0);

    transformers.selectTransformer("unknown");
    EXPECT_FALSE(transformers.currentTransformerId());
}

TEST_F(TransformersTest, RepeatedIdsInALoadedListGetNewIds) {
    transformers.loadTransformers({record("a"), record("a", "second"), record("b")}, "");
    auto list = transformers.list();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].id, "a");
    EXPECT_NE(list[1].id, "a");
    EXPECT_EQ(list[1].properties.simpleFindText, "second");
    expectIndexed();
}

TEST_F(TransformersTest, IteratingYieldsTheRecordsInOrder) {
    transformers.loadTransformers({record("a"), record("b"), record("c")}, "");
    Ids seen;
    for (const auto& t : transformers)
        seen.push_back(t.id);
    EXPECT_EQ(seen, (Ids{"a", "b", "c"}));
}

TEST_F(TransformersTest, CopiesShareTheRandomNumberGenerator) {
    auto t = record("a");
    transformers.addOrReplaceTransformer(t);
    EXPECT_EQ(transformers.list()[0].state.randomNumberGenerator, t.state.randomNumberGenerator);
}

} // namespace
