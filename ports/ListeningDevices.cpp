// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/ListeningDevices.h"

void ListeningDevices::Add(const QString& device) {
    std::lock_guard lock(mutex_);
    devices_.append(device);
}

void ListeningDevices::Remove(const QString& device) {
    std::lock_guard lock(mutex_);
    devices_.removeOne(device);
}

bool ListeningDevices::Contains(const QString& device) const {
    std::lock_guard lock(mutex_);
    return devices_.contains(device);
}
