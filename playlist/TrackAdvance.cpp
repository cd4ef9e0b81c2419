#include "TrackAdvance.h"

#include <algorithm>

#include "MediaTypes.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"

namespace tavora {
namespace {

constexpr int kRowHeight = 16;

// One application of a choice rule: the row it lands on (or none / stop), with the
// fading the rule asks for.
struct Step {
    AdvanceAction action = AdvanceAction::None;
    int row = -1;
    bool fade = false;
    bool slideAlways = false;
};

Step PlayRow(int row, bool fade, bool slideAlways = false) { return {AdvanceAction::Play, row, fade, slideAlways}; }

Step StepNext(PlaylistModel& model, EntryGuard& guard, AdvanceModes modes, int last) {
    if (modes.shuffle) {
        const int pos = model.ShufflePosLocked(guard);
        const bool usedUp = pos >= last;
        if (pos > last || (usedUp && modes.repeat != RepeatMode::One)) {
            if (modes.repeat != RepeatMode::All) return {};
            model.SetShufflePosLocked(guard, 0);
            const int row = model.ShuffleRowLocked(guard, 0);
            model.SetCurrentIndexLocked(guard, row);
            return PlayRow(row, false, true);
        }
        if (modes.repeat == RepeatMode::One) return {};
        const int next = std::max(pos, -1) + 1;
        model.SetShufflePosLocked(guard, next);
        const int row = model.ShuffleRowLocked(guard, next);
        model.SetCurrentIndexLocked(guard, row);
        return PlayRow(row, true);
    }
    const int current = std::max(model.CurrentIndexLocked(guard), -1);
    if (current + 1 > last) {
        if (modes.repeat != RepeatMode::All) return {};
        model.SetCurrentIndexLocked(guard, 0);
        return PlayRow(0, true);
    }
    if (modes.repeat == RepeatMode::One) return {};
    model.SetCurrentIndexLocked(guard, current + 1);
    return PlayRow(current + 1, true);
}

Step StepPrevious(PlaylistModel& model, EntryGuard& guard, AdvanceModes modes, int last) {
    if (modes.shuffle) {
        const int pos = model.ShufflePosLocked(guard);
        int target;
        if (pos - 1 < 0) {
            if (modes.repeat != RepeatMode::All) return {};
            target = last;
        } else {
            if (modes.repeat == RepeatMode::One) return {};
            target = std::min(pos - 1, last);
        }
        model.SetShufflePosLocked(guard, target);
        const int row = model.ShuffleRowLocked(guard, target);
        model.SetCurrentIndexLocked(guard, row);
        return PlayRow(row, true);
    }
    const int current = std::min(model.CurrentIndexLocked(guard), last + 1);
    if (current - 1 < 0) {
        if (modes.repeat != RepeatMode::All) return {};
        model.SetCurrentIndexLocked(guard, last);
        return PlayRow(last, true);
    }
    if (modes.repeat == RepeatMode::One) return {};
    model.SetCurrentIndexLocked(guard, current - 1);
    return PlayRow(current - 1, true);
}

Step StepTrackEnd(PlaylistModel& model, EntryGuard& guard, AdvanceModes modes, int last) {
    if (modes.repeat == RepeatMode::One) return PlayRow(model.CurrentIndexLocked(guard), false);
    const bool wrap = modes.repeat == RepeatMode::All;
    if (modes.shuffle) {
        const int pos = model.ShufflePosLocked(guard);
        int next = std::max(pos, -1) + 1;
        if (next > last) {
            if (!wrap) return {AdvanceAction::Stop};
            next = 0;
        }
        model.SetShufflePosLocked(guard, next);
        const int row = model.ShuffleRowLocked(guard, next);
        model.SetCurrentIndexLocked(guard, row);
        return PlayRow(row, false);
    }
    int next = std::max(model.CurrentIndexLocked(guard), -1) + 1;
    if (next > last) {
        if (!wrap) {
            // Left one past the last row: Back then plays the last row again.
            model.SetCurrentIndexLocked(guard, next);
            return {AdvanceAction::Stop};
        }
        next = 0;
    }
    model.SetCurrentIndexLocked(guard, next);
    return PlayRow(next, false);
}

AdvanceChoice ChoiceForRow(const PlaylistModel& model, const EntryGuard& guard, int row) {
    AdvanceChoice choice;
    choice.action = AdvanceAction::Play;
    choice.row = row;
    choice.path = model.GetEntryFieldLocked(guard, row, kColumnPath);
    choice.time = model.GetEntryFieldLocked(guard, row, kColumnTime);
    return choice;
}

}  // namespace

AdvanceModes AdvanceModesFromFlags(int repeatOne, int repeatAll, int shuffle) {
    AdvanceModes modes;
    modes.repeat = repeatOne ? RepeatMode::One : repeatAll ? RepeatMode::All : RepeatMode::Off;
    modes.shuffle = shuffle != 0;
    return modes;
}

AdvanceChoice Choose(PlaylistModel& model, AdvanceModes modes, AdvanceTrigger trigger) {
    EntryGuard guard(model);
    const int last = model.LastIndexLocked(guard);
    AdvanceChoice result;
    result.freeStream = trigger != AdvanceTrigger::Next;
    if (last < 0) return result;  // nothing to choose from; the end of a track just frees its stream

    // Each "---" row repeats the choice; one pass over the list is enough to find every
    // playable row, so the repetition stops there.
    for (int attempt = 0; attempt <= last + 1; ++attempt) {
        Step step;
        switch (trigger) {
        case AdvanceTrigger::Next: step = StepNext(model, guard, modes, last); break;
        case AdvanceTrigger::Previous: step = StepPrevious(model, guard, modes, last); break;
        case AdvanceTrigger::TrackEnd: step = StepTrackEnd(model, guard, modes, last); break;
        }
        result.fade = result.fade || step.fade;
        result.slideAlways = result.slideAlways || step.slideAlways;
        if (step.action != AdvanceAction::Play || step.row < 0 || step.row > last) {
            result.action = step.action == AdvanceAction::Stop ? AdvanceAction::Stop : AdvanceAction::None;
            return result;
        }
        const std::string time = model.GetEntryFieldLocked(guard, step.row, kColumnTime);
        // The same song again is played whatever its mark.
        const bool replay = trigger == AdvanceTrigger::TrackEnd && modes.repeat == RepeatMode::One;
        if (time == kTimeUnplayable && !replay) continue;
        AdvanceChoice choice = ChoiceForRow(model, guard, step.row);
        choice.fade = result.fade;
        choice.slideAlways = result.slideAlways;
        choice.freeStream = result.freeStream;
        choice.asUrlStream = trigger == AdvanceTrigger::TrackEnd && !replay && time == kTimeUrl;
        return choice;
    }
    result.action = AdvanceAction::None;
    return result;
}

AdvanceChoice ChooseNext(PlaylistModel& model, AdvanceModes modes) { return Choose(model, modes, AdvanceTrigger::Next); }
AdvanceChoice ChoosePrevious(PlaylistModel& model, AdvanceModes modes) {
    return Choose(model, modes, AdvanceTrigger::Previous);
}
AdvanceChoice ChooseAtTrackEnd(PlaylistModel& model, AdvanceModes modes) {
    return Choose(model, modes, AdvanceTrigger::TrackEnd);
}

AdvanceChoice ChooseSelectedRow(PlaylistModel& model) {
    EntryGuard guard(model);
    const int selected = model.SelectedIndexLocked(guard);
    if (selected < 0 || selected > model.LastIndexLocked(guard)) return {};
    model.SetCurrentIndexLocked(guard, selected);
    return ChoiceForRow(model, guard, selected);
}

AdvanceChoice ChooseCurrentRow(PlaylistModel& model) {
    EntryGuard guard(model);
    const int current = model.CurrentIndexLocked(guard);
    if (current < 0 || current > model.LastIndexLocked(guard)) return {};
    return ChoiceForRow(model, guard, current);
}

AdvanceChoice AdvanceAndPlay(PlaylistModel& model, AdvanceModes modes, AdvanceTrigger trigger,
                             const std::function<bool(const AdvanceChoice&)>& open) {
    AdvanceChoice choice = Choose(model, modes, trigger);
    const AdvanceTrigger retry = trigger == AdvanceTrigger::Previous ? AdvanceTrigger::Previous : AdvanceTrigger::Next;
    const int attempts = model.RowCount();
    for (int i = 0; choice.action == AdvanceAction::Play; ++i) {
        if (open(choice)) return choice;
        if (i >= attempts) break;
        choice = Choose(model, modes, retry);
    }
    choice.action = choice.action == AdvanceAction::Stop ? AdvanceAction::Stop : AdvanceAction::None;
    return choice;
}

OpenedAddressUse ClassifyOpenedAddress(std::string_view address) {
    if (address.size() >= 5 && address[address.size() - 5] == ':') return OpenedAddressUse::InternetStream;
    const std::string_view ext = ExtensionOf(address);
    if (media::InUse(media::Use::OpenedPls, ext)) return OpenedAddressUse::PlsPlaylist;
    if (media::InUse(media::Use::OpenedSong, ext)) return OpenedAddressUse::SongFile;
    return OpenedAddressUse::InternetStream;
}

int PositionUnits(uint64_t bytePosition, uint64_t byteLength, int positionMax) {
    if (byteLength == 0 || byteLength == UINT64_MAX || positionMax <= 0) return 0;
    const unsigned __int128 units =
        static_cast<unsigned __int128>(bytePosition) * static_cast<unsigned>(positionMax) / byteLength;
    return static_cast<int>(std::min<unsigned __int128>(units, static_cast<unsigned>(positionMax)));
}

bool IsTrackEnd(int positionUnits, int positionMax, bool reverse) {
    return reverse ? positionUnits <= 0 : positionUnits >= positionMax - 1;
}

int ScrollTargetForRow(int row, int topRow, int listHeight) {
    if (row < 0) return -1;
    const int visibleRows = listHeight / kRowHeight;
    if (row < topRow || row - topRow > visibleRows) return row;
    return -1;
}

}  // namespace tavora
