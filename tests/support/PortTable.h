// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "ports/core/PortNames.h"

// COM names for one test, changeable while search workers read them. A name
// not set resolves to nothing, so a search never reaches a real device.
class PortTable {
public:
    void Set(int port, const std::string& path) {
        std::lock_guard lock(mutex_);
        paths_[port] = path;
    }
    PortResolver Resolver() {
        return [this](int port) {
            std::lock_guard lock(mutex_);
            const auto it = paths_.find(port);
            return it == paths_.end() ? std::string() : it->second;
        };
    }

private:
    std::mutex mutex_;
    std::map<int, std::string> paths_;
};

// Resolves no COM name, so a window's search finds nothing and opens nothing.
inline std::string NoDevice(int) {
    return {};
}
