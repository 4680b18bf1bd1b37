// The undo steps of an image window: their order, what a new change does to the redo steps,
// the memory budget and the saved marks.
#include "image_history.h"

#include <gtest/gtest.h>

namespace {
// A state whose picture holds `bytes` bytes of pixels (width `bytes` / 3, one row, 24 bits),
// named so the test can tell the states apart.
TImageState stateOf(const QString& name, int width = 100) {
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 24;
    TImageState state;
    state.Picture = std::make_unique<TDIBImage>();
    EXPECT_TRUE(state.Picture->CreateFromHeader(header));
    state.FileName = name;
    return state;
}
} // namespace

TEST(ImageHistory, UndoAndRedoWalkTheStatesInOrder) {
    TImageHistory history;
    history.Push(stateOf("a"));
    history.Push(stateOf("b"));
    TImageState shown = history.Undo(stateOf("c"));
    EXPECT_EQ(shown.FileName, "b");
    shown = history.Undo(std::move(shown));
    EXPECT_EQ(shown.FileName, "a");
    EXPECT_FALSE(history.CanUndo());
    shown = history.Redo(std::move(shown));
    EXPECT_EQ(shown.FileName, "b");
    shown = history.Redo(std::move(shown));
    EXPECT_EQ(shown.FileName, "c");
    EXPECT_FALSE(history.CanRedo());

    history.Undo(std::move(shown)); // back at b: a to undo, c to redo
    history.Push(stateOf("d"));
    EXPECT_FALSE(history.CanRedo()) << "a new change ends what could be redone";
    history.DropLast();
    EXPECT_EQ(history.UndoSteps(), 1) << "a failed change leaves no step of its own";
}

TEST(ImageHistory, TheBudgetDropsTheOldestStepsFirst) {
    const std::size_t oneState = stateOf("x").Bytes();
    TImageHistory history(oneState * 3);
    for (const char* name : {"a", "b", "c", "d"}) {
        history.Push(stateOf(name));
    }
    EXPECT_EQ(history.UndoSteps(), 3);
    EXPECT_LE(history.Bytes(), history.Budget());
    TImageState shown = history.Undo(stateOf("e"));
    EXPECT_EQ(shown.FileName, "d");
    shown = history.Undo(std::move(shown));
    shown = history.Undo(std::move(shown));
    EXPECT_EQ(shown.FileName, "b") << "a went first";
    EXPECT_FALSE(history.CanUndo());

    history.SetBudget(oneState);
    EXPECT_LE(history.Bytes(), oneState);
    history.Push(stateOf("huge", 1000));
    EXPECT_FALSE(history.CanUndo()) << "a state beyond the whole budget is not kept";
}

TEST(ImageHistory, SavingMakesEveryKeptStateUnsaved) {
    TImageHistory history;
    TImageState saved = stateOf("a");
    saved.Saved = true;
    history.Push(std::move(saved));
    history.ForgetSaved();
    EXPECT_FALSE(history.Undo(stateOf("b")).Saved);
}
