// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/AccessibleNames.h"

#include <QAbstractButton>
#include <QLabel>
#include <QToolButton>

#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"
#include "ui/WindowLayout.h"

namespace {
QString ForParam(const char* text, int k) {
    return QString::fromUtf8(text).arg(k);
}

void NameArrows(SpinButton& spin, int k, const AccessibleTexts& texts) {
    spin.UpArrow()->setAccessibleName(ForParam(texts.increaseParam, k));
    spin.DownArrow()->setAccessibleName(ForParam(texts.decreaseParam, k));
}

QString ShownText(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
    return {};
}

QString NameOf(const WindowLayout::TemplateEntry& entry, const QWidget& control,
               const AccessibleTexts& texts) {
    if (entry.accessible == WindowLayout::kNamedByText) {
        return AccessibleNames::FromShownText(ShownText(control));
    }
    return WindowLayout::AccessibleName(entry, texts);
}

bool IsHan(QChar c) {
    return c.script() == QChar::Script_Han;
}
}  // namespace

namespace AccessibleNames {
void Apply(const QHash<int, QWidget*>& controls, MenuBar& menuBar, StatusPanes& statusBar,
           const AccessibleTexts& texts) {
    for (const WindowLayout::TemplateEntry& entry : WindowLayout::WindowTemplate()) {
        QWidget* control = controls.value(entry.id);
        control->setAccessibleName(NameOf(entry, *control, texts));
        if (entry.kind == WindowLayout::ControlKind::Spin) {
            NameArrows(*static_cast<SpinButton*>(control), entry.param, texts);
        }
    }
    menuBar.setAccessibleName(QString::fromUtf8(texts.menuBar));
    statusBar.setAccessibleName(QString::fromUtf8(texts.statusBar));
    for (int pane = 0; pane < StatusPanes::kPaneCount; ++pane) {
        statusBar.DescribePane(pane, QString::fromUtf8(texts.statusPanes[pane]));
    }
}

QString FromShownText(const QString& text) {
    // simplified() leaves single spaces, none at either end.
    const QString spaced = text.simplified();
    QString name;
    for (qsizetype i = 0; i < spaced.size(); ++i) {
        const bool spreadsHan = spaced[i] == u' ' && (IsHan(spaced[i - 1]) || IsHan(spaced[i + 1]));
        if (!spreadsHan) name += spaced[i];
    }
    return name;
}
}  // namespace AccessibleNames
