// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/StatusPanes.h"

#include <QAccessible>
#include <QLabel>

#include "ui/StatusPaneAccessible.h"

namespace {
constexpr const char* kPaneNames[StatusPanes::kPaneCount] = {"blankPane", "linkStatusPane",
                                                             "connectionTimePane"};

// What of a pane's text is news; empty for none.
QString NewsIn(int pane, const QString& text) {
    switch (pane) {
        case kMessagePane:
            return text;
        case kStatusPane: {
            // "COM OK." to "COM OK....." is one state.
            QString state = text;
            while (state.endsWith(u'.')) state.chop(1);
            return state;
        }
        default:
            return {};
    }
}
}  // namespace

StatusPanes::StatusPanes(QWidget* parent) : QStatusBar(parent) {
    QAccessible::installFactory(StatusPaneAccessible::Create);
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
    Announce(pane);
}

// Costs nothing while no screen reader listens. The pane's name is its text,
// so a name change is what tells a screen reader to read it again.
void StatusPanes::Announce(int pane) {
    if (!QAccessible::isActive()) return;
    const QString news = NewsIn(pane, panes_[pane]->text());
    if (news == announced_[pane]) return;
    announced_[pane] = news;
    if (news.isEmpty()) return;
    QAccessibleEvent event(panes_[pane], QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

// The label's own accessible name holds the description: a QLabel without
// one would tell screen readers of every new text, the moving dots included.
void StatusPanes::DescribePane(int pane, const QString& description) {
    if (pane < 0 || pane >= kPaneCount) return;
    panes_[pane]->setAccessibleName(description);
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
