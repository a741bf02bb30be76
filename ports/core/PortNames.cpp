// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/core/PortNames.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
struct DeviceRange {
    int firstPort;
    int lastPort;
    const char* prefix;
};
constexpr DeviceRange kBuiltInTable[] = {
    {1, 4, "/dev/ttyS"},
    {5, 12, "/dev/ttyUSB"},
    {13, 20, "/dev/ttyACM"},
};

std::string ComName(int port) {
    return "COM" + std::to_string(port);
}

std::string Canonical(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::canonical(path, error);
    return error ? path.string() : canonical.string();
}
}  // namespace

std::string ConfigFolder() {
    const std::string portsFolder = PortLinkFolder();
    return portsFolder.empty() ? portsFolder : fs::path(portsFolder).parent_path().string();
}

std::string PortLinkFolder() {
    return PortLinkFolderFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string PortLinkFolderFor(const char* xdgConfigHome, const char* home) {
    const fs::path portsFolder = fs::path("dx470") / "ports";
    if (xdgConfigHome != nullptr && fs::path(xdgConfigHome).is_absolute()) {
        return (fs::path(xdgConfigHome) / portsFolder).string();
    }
    if (home != nullptr && *home != '\0')
        return (fs::path(home) / ".config" / portsFolder).string();
    return {};
}

std::string BuiltInPortDevice(int port) {
    for (const DeviceRange& range : kBuiltInTable) {
        if (port >= range.firstPort && port <= range.lastPort) {
            return range.prefix + std::to_string(port - range.firstPort);
        }
    }
    return {};
}

std::string ResolvePortName(int port) {
#ifdef _WIN32
    return ComName(port);
#else
    // Without a folder there are no links: a relative one would depend on
    // the working directory.
    if (const std::string folder = PortLinkFolder(); !folder.empty()) {
        const fs::path link = fs::path(folder) / ComName(port);
        std::error_code error;
        if (fs::is_symlink(link, error) || fs::exists(link, error)) return Canonical(link);
    }
    const std::string device = BuiltInPortDevice(port);
    return device.empty() ? device : Canonical(device);
#endif
}
