// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/LinkedWindow.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "ui/SpinButton.h"

namespace {
// Silence is noticed 2.2 to 2.4 s after the last frame.
constexpr int kLossTimeoutMs = 4000;
}  // namespace

bool LinkedWindow::Start(const QStringList& simArguments) {
    sim = std::make_unique<SimProcess>(simArguments);
    return sim->Start() && window.OpenLinkedTo(sim->PortPath().toStdString());
}

bool LinkedWindow::Step(int k, bool up) {
    SpinButton* spin = Dlg().Spin(k);
    QTest::mouseClick(up ? spin->UpArrow() : spin->DownArrow(), Qt::LeftButton);
    return QTest::qWaitFor(
        [&] { return int(Dlg().Session().Record().deviceParams[k]) == Dlg().Session().Panel()[k]; },
        kWireTimeoutMs);
}

QList<int> LinkedWindow::Marked() const {
    QList<int> marked;
    for (int k = 0; k < kParamCount; ++k) {
        if (!window.dlg->UnstoredMark(k)->isHidden()) marked << k;
    }
    return marked;
}

bool LinkedWindow::Silence() {
    sim->Command(QStringLiteral("silent"));
    return QTest::qWaitFor([this] { return !Dlg().Session().Record().linkUp; }, kLossTimeoutMs);
}

void LinkedWindow::Close() {
    window.Close();
    sim.reset();
}
