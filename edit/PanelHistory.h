// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "domain/Calibration.h"

// One change of the panel made by the user: a click, a drag, an operation, a
// paste, a file load. It holds only the parameters it changed, so undoing it
// leaves alone what changed in between by other ways (the controller's
// values loaded, an earlier record restored).
struct PanelStep {
    ParamMask changed = 0;
    PanelParams before{};
    PanelParams after{};
    bool operator==(const PanelStep&) const = default;
};

// The steps undo and redo walk. Recording a step forgets the steps undone
// before it; the oldest step goes first when there are more than the limit.
class PanelHistory {
public:
    static constexpr std::size_t kDefaultLimit = 1000;

    explicit PanelHistory(std::size_t limit = kDefaultLimit);

    // A change from before to after as one step; nothing when they are equal.
    void Record(const PanelParams& before, const PanelParams& after);
    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    std::size_t UndoCount() const { return done_.size(); }
    std::size_t RedoCount() const { return undone_.size(); }
    // The newest step, moved to the redo side: the caller sets its changed
    // parameters back to their before values. Nothing when there is none.
    std::optional<PanelStep> Undo();
    // The newest undone step, moved back: the caller sets its changed
    // parameters to their after values.
    std::optional<PanelStep> Redo();
    void Clear();

private:
    std::size_t limit_;
    std::deque<PanelStep> done_;
    std::deque<PanelStep> undone_;
};
