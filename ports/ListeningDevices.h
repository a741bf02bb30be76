// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <QStringList>
#include <mutex>

// The devices the search workers hold at this moment, from just before each
// opens one until it has closed it, so the window's channel can tell its own
// worker from another program holding a port.
class ListeningDevices {
public:
    void Add(const QString& device);
    void Remove(const QString& device);
    bool Contains(const QString& device) const;

private:
    mutable std::mutex mutex_;
    QStringList devices_;
};
