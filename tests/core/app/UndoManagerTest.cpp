// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UndoManager.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillory;

namespace {

// A value with undoable setters, registering its own inverse like the list and the chain do.
struct Counter {
    UndoManager& undo;
    int value = 0;
    void set(int newValue, const std::string& name) {
        const int old = value;
        value = newValue;
        undo.registerUndo(name, [this, old, name] { set(old, name); });
    }
};

TEST(UndoManagerTest, UndoAndRedoAlternateWithNames) {
    UndoManager undo;
    Counter counter{undo};
    counter.set(1, "Open 1 files");
    counter.set(2, "Clear All Rename Actions");
    EXPECT_EQ(undo.undoActionName(), "Clear All Rename Actions");
    undo.undo();
    EXPECT_EQ(counter.value, 1);
    EXPECT_EQ(undo.redoActionName(), "Clear All Rename Actions");
    undo.redo();
    EXPECT_EQ(counter.value, 2);
    undo.undo();
    undo.undo();
    EXPECT_EQ(counter.value, 0);
    EXPECT_FALSE(undo.canUndo());
    undo.redo();
    EXPECT_EQ(counter.value, 1);
    // A new change drops the redo history.
    counter.set(5, "Move files");
    EXPECT_FALSE(undo.canRedo());
}

TEST(UndoManagerTest, AGroupIsOneStepAndUndoesInReverseOrder) {
    UndoManager undo;
    std::vector<int> order;
    undo.beginGroup();
    EXPECT_EQ(undo.groupingLevel(), 1);
    undo.registerUndo("Open Recipe", [&] { order.push_back(1); });
    undo.registerUndo("", [&] { order.push_back(2); });
    undo.endGroup();
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(undo.undoActionName(), "Open Recipe");
    undo.undo();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_FALSE(undo.canUndo());
}

TEST(UndoManagerTest, ReportsWhetherItIsUndoingOrRedoing) {
    UndoManager undo;
    bool sawUndoing = false;
    bool sawRedoing = false;
    std::function<void()> action = [&] {
        if (undo.isUndoing())
            sawUndoing = true;
        if (undo.isRedoing())
            sawRedoing = true;
        undo.registerUndo("Step", action);
    };
    undo.registerUndo("Step", action);
    undo.undo();
    undo.redo();
    EXPECT_TRUE(sawUndoing);
    EXPECT_TRUE(sawRedoing);
    EXPECT_FALSE(undo.isUndoing());
}

TEST(UndoManagerTest, AnActionThatThrowsLeavesTheManagerUsable) {
    UndoManager undo;
    Counter counter{undo};
    counter.set(1, "Open 1 files");
    undo.registerUndo("Broken", [] { throw std::runtime_error("disk gone"); });
    EXPECT_THROW(undo.undo(), std::runtime_error);
    EXPECT_FALSE(undo.isUndoing());
    // The broken step is gone; the one before it undoes, and its inverse becomes the redo step.
    EXPECT_EQ(undo.undoActionName(), "Open 1 files");
    undo.undo();
    EXPECT_EQ(counter.value, 0);
    EXPECT_EQ(undo.redoActionName(), "Open 1 files");
    undo.redo();
    EXPECT_EQ(counter.value, 1);
}

} // namespace
