// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/AdapterMemory.h"

#include <QSettings>
#include <array>

#include "ports/SettingsFile.h"
#include "ports/core/PortNames.h"

namespace {
using Kind = AdapterIdentity::Kind;

struct KindName {
    Kind kind;
    const char* name;
};
constexpr std::array kKindNames = {
    KindName{Kind::SerialNumber, "serial-number"},
    KindName{Kind::UsbPath, "usb-path"},
    KindName{Kind::ComName, "com-name"},
};
constexpr int kMaxUsbId = 0xFFFF;
constexpr int kLastComPort = 20;

const QString kGroup = QStringLiteral("adapter");
const QString kKind = QStringLiteral("kind");
const QString kVendorId = QStringLiteral("vendorId");
const QString kProductId = QStringLiteral("productId");
const QString kSerialNumber = QStringLiteral("serialNumber");
const QString kUsbPath = QStringLiteral("usbPath");
const QString kComPort = QStringLiteral("comPort");
const QString kBuiltInName = QStringLiteral("builtInName");

std::optional<Kind> KindNamed(const QString& name) {
    for (const KindName& known : kKindNames) {
        if (name == QLatin1String(known.name)) return known.kind;
    }
    return std::nullopt;
}

QString NameOf(Kind kind) {
    for (const KindName& known : kKindNames) {
        if (known.kind == kind) return QLatin1String(known.name);
    }
    return {};
}

// A whole number within 0..maximum, or nothing.
std::optional<int> NumberIn(const QSettings& settings, const QString& key, int maximum) {
    bool ok = false;
    const int value = settings.value(key).toString().toInt(&ok);
    if (!ok || value < 0 || value > maximum) return std::nullopt;
    return value;
}
}  // namespace

AdapterMemory::AdapterMemory(QString file) : file_(std::move(file)) {}

QString AdapterMemory::DefaultFile() {
    const QString folder = QString::fromStdString(ConfigFolder());
    return folder.isEmpty() ? folder : folder + QStringLiteral("/dx470.conf");
}

std::optional<AdapterIdentity> AdapterMemory::Load() const {
    if (!Enabled()) return std::nullopt;
    QSettings settings(file_, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    const std::optional<Kind> kind = KindNamed(settings.value(kKind).toString());
    const auto vendorId = NumberIn(settings, kVendorId, kMaxUsbId);
    const auto productId = NumberIn(settings, kProductId, kMaxUsbId);
    const auto comPort = NumberIn(settings, kComPort, kLastComPort);
    if (!kind || !vendorId || !productId || !comPort) return std::nullopt;
    AdapterIdentity identity;
    identity.kind = *kind;
    identity.vendorId = static_cast<std::uint16_t>(*vendorId);
    identity.productId = static_cast<std::uint16_t>(*productId);
    identity.serialNumber = settings.value(kSerialNumber).toString().toStdString();
    identity.usbPath = settings.value(kUsbPath).toString().toStdString();
    identity.comPort = *comPort;
    identity.builtInName = settings.value(kBuiltInName).toBool();
    return identity;
}

std::optional<QString> AdapterMemory::Save(const AdapterIdentity& identity) const {
    if (!Enabled()) return std::nullopt;
    if (std::optional<QString> refusal = SettingsRefusal(file_)) return refusal;
    QSettings settings(file_, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    settings.setValue(kKind, NameOf(identity.kind));
    settings.setValue(kVendorId, identity.vendorId);
    settings.setValue(kProductId, identity.productId);
    settings.setValue(kSerialNumber, QString::fromStdString(identity.serialNumber));
    settings.setValue(kUsbPath, QString::fromStdString(identity.usbPath));
    settings.setValue(kComPort, identity.comPort);
    settings.setValue(kBuiltInName, identity.builtInName);
    return std::nullopt;
}
