// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/UnstoredChanges.h"

#include "link/ControllerLink.h"

namespace {
bool IsSet(ParamMask mask, int k) {
    return ((mask >> k) & 1U) != 0;
}
}  // namespace

UnstoredChanges::UnstoredChanges(ControllerLink& link, QObject* parent)
    : QObject(parent), link_(link) {
    connect(&files_, &RecoveryFiles::writeFailed, this, &UnstoredChanges::recordWriteFailed);
}

std::optional<UnstoredRecord> UnstoredChanges::CurrentRecord() const {
    if (shown_ == 0) return std::nullopt;
    UnstoredRecord record{link_.Panel(), {}};
    const LinkState& state = link_.Record();
    for (int k = 0; k < kParamCount; ++k) record.stored[k] = state.storedParams[k];
    return record;
}

void UnstoredChanges::Follow() {
    const ParamMask unstored = link_.Unstored();
    if (unstored != shown_) {
        shown_ = unstored;
        emit changed(unstored);
    }
    files_.Follow(CurrentRecord());
    if (!offered_ && link_.Record().panelLoaded) {
        offered_ = true;
        OfferEarlierRecord();
    }
}

// The panel has just been loaded from the controller: its values say whether
// the record was made on it. A damaged one is named again here, where a
// record would be offered.
void UnstoredChanges::OfferEarlierRecord() {
    if (!files_.SetAsideName().isEmpty()) emit recordSetAside(files_.SetAsideName());
    const std::optional<RecoveryFiles::Earlier>& earlier = files_.EarlierRecord();
    if (!earlier) return;
    const bool sameController = MadeOnThisController(earlier->record, link_.Panel());
    const ParamMask restore = ParamsToRestore(earlier->record, link_.Panel());
    if (restore != 0) {
        emit earlierRecordFound(sameController, CountParams(restore), earlier->savedAt);
        return;
    }
    // Nothing to give back here; another controller may still want it.
    if (sameController) {
        files_.DropEarlierRecord();
    } else {
        files_.KeepEarlierRecord();
    }
}

// Lowest first, as the send scheduler then finds them.
void UnstoredChanges::RestoreEarlier() {
    const std::optional<RecoveryFiles::Earlier> earlier = files_.EarlierRecord();
    if (!earlier) return;
    const ParamMask restore = ParamsToRestore(earlier->record, link_.Panel());
    for (int k = 0; k < kParamCount; ++k) {
        if (IsSet(restore, k)) link_.SetPanelValue(k, earlier->record.panel[k]);
    }
    files_.DropEarlierRecord();
    Follow();
}

void UnstoredChanges::DiscardEarlier() {
    files_.DropEarlierRecord();
    Follow();
}

void UnstoredChanges::KeepEarlier() {
    files_.KeepEarlierRecord();
    Follow();
}

void UnstoredChanges::Finish(bool keepChanges) {
    Follow();
    files_.Finish(keepChanges ? CurrentRecord() : std::nullopt);
}

std::optional<QString> UnstoredChanges::KeepPanel(QString& reason) const {
    return files_.KeepSet(link_.Panel(), reason);
}
