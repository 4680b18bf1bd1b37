// TImageHistory: the states an image window had before each change of its picture in place (a
// correction into the window, an edit, a crop), to undo them and redo them. The steps are kept
// within a memory budget: the oldest go first, and a state larger than the whole budget is not
// kept (that change cannot be undone, but it is made). Keeping a state never makes a change
// fail: a state that cannot be copied is simply not kept.
#pragma once

#include "dib_image.h"
#include "ref_regions.h"

#include <QString>

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

struct TImageState {
    std::unique_ptr<TDIBImage> Picture;
    std::vector<TRefRegion> Regions;
    std::vector<THatchArea> HatchAreas;
    QString FileName;
    bool Saved = false;

    // The memory the state holds, in bytes (its picture; the marks are small).
    std::size_t Bytes() const;
};

class TImageHistory {
public:
    // The default budget of one window's history.
    static constexpr std::size_t defaultBudget = std::size_t(300) << 20;

    explicit TImageHistory(std::size_t budget = defaultBudget) : budget_(budget) {}

    // The state before a change; the steps that could be redone are gone.
    void Push(TImageState before);
    // The change after the last pushed state failed: that state goes.
    void DropLast();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Goes one step back: the state to show, with `current` kept to redo.
    TImageState Undo(TImageState current);
    // Goes one step forward again: the state to show, with `current` kept to undo.
    TImageState Redo(TImageState current);
    void Clear();
    // The picture was saved: no kept state equals the file any more.
    void ForgetSaved();

    std::size_t Bytes() const;
    std::size_t Budget() const { return budget_; }
    void SetBudget(std::size_t budget);
    int UndoSteps() const { return int(undo_.size()); }
    int RedoSteps() const { return int(redo_.size()); }

private:
    void keepWithinBudget();

    std::size_t budget_;
    std::deque<TImageState> undo_; // oldest first
    std::deque<TImageState> redo_; // the next to redo last
};
