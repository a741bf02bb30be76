// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>

class CalibrationSession;
class QLabel;
class QPushButton;
struct UiTexts;

// The link's health beside the calibration window: the figures the link
// counts and the hints they give. Read from the session once a second while
// shown; hidden, it has no timer running and nothing connected, so it costs
// nothing.
class LinkHealthPanel : public QDialog {
    Q_OBJECT

public:
    enum Row {
        kFramesPerSecond,
        kBytesRead,
        kFramesTaken,
        kBytesDiscarded,
        kLinkLosses,
        kResends,
        kEchoLatency,
        kRowCount
    };
    static constexpr int kRefreshMs = 1000;

    LinkHealthPanel(CalibrationSession& session, const UiTexts& texts, QWidget* parent);

    void SetLanguage(const UiTexts& texts);
    // Reads the figures and the hints now.
    void Refresh();

    // What is shown, for tests and screen readers alike.
    QLabel* Name(Row row) const { return names_[row]; }
    QLabel* Value(Row row) const { return values_[row]; }
    QLabel* Hints() const { return hints_; }
    const QTimer& RefreshTimer() const { return timer_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CalibrationSession& session_;
    const UiTexts* texts_;
    std::array<QLabel*, kRowCount> names_{};
    std::array<QLabel*, kRowCount> values_{};
    QLabel* hintsTitle_;
    QLabel* hints_;
    QPushButton* close_;
    QTimer timer_;
};
