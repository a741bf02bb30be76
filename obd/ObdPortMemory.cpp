// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "obd/ObdPortMemory.h"

#include <QSettings>

#include "ports/SettingsFile.h"

namespace {
const QString kPortKey = QStringLiteral("obd/comPort");
constexpr int kLastComPort = 20;
}  // namespace

std::optional<int> ObdPortMemory::Load() const {
    if (file_.isEmpty()) return std::nullopt;
    const QSettings settings(file_, QSettings::IniFormat);
    bool ok = false;
    const int port = settings.value(kPortKey).toString().toInt(&ok);
    if (!ok || port < 0 || port > kLastComPort) return std::nullopt;
    return port;
}

std::optional<QString> ObdPortMemory::Save(int port) const {
    if (file_.isEmpty()) return std::nullopt;
    if (std::optional<QString> refusal = SettingsRefusal(file_)) return refusal;
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(kPortKey, port);
    return std::nullopt;
}
