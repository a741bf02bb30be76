// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/AccessibleNames.h"

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
}  // namespace

namespace AccessibleNames {
void Apply(const QHash<int, QWidget*>& controls, MenuBar& menuBar, StatusPanes& statusBar,
           const AccessibleTexts& texts) {
    for (const WindowLayout::TemplateEntry& entry : WindowLayout::WindowTemplate()) {
        QWidget* control = controls.value(entry.id);
        control->setAccessibleName(WindowLayout::AccessibleName(entry, texts));
        if (entry.kind == WindowLayout::ControlKind::Spin) {
            NameArrows(*static_cast<SpinButton*>(control), entry.param, texts);
        }
    }
    menuBar.setAccessibleName(QString::fromUtf8(texts.menuBar));
    statusBar.setAccessibleName(QString::fromUtf8(texts.statusBar));
    for (int pane = 0; pane < StatusPanes::kPaneCount; ++pane) {
        statusBar.Pane(pane)->setAccessibleName(QString::fromUtf8(texts.statusPanes[pane]));
    }
}
}  // namespace AccessibleNames
