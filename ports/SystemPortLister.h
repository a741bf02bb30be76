// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <atomic>
#include <limits>
#include <mutex>

#include "ports/core/PortLister.h"

// The ports of this machine, from Qt's list of serial ports and the USB
// topology in /sys. Listing them costs milliseconds (tens without udev), so
// the list is kept until a device node comes or goes in /dev, and then made
// afresh for a few seconds, while udev still fills in a new adapter's
// identity. Made on the window's thread; List() may be called on any.
class SystemPortLister : public QObject, public PortLister {
    Q_OBJECT

public:
    explicit SystemPortLister(QObject* parent = nullptr);

    std::vector<PortEntry> List() override;

    static constexpr qint64 kSettleMs = 3000;

private:
    static constexpr qint64 kNever = std::numeric_limits<qint64>::min() / 2;

    bool ListIsOld() const;

    QFileSystemWatcher devices_;
    std::atomic<qint64> changedAt_ = kNever;
    std::atomic<bool> watching_ = false;
    std::mutex mutex_;
    bool listed_ = false;
    qint64 listedAt_ = 0;
    std::vector<PortEntry> ports_;
};
