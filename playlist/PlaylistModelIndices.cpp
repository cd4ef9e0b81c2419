// The indices and the shuffle order of PlaylistModel (rows are in PlaylistModel.cpp).
#include "PlaylistModel.h"
#include "ShuffleOrder.h"

namespace tavora {

// --- Indices -------------------------------------------------------------------------

int PlaylistModel::SelectedIndex() const {
    EntryGuard guard(*this);
    return selectedIndex_;
}
void PlaylistModel::SetSelectedIndex(int index) {
    EntryGuard guard(*this);
    selectedIndex_ = index;
}
int PlaylistModel::CurrentIndex() const {
    EntryGuard guard(*this);
    return currentIndex_;
}
void PlaylistModel::SetCurrentIndex(int index) {
    EntryGuard guard(*this);
    currentIndex_ = index;
}
int PlaylistModel::SelectedIndexLocked(const EntryGuard& guard) const {
    Check(guard);
    return selectedIndex_;
}
int PlaylistModel::CurrentIndexLocked(const EntryGuard& guard) const {
    Check(guard);
    return currentIndex_;
}
void PlaylistModel::SetCurrentIndexLocked(EntryGuard& guard, int index) {
    Check(guard);
    currentIndex_ = index;
}
void PlaylistModel::SetSelectedIndexLocked(EntryGuard& guard, int index) {
    Check(guard);
    selectedIndex_ = index;
}

void PlaylistModel::MarkCurrentRow(int row) {
    EntryGuard guard(*this);
    if (row >= static_cast<int>(rows_.size())) return;
    if (markedRow_ >= 0 && markedRow_ < static_cast<int>(rows_.size()))
        rows_[static_cast<size_t>(markedRow_)].isCurrent = false;
    markedRow_ = row < 0 ? -1 : row;
    if (markedRow_ >= 0) rows_[static_cast<size_t>(markedRow_)].isCurrent = true;
    guard.events_.push_back({EntryGuard::Event::CurrentRow, markedRow_, 0, {}});
}

int PlaylistModel::MarkedRow() const {
    EntryGuard guard(*this);
    return markedRow_;
}

// --- Shuffle order -------------------------------------------------------------------

void PlaylistModel::MarkShuffleStale(const EntryGuard& guard) const {
    Check(guard);
    shuffleStale_ = true;
}

void PlaylistModel::DrawShuffle(const EntryGuard& guard) const {
    Check(guard);
    shuffleOrder_ = DrawShuffleOrder(static_cast<int>(rows_.size()), random_);
    shufflePos_ = -1;
    shuffleStale_ = false;
}

void PlaylistModel::RefreshShuffle(const EntryGuard& guard) const {
    if (shuffleStale_) DrawShuffle(guard);
}

void PlaylistModel::RebuildShuffleOrder() {
    EntryGuard guard(*this);
    DrawShuffle(guard);
}

std::vector<int> PlaylistModel::ShuffleOrder() const {
    EntryGuard guard(*this);
    RefreshShuffle(guard);
    return shuffleOrder_;
}

int PlaylistModel::ShufflePos() const {
    EntryGuard guard(*this);
    RefreshShuffle(guard);
    return shufflePos_;
}

int PlaylistModel::ShufflePosLocked(EntryGuard& guard) {
    RefreshShuffle(guard);
    return shufflePos_;
}

void PlaylistModel::SetShufflePosLocked(EntryGuard& guard, int pos) {
    RefreshShuffle(guard);
    shufflePos_ = pos;
}

int PlaylistModel::ShuffleRowLocked(EntryGuard& guard, int pos) {
    RefreshShuffle(guard);
    if (pos < 0 || pos >= static_cast<int>(shuffleOrder_.size())) return -1;
    return shuffleOrder_[static_cast<size_t>(pos)];
}

}  // namespace tavora
