// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class QAbstractButton;
class QLabel;
class QPushButton;
class QSlider;
class ReplayPlayer;
struct UiTexts;

// The controls of a replay, in a small window of their own beside the
// calibration window: play at 1x or 4x, pause, a slider over the log's
// length, Export CSV, and End. It shows and moves the session's player;
// closing it ends the replay. A line under the position says how many of the
// log's rows were skipped and why, when any were.
class ReplayPanel : public QDialog {
    Q_OBJECT

public:
    static constexpr int kNormal = 1;
    static constexpr int kFast = 4;
    static constexpr int kPaused = 0;

    ReplayPanel(ReplayPlayer& player, const QString& fileName, const UiTexts& texts,
                QWidget* parent);

    void SetLanguage(const UiTexts& texts);
    // kPaused, kNormal or kFast.
    void SetSpeed(int speed);
    int Speed() const;
    // Jumps to a position (microseconds from the first frame).
    void SeekTo(std::int64_t positionUs);
    std::int64_t Position() const;
    std::int64_t Duration() const;

    QSlider* Slider() const { return slider_; }
    QAbstractButton* SpeedButton(int speed) const;
    // The line on skipped rows; hidden when none were.
    QLabel* SkippedLine() const { return skippedLabel_; }
    QAbstractButton* ExportButton() const;

signals:
    // The user closed the window or pressed End.
    void ended();
    // The user asked for the log as CSV.
    void exportCsvAsked();

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void SeekToSlider(int value);
    void ShowPosition(std::int64_t positionUs);
    void ShowSpeed(int speed);
    void PlaceBesideOwner();

    ReplayPlayer& player_;
    // Microseconds per step of the slider, whose range is an int.
    std::int64_t sliderStepUs_;
    QString fileName_;
    QLabel* positionLabel_;
    QLabel* skippedLabel_;
    QSlider* slider_;
    QPushButton* normalButton_;
    QPushButton* fastButton_;
    QPushButton* pauseButton_;
    QPushButton* exportButton_;
    QPushButton* endButton_;
};
