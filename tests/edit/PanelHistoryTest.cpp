// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The steps undo and redo walk: what a step remembers, and which steps are
// forgotten when.
#include <gtest/gtest.h>

#include <utility>

#include "edit/PanelHistory.h"

namespace {

PanelParams With(PanelParams panel, int k, std::int32_t value) {
    panel[std::size_t(k)] = value;
    return panel;
}

// The value cell 0 holds after the step; the history below changes only it.
std::int32_t After(const std::optional<PanelStep>& step) {
    return step ? step->after[0] : -1;
}

}  // namespace

TEST(PanelHistory, UndoAndRedoWalkTheStepsInOrder) {
    const PanelParams a{};
    const PanelParams b = With(a, 3, 20);
    const PanelParams c = With(With(b, 0, 5), 15, 9);
    PanelHistory history;
    history.Record(a, b);
    history.Record(b, c);
    EXPECT_EQ(history.UndoCount(), 2u);

    EXPECT_EQ(history.Undo(), (PanelStep{0x8001, b, c}));
    EXPECT_EQ(history.Undo(), (PanelStep{0x0008, a, b}));
    EXPECT_EQ(history.Undo(), std::nullopt);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.RedoCount(), 2u);

    EXPECT_EQ(history.Redo(), (PanelStep{0x0008, a, b}));
    EXPECT_EQ(history.Redo(), (PanelStep{0x8001, b, c}));
    EXPECT_EQ(history.Redo(), std::nullopt);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoCount(), 2u);
}

TEST(PanelHistory, TheChangedMaskNamesEveryChangedCell) {
    const PanelParams zero{};
    PanelParams all;
    all.fill(1);
    const std::pair<PanelParams, ParamMask> cases[] = {
        {With(zero, 0, 1), 0x0001},
        {With(zero, 15, -1), 0x8000},
        {With(With(zero, 1, 7), 3, 7), 0x000A},
        {all, 0xFFFF},
    };
    for (const auto& [after, mask] : cases) {
        PanelHistory history;
        history.Record(zero, after);
        EXPECT_EQ(history.Undo()->changed, mask);
    }
}

// A step that changes nothing is not recorded, and does not cost the steps
// that could still be redone.
TEST(PanelHistory, AnUnchangedPanelRecordsNothing) {
    const PanelParams a{};
    PanelHistory history;
    history.Record(a, a);
    EXPECT_FALSE(history.CanUndo());
    history.Record(a, With(a, 0, 1));
    history.Undo();
    history.Record(a, a);
    EXPECT_EQ(history.RedoCount(), 1u);
    EXPECT_EQ(history.UndoCount(), 0u);
}

TEST(PanelHistory, RecordingAfterAnUndoForgetsTheUndoneSteps) {
    const PanelParams a{};
    PanelHistory history;
    history.Record(a, With(a, 0, 1));
    history.Record(With(a, 0, 1), With(a, 0, 2));
    history.Undo();
    history.Record(With(a, 0, 1), With(a, 0, 3));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(After(history.Undo()), 3);
    EXPECT_EQ(After(history.Undo()), 1);
    EXPECT_EQ(history.Undo(), std::nullopt);
}

TEST(PanelHistory, TheOldestStepGoesFirstPastTheLimit) {
    PanelHistory history(3);
    for (std::int32_t v = 1; v <= 5; ++v) history.Record(With({}, 0, v - 1), With({}, 0, v));
    EXPECT_EQ(history.UndoCount(), 3u);
    EXPECT_EQ(After(history.Undo()), 5);
    EXPECT_EQ(After(history.Undo()), 4);
    EXPECT_EQ(After(history.Undo()), 3);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.RedoCount(), 3u);

    PanelHistory byDefault;
    for (std::int32_t v = 1; v <= 1001; ++v) byDefault.Record(With({}, 0, v - 1), With({}, 0, v));
    EXPECT_EQ(byDefault.UndoCount(), PanelHistory::kDefaultLimit);
}

TEST(PanelHistory, ClearForgetsBothSides) {
    PanelHistory history;
    history.Record({}, With({}, 0, 1));
    history.Record(With({}, 0, 1), With({}, 0, 2));
    history.Undo();
    history.Clear();
    EXPECT_EQ(history.Undo(), std::nullopt);
    EXPECT_EQ(history.Redo(), std::nullopt);
}
