// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/SettingsFile.h"

#include <QFile>

#include "files/PlainFile.h"

std::optional<QString> SettingsRefusal(const QString& file) {
    const FileKind kind = KindAt(QFile::encodeName(file).toStdString());
    if (MayWriteOver(kind)) return std::nullopt;
    return file + QStringLiteral(": ") + QString::fromStdString(RefusalText(kind));
}
