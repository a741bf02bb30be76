// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QHash>

class MenuBar;
class QWidget;
class StatusPanes;
struct AccessibleTexts;

// Names for screen readers, in the interface language: every control of the
// window's template (the spins' arrows too), the menu bar and the status bar
// with its panes. The menus are read by their titles.
namespace AccessibleNames {
void Apply(const QHash<int, QWidget*>& controls, MenuBar& menuBar, StatusPanes& statusBar,
           const AccessibleTexts& texts);
}  // namespace AccessibleNames
