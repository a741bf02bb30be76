// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

#include "link/LinkState.h"
#include "tests/support/LinkSnapshot.h"

class ByteRelay;

// Follows the link record through every event of the window that may change
// it and checks that the controller's parameters change only the way the
// program means them to: by received frames whose index byte is 0..15 and
// that really were on the line, back to back (found, in order, among the
// bytes the relay sent to the window), or by the send scheduler copying a panel value. Entry
// 16 never changes, and the link is declared up only once frames for all
// sixteen indices were on the line since the record was last cleared.
//
// Each After... call must run right after the window's own handler of that
// event, with nothing in between.
class FrameWitness {
public:
    FrameWitness(const ByteRelay& relay, const LinkState& state);

    void AfterReceive();
    void AfterSendTick(const PanelParams& panel);
    void AfterSupervisionTick();

    const QStringList& Violations() const { return violations_; }
    // Receive events that stored frames.
    int AcceptedFrames() const { return accepted_; }
    // Receive events after which the record was as before (no frame complete
    // or found, or an index above 15).
    int UnchangedEvents() const { return unchanged_; }
    int LinkUps() const { return linkUps_; }
    int SentParameters() const { return sent_; }

private:
    struct LineFrames {
        std::size_t end;  // just past the last of them, from the cursor
        std::uint16_t indices;
    };
    // The first run of frames on the line, from the cursor on, that turns the
    // last record into `now`.
    std::optional<LineFrames> FindFramesOnLine(const LinkSnapshot& now) const;
    void Report(const QString& what, const LinkSnapshot& now);

    const ByteRelay& relay_;
    const LinkState& state_;
    LinkSnapshot last_;
    std::size_t lineCursor_ = 0;
    std::uint16_t indicesOnLine_ = 0;
    int accepted_ = 0;
    int unchanged_ = 0;
    int linkUps_ = 0;
    int sent_ = 0;
    QStringList violations_;
};
