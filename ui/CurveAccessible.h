// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QAccessibleWidget>
#include <array>

#include "domain/Calibration.h"

class CurveView;

// The curve as screen readers see it: a list named by the view, with one item
// per cell's point, named by its cell, value and petrol times and marked
// selected as the view's selection is.
class CurveAccessible : public QAccessibleWidget {
public:
    explicit CurveAccessible(CurveView* view);
    ~CurveAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    CurveView* View() const;

    // For QAccessible::installFactory: this interface for a CurveView,
    // nothing for anything else.
    static QAccessibleInterface* Create(const QString& className, QObject* object);

private:
    // Made when first asked for; the registry owns them until this goes.
    mutable std::array<QAccessible::Id, kParamCount> points_{};
};
