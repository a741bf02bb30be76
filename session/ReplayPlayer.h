// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "log/LogFormat.h"
#include "log/ReplayCursor.h"
#include "log/SessionRecord.h"

// A log played back on its own timing, at 1x or 4x, paused, or moved to a
// position: its frames fall due as they would have been shown. At the end of
// the log it pauses. Views show its position and speed and move it.
class ReplayPlayer : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickMs = 10;
    static constexpr int kNormal = 1;
    static constexpr int kFast = 4;
    static constexpr int kPaused = 0;

    // At least one frame. Starts paused, before its first frame.
    ReplayPlayer(std::vector<SessionFrame> frames, const SkippedRows& skipped,
                 QObject* parent = nullptr);

    // kPaused, kNormal or kFast; played to the end, it starts again.
    void SetSpeed(int speed);
    int Speed() const { return speed_; }
    // Jumps to a position (microseconds from the first frame) and shows the
    // frame there.
    void SeekTo(std::int64_t positionUs);
    std::int64_t Position() const;
    std::int64_t Duration() const { return cursor_.Duration(); }
    // The log's rows that could not be played, by reason.
    const SkippedRows& Skipped() const { return skipped_; }

signals:
    void frameDue(const SessionFrame& frame);
    // Every tick while playing, and at a seek.
    void positionChanged(std::int64_t positionUs);
    void speedChanged(int speed);

private:
    void Tick();

    ReplayCursor cursor_;
    SkippedRows skipped_;
    QTimer tick_;
    QElapsedTimer clock_;
    // The position when the clock was last started, and how fast it runs.
    std::int64_t anchorUs_ = 0;
    int speed_ = kPaused;
};
