#include "image_history.h"

std::size_t TImageState::Bytes() const {
    return Picture != nullptr && Picture->Header != nullptr
               ? std::size_t(Picture->HeaderSize()) + std::size_t(Picture->ImageSize())
               : 0;
}

void TImageHistory::Push(TImageState before) {
    redo_.clear();
    if (before.Bytes() > budget_) {
        undo_.clear(); // the steps before it cannot be reached past it
        return;
    }
    undo_.push_back(std::move(before));
    keepWithinBudget();
}

void TImageHistory::DropLast() {
    if (!undo_.empty()) {
        undo_.pop_back();
    }
}

TImageState TImageHistory::Undo(TImageState current) {
    TImageState previous = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(std::move(current));
    keepWithinBudget();
    return previous;
}

TImageState TImageHistory::Redo(TImageState current) {
    TImageState next = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(std::move(current));
    keepWithinBudget();
    return next;
}

void TImageHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

void TImageHistory::ForgetSaved() {
    for (auto* steps : {&undo_, &redo_}) {
        for (TImageState& state : *steps) {
            state.Saved = false;
        }
    }
}

std::size_t TImageHistory::Bytes() const {
    std::size_t bytes = 0;
    for (const auto* steps : {&undo_, &redo_}) {
        for (const TImageState& state : *steps) {
            bytes += state.Bytes();
        }
    }
    return bytes;
}

void TImageHistory::SetBudget(std::size_t budget) {
    budget_ = budget;
    keepWithinBudget();
}

// The oldest undo steps go first, then the farthest redo steps.
void TImageHistory::keepWithinBudget() {
    while (Bytes() > budget_ && !undo_.empty()) {
        undo_.pop_front();
    }
    while (Bytes() > budget_ && !redo_.empty()) {
        redo_.pop_front();
    }
}
