// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/SystemPortLister.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include "link/TickCount.h"

namespace {
const QString kDeviceFolder = QStringLiteral("/dev");

qint64 NowMs() {
    return SteadyMicros() / 1000;
}

// The USB port a tty hangs off, from its place in /sys: the last folder named
// like "1-1.2" (bus, then the ports of each hub on the way).
std::string UsbPathOf(const QString& portName) {
    static const QRegularExpression usbPort(QStringLiteral("^\\d+-\\d+(\\.\\d+)*$"));
    const QString place =
        QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(portName)).canonicalFilePath();
    const QStringList folders = place.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        if (usbPort.match(*it).hasMatch()) return it->toStdString();
    }
    return {};
}

// "FTDI FT232R USB UART", without the maker twice when the product names it.
std::string DescriptionOf(const QSerialPortInfo& info) {
    const QString maker = info.manufacturer().trimmed();
    const QString product = info.description().trimmed();
    if (maker.isEmpty() || product.startsWith(maker)) return product.toStdString();
    return (product.isEmpty() ? maker : maker + QLatin1Char(' ') + product).toStdString();
}

PortEntry EntryOf(const QSerialPortInfo& info) {
    PortEntry entry;
    entry.device = QFileInfo(info.systemLocation()).canonicalFilePath().toStdString();
    if (entry.device.empty()) entry.device = info.systemLocation().toStdString();
    entry.usb = info.hasVendorIdentifier() && info.hasProductIdentifier();
    if (entry.usb) {
        entry.vendorId = info.vendorIdentifier();
        entry.productId = info.productIdentifier();
        entry.serialNumber = info.serialNumber().trimmed().toStdString();
        entry.usbPath = UsbPathOf(info.portName());
        entry.description = DescriptionOf(info);
    }
    return entry;
}
}  // namespace

SystemPortLister::SystemPortLister(QObject* parent) : QObject(parent) {
    watching_ = devices_.addPath(kDeviceFolder);
    connect(&devices_, &QFileSystemWatcher::directoryChanged, this,
            [this] { changedAt_ = NowMs(); });
}

bool SystemPortLister::ListIsOld() const {
    // Without a watch on /dev nothing says when to list again: list each time.
    if (!listed_ || !watching_) return true;
    return listedAt_ <= changedAt_ + kSettleMs;
}

std::vector<PortEntry> SystemPortLister::List() {
    std::lock_guard lock(mutex_);
    if (ListIsOld()) {
        listedAt_ = NowMs();
        ports_.clear();
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            ports_.push_back(EntryOf(info));
        }
        listed_ = true;
    }
    return ports_;
}
