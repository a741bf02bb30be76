// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/StatusPanes.h"

#include <QLabel>

namespace {
constexpr const char* kPaneNames[StatusPanes::kPaneCount] = {"blankPane", "linkStatusPane",
                                                             "connectionTimePane"};
}  // namespace

StatusPanes::StatusPanes(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(false);
    setAutoFillBackground(true);
    for (int pane = 0; pane < kPaneCount; ++pane) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(kPaneNames[pane]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        const int stretch = pane == kPaneCount - 1 ? 1 : 0;
        addPermanentWidget(label, stretch);
        panes_[pane] = label;
    }
}

void StatusPanes::SetPaneWidths(int clientWidth) {
    panes_[0]->setFixedWidth(clientWidth - kRightPanesWidth);
    panes_[1]->setFixedWidth(kStatusPaneWidth);
}

void StatusPanes::SetPaneText(int pane, const QString& text) {
    if (pane < 0 || pane >= kPaneCount) return;
    QLabel* label = panes_[pane];
    if (label->text() == text) return;
    label->setText(text);
}

QString StatusPanes::PaneText(int pane) const {
    return pane >= 0 && pane < kPaneCount ? panes_[pane]->text() : QString();
}

QLabel* StatusPanes::Pane(int pane) const {
    return pane >= 0 && pane < kPaneCount ? panes_[pane] : nullptr;
}

void StatusPanes::SetBackgroundColour(const QColor& colour) {
    if (colour == background_) return;
    background_ = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
}
