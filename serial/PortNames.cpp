#include "PortNames.h"

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

std::string PortLinkFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    if (configHome != nullptr && *configHome != '\0') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr ? home : "") / ".config";
    }
    return (base / "dx470" / "ports").string();
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
    const fs::path link = fs::path(PortLinkFolder()) / ComName(port);
    std::error_code error;
    if (fs::is_symlink(link, error) || fs::exists(link, error)) return Canonical(link);
    const std::string device = BuiltInPortDevice(port);
    return device.empty() ? device : Canonical(device);
#endif
}
