// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CurveAccessible.h"

#include "edit/SelectionOperations.h"
#include "ui/CurveView.h"

namespace {
// One cell's point: it has no object of its own and asks the view for all it
// tells.
class CurvePointAccessible : public QAccessibleInterface {
public:
    CurvePointAccessible(CurveAccessible* curve, int k) : curve_(curve), k_(k) {}

    bool isValid() const override { return curve_->isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return curve_->window(); }
    QAccessibleInterface* parent() const override { return curve_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? curve_->View()->PointName(k_) : QString();
    }

    QRect rect() const override {
        const CurveView* view = curve_->View();
        const QRect local = view->PointRect(k_);
        return {view->mapToGlobal(local.topLeft()), local.size()};
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = IsSelected(curve_->View()->Selection(), k_);
        return state;
    }

private:
    CurveAccessible* curve_;
    int k_;
};
}  // namespace

CurveAccessible::CurveAccessible(CurveView* view) : QAccessibleWidget(view, QAccessible::List) {}

CurveAccessible::~CurveAccessible() {
    for (const QAccessible::Id id : points_) {
        if (id != 0) QAccessible::deleteAccessibleInterface(id);
    }
}

CurveView* CurveAccessible::View() const {
    return static_cast<CurveView*>(widget());
}

int CurveAccessible::childCount() const {
    return kParamCount;
}

QAccessibleInterface* CurveAccessible::child(int index) const {
    if (index < 0 || index >= kParamCount) return nullptr;
    QAccessible::Id& id = points_.at(static_cast<std::size_t>(index));
    if (id == 0) {
        id = QAccessible::registerAccessibleInterface(
            new CurvePointAccessible(const_cast<CurveAccessible*>(this), index));
    }
    return QAccessible::accessibleInterface(id);
}

int CurveAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int k = 0; k < kParamCount; ++k) {
        const QAccessible::Id id = points_.at(static_cast<std::size_t>(k));
        if (id != 0 && QAccessible::accessibleInterface(id) == child) return k;
    }
    return -1;
}

QAccessibleInterface* CurveAccessible::childAt(int x, int y) const {
    const QPoint local = View()->mapFromGlobal(QPoint(x, y));
    for (int k = 0; k < kParamCount; ++k) {
        if (View()->PointRect(k).contains(local)) return child(k);
    }
    return nullptr;
}

QAccessibleInterface* CurveAccessible::Create(const QString& className, QObject* object) {
    if (className != QLatin1String("CurveView")) return nullptr;
    return new CurveAccessible(static_cast<CurveView*>(object));
}
