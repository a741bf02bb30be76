// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QWidget>

// A view's window asked for again comes to the front with the focus, made or
// not.
inline void ShowInFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
