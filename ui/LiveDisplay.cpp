// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/LiveDisplay.h"

#include <QLineEdit>
#include <algorithm>
#include <utility>

#include "session/CalibrationSession.h"
#include "ui/ControlColours.h"
#include "ui/LiveBar.h"
#include "ui/StatusPanes.h"

namespace {
constexpr int kNoMarker = -1;
// A message shown for a moment, such as a mark's confirmation, stays this long.
constexpr std::chrono::milliseconds kMessageMoment{4000};

void SetTextIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}
}  // namespace

void LiveDisplay::Follow(const CalibrationSession& session) {
    using Session = CalibrationSession;
    connect(&session, &Session::readoutsShown, this, &LiveDisplay::ShowReadouts);
    connect(&session, &Session::lambdaBandShown, this, [this](LambdaBand band) {
        ShowLambdaColour(ControlColours::ToQColor(ControlColours::LambdaBandColourOf(band)));
    });
    connect(&session, &Session::cellMarkerShown, this, &LiveDisplay::ShowMarker);
    connect(&session, &Session::liveDisplayCleared, this, [this] {
        ShowReadouts({});
        ShowMarker(kNoMarker);
        ShowStatusColour(ControlColours::ToQColor(kStatusNoLink));
    });
    connect(&session, &Session::linkStatusShown, this,
            [this](Session::LinkStatus, const QString& text) { ShowPaneText(kStatusPane, text); });
    connect(&session, &Session::connectionTimeShown, this,
            [this](const QString& text) { ShowPaneText(kTimePane, text); });
    connect(&session, &Session::statusColourShown, this, [this](Session::StatusColour colour) {
        ShowStatusColour(ControlColours::ToQColor(ControlColours::StatusColourOf(colour)));
    });
}

LiveDisplay::LiveDisplay(const Controls& controls, QObject* parent)
    : QObject(parent), controls_(controls) {
    refresh_.setSingleShot(true);
    sinceFlush_.start();
    connect(&refresh_, &QTimer::timeout, this, &LiveDisplay::Flush);
    messageMoment_.setSingleShot(true);
    messageMoment_.setInterval(kMessageMoment);
    connect(&messageMoment_, &QTimer::timeout, this, [this] { ShowPaneText(kMessagePane, {}); });
}

void LiveDisplay::ShowReadouts(const WindowOps::Readouts& readouts) {
    pending_.readouts = readouts;
    Schedule();
}

void LiveDisplay::ShowLambdaColour(const QColor& colour) {
    pending_.lambdaColour = colour;
    Schedule();
}

void LiveDisplay::ShowMarker(int k) {
    pending_.marker = k;
    Schedule();
}

void LiveDisplay::ShowPaneText(int pane, const QString& text) {
    if (pane < 0 || pane >= static_cast<int>(pending_.panes.size())) return;
    pending_.panes[pane] = text;
    Schedule();
}

void LiveDisplay::ShowMessage(const QString& text, bool forAMoment) {
    messageMoment_.stop();
    ShowPaneText(kMessagePane, text);
    if (forAMoment) messageMoment_.start();
}

void LiveDisplay::ShowStatusColour(const QColor& colour) {
    pending_.statusColour = colour;
    Schedule();
}

// A change is shown once the event that made it has been handled, together
// with everything else that event changed, unless the controls were updated
// less than a refresh ago: then it joins what comes until the refresh is due.
void LiveDisplay::Schedule() {
    if (refresh_.isActive()) return;
    const std::chrono::milliseconds since(sinceFlush_.elapsed());
    refresh_.start(std::max(kRefresh - since, std::chrono::milliseconds::zero()));
}

void LiveDisplay::Flush() {
    refresh_.stop();
    sinceFlush_.restart();
    Pending pending = std::exchange(pending_, {});
    if (pending.readouts) ApplyReadouts(*pending.readouts);
    if (pending.lambdaColour) controls_.bars[kLambda]->SetBarColour(*pending.lambdaColour);
    if (pending.marker) {
        for (int k = 0; k < kParamCount; ++k)
            controls_.markers[k]->setVisible(k == *pending.marker);
    }
    for (int pane = 0; pane < static_cast<int>(pending.panes.size()); ++pane) {
        if (pending.panes[pane]) controls_.status->SetPaneText(pane, *pending.panes[pane]);
    }
    if (pending.statusColour) controls_.status->SetBackgroundColour(*pending.statusColour);
}

void LiveDisplay::ApplyReadouts(const WindowOps::Readouts& readouts) {
    const std::array<const std::string*, kReadouts> texts = {
        &readouts.petrolText, &readouts.gasText, &readouts.lambdaText};
    const std::array<int, kReadouts> bars = {readouts.petrolBar, readouts.gasBar,
                                             readouts.lambdaBar};
    for (int i = 0; i < kReadouts; ++i) {
        SetTextIfChanged(controls_.readouts[i], QString::fromStdString(*texts[i]));
        controls_.bars[i]->SetPosition(bars[i]);
    }
}
