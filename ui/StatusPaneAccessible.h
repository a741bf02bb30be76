// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QAccessibleWidget>

class QLabel;

// A status pane as screen readers see it: named by the text it shows now, and
// described by what the pane is (the label's accessibleName, set by
// StatusPanes) and, when it has one, by its tooltip. The pane's own name stays
// fixed because a QLabel without one tells screen readers of every new text,
// and pane 1's dots move five times a second; StatusPanes tells them of the
// changes that matter.
class StatusPaneAccessible : public QAccessibleWidget {
public:
    explicit StatusPaneAccessible(QLabel* pane);

    QString text(QAccessible::Text t) const override;

    // For QAccessible::installFactory: this interface for the panes of a
    // StatusPanes, nothing for anything else.
    static QAccessibleInterface* Create(const QString& className, QObject* object);
};
