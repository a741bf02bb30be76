// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "log/LogFormat.h"
#include "log/ReplayCursor.h"
#include "log/SessionRecord.h"

class QAbstractButton;
class QLabel;
class QPushButton;
class QSlider;
struct UiTexts;

// The controls of a replay, in a small window of their own beside the
// calibration window: play at 1x or 4x, pause, a slider over the log's
// length, and End. Frames fall due on the log's own timing and are handed
// to the window; at the end of the log the replay pauses. Closing the window
// ends the replay. A line under the position says how many of the log's rows
// were skipped and why, when any were.
class ReplayPanel : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTickMs = 10;
    static constexpr int kNormal = 1;
    static constexpr int kFast = 4;
    static constexpr int kPaused = 0;

    // At least one frame. Starts paused; SeekTo(0) shows the first frame.
    ReplayPanel(std::vector<SessionFrame> frames, const SkippedRows& skipped,
                const QString& fileName, const UiTexts& texts, QWidget* parent);

    void SetLanguage(const UiTexts& texts);
    // kPaused, kNormal or kFast.
    void SetSpeed(int speed);
    int Speed() const { return speed_; }
    // Jumps to a position (microseconds from the first frame) and shows the
    // frame there.
    void SeekTo(std::int64_t positionUs);
    std::int64_t Position() const;
    std::int64_t Duration() const { return cursor_.Duration(); }

    QSlider* Slider() const { return slider_; }
    QAbstractButton* SpeedButton(int speed) const;
    // The line on skipped rows; hidden when none were.
    QLabel* SkippedLine() const { return skippedLabel_; }

signals:
    void frameDue(const SessionFrame& frame);
    // Every tick while playing, and at a seek.
    void positionChanged(std::int64_t positionUs);
    // The user closed the window or pressed End.
    void ended();

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void Tick();
    void SeekToSlider(int value);
    void ShowPosition(std::int64_t positionUs);
    void PlaceBesideOwner();

    ReplayCursor cursor_;
    SkippedRows skipped_;
    // Microseconds per step of the slider, whose range is an int.
    std::int64_t sliderStepUs_;
    QTimer tick_;
    QElapsedTimer clock_;
    // The position when the clock was last started, and how fast it runs.
    std::int64_t anchorUs_ = 0;
    int speed_ = kPaused;
    QString fileName_;
    QLabel* positionLabel_;
    QLabel* skippedLabel_;
    QSlider* slider_;
    QPushButton* normalButton_;
    QPushButton* fastButton_;
    QPushButton* pauseButton_;
    QPushButton* endButton_;
};
