// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "edit/PanelHistory.h"

#include <utility>

PanelHistory::PanelHistory(std::size_t limit) : limit_(limit) {}

void PanelHistory::Record(const PanelParams& before, const PanelParams& after) {
    PanelStep step{.changed = 0, .before = before, .after = after};
    for (int k = 0; k < kParamCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (before[i] != after[i]) step.changed |= static_cast<ParamMask>(1u << k);
    }
    // A click that lands on the value already there is no step to undo, and
    // must not cost the user the steps they could still redo.
    if (step.changed == 0) return;
    undone_.clear();
    done_.push_back(step);
    while (done_.size() > limit_) done_.pop_front();
}

std::optional<PanelStep> PanelHistory::Undo() {
    if (done_.empty()) return std::nullopt;
    PanelStep step = std::move(done_.back());
    done_.pop_back();
    undone_.push_back(step);
    return step;
}

std::optional<PanelStep> PanelHistory::Redo() {
    if (undone_.empty()) return std::nullopt;
    PanelStep step = std::move(undone_.back());
    undone_.pop_back();
    done_.push_back(step);
    return step;
}

void PanelHistory::Clear() {
    done_.clear();
    undone_.clear();
}
