// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QHash>
#include <QString>

class MenuBar;
class QWidget;
class StatusPanes;
struct AccessibleTexts;

// Names for screen readers, in the interface language: every control of the
// window's template (the spins' arrows too), the menu bar and the status bar
// with its panes. A label or button is named by the text it shows, so that
// what a screen reader says is what a sighted user reads; the others by what
// they are. The menus are read by their titles.
namespace AccessibleNames {
// Call once the controls show the texts of the language.
void Apply(const QHash<int, QWidget*>& controls, MenuBar& menuBar, StatusPanes& statusBar,
           const AccessibleTexts& texts);

// The name of a control that shows text: the text without the spaces that
// only spread Chinese characters out ("退  出" is read "退出"); words of other
// scripts keep the space between them.
QString FromShownText(const QString& text);
}  // namespace AccessibleNames
