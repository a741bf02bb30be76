// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QCoreApplication>
#include <QString>

// The window's texts are kept as UTF-8; Qt shows them as QString.
inline QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The caption of every box the program shows.
inline QString AppTitle() {
    return QCoreApplication::applicationName();
}
