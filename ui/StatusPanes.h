// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QColor>
#include <QStatusBar>
#include <QString>
#include <array>

class QLabel;

// Pane 1 tells how the link stands, pane 2 how long it has been up; pane 0
// stays empty but for what the session log has to tell.
inline constexpr int kMessagePane = 0;
inline constexpr int kStatusPane = 1;
inline constexpr int kTimePane = 2;

// The window's status bar: pane 0 (the session log's messages), pane 1 (link status, 98
// pixels) and pane 2 (connection time, the rest), on a background colour that
// tells the state of the link. Screen readers read each pane by the text it
// shows (see StatusPaneAccessible) and are told when the news in it changes.
class StatusPanes : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int kPaneCount = 3;
    static constexpr int kStatusPaneWidth = 98;
    // Pane 0 leaves this much of the client width to panes 1 and 2.
    static constexpr int kRightPanesWidth = 190;

    explicit StatusPanes(QWidget* parent = nullptr);

    // Pane widths from the client width the window has at initialisation.
    void SetPaneWidths(int clientWidth);
    // The pane is redrawn at the next refresh of the window. While a screen
    // reader listens, a change of the news in the pane is announced: each
    // message of pane 0, the link's state in pane 1 but not its moving dots,
    // nothing of the clock in pane 2 (read when asked for, not every second).
    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;
    QLabel* Pane(int pane) const;
    // What the pane is, in the interface language, read beside its text.
    void DescribePane(int pane, const QString& description);

    void SetBackgroundColour(const QColor& colour);
    QColor BackgroundColour() const { return background_; }

private:
    void Announce(int pane);

    std::array<QLabel*, kPaneCount> panes_{};
    // The news last announced in each pane.
    std::array<QString, kPaneCount> announced_;
    QColor background_;
};
