// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/StatusPaneAccessible.h"

#include <QLabel>

#include "ui/StatusPanes.h"

StatusPaneAccessible::StatusPaneAccessible(QLabel* pane)
    : QAccessibleWidget(pane, QAccessible::StaticText) {}

QString StatusPaneAccessible::text(QAccessible::Text t) const {
    const QWidget* pane = widget();
    switch (t) {
        case QAccessible::Name:
            return static_cast<const QLabel*>(pane)->text();
        case QAccessible::Description: {
            QStringList parts{pane->accessibleName(), pane->toolTip()};
            parts.removeAll(QString());
            return parts.join(QStringLiteral(", "));
        }
        default:
            return QAccessibleWidget::text(t);
    }
}

QAccessibleInterface* StatusPaneAccessible::Create(const QString& className, QObject* object) {
    if (className != QLatin1String("QLabel")) return nullptr;
    auto* label = static_cast<QLabel*>(object);
    if (qobject_cast<StatusPanes*>(label->parentWidget()) == nullptr) return nullptr;
    return new StatusPaneAccessible(label);
}
