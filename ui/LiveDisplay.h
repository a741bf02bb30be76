// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <chrono>
#include <optional>

#include "link/LinkState.h"
#include "link/WindowOps.h"

class CalibrationSession;
class LiveBar;
class QLineEdit;
class QWidget;
class StatusPanes;

// What the window shows of the live link: the three readouts and their bars,
// the lambda bar's colour, the cell marker, the status panes and the status
// bar's colour. Every change is kept as it comes, and the controls follow at
// most once per screen refresh: nobody sees 160 changes a second, and painting
// each one would cost an old laptop more than all the rest of the program.
class LiveDisplay : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kRefresh{16};
    static constexpr int kReadouts = 3;
    static constexpr int kLambda = 2;

    struct Controls {
        std::array<QLineEdit*, kReadouts> readouts{};
        // Petrol, gas, lambda.
        std::array<LiveBar*, kReadouts> bars{};
        std::array<QWidget*, kParamCount> markers{};
        StatusPanes* status = nullptr;
    };

    LiveDisplay(const Controls& controls, QObject* parent = nullptr);

    // Shows what the session tells of the link: readouts, band, marker,
    // status texts and colour, the display cleared.
    void Follow(const CalibrationSession& session);

    void ShowReadouts(const WindowOps::Readouts& readouts);
    void ShowLambdaColour(const QColor& colour);
    // The marker of cell k; -1 hides them all.
    void ShowMarker(int k);
    void ShowPaneText(int pane, const QString& text);
    // The message pane's text; one shown for a moment clears itself.
    void ShowMessage(const QString& text, bool forAMoment);
    void ShowStatusColour(const QColor& colour);

    // The controls show what is pending, now rather than at the next refresh.
    void Flush();

private:
    struct Pending {
        std::optional<WindowOps::Readouts> readouts;
        std::optional<QColor> lambdaColour;
        std::optional<int> marker;
        std::array<std::optional<QString>, 3> panes;
        std::optional<QColor> statusColour;
    };

    void Schedule();
    void ApplyReadouts(const WindowOps::Readouts& readouts);

    Controls controls_;
    Pending pending_;
    QTimer refresh_;
    QTimer messageMoment_;
    QElapsedTimer sinceFlush_;
};
