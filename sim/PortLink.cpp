// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/PortLink.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPortPrefix = "COM";

fs::path portSubfolder() {
    return fs::path("dx470") / "ports";
}

}  // namespace

PortLink::PortLink(const fs::path& folder, int portNumber, const std::string& target)
    : path_(folder / (std::string(kPortPrefix) + std::to_string(portNumber))), target_(target) {
    fs::create_directories(folder);
    const fs::file_status existing = fs::symlink_status(path_);
    if (fs::exists(existing) && !fs::is_symlink(existing)) {
        throw std::runtime_error("refusing to replace " + path_.string() + ": not a symlink");
    }
    // A temporary link renamed over the old one, so readers never find the name missing.
    const fs::path temporary =
        folder / ("." + path_.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
    fs::remove(temporary);
    fs::create_symlink(target_, temporary);
    std::error_code error;
    fs::rename(temporary, path_, error);
    if (error) {
        fs::remove(temporary, error);
        throw std::runtime_error("cannot create " + path_.string());
    }
    present_ = true;
}

PortLink::~PortLink() {
    remove();
}

void PortLink::remove() noexcept {
    if (!present_) return;
    present_ = false;
    std::error_code error;
    const fs::path current = fs::read_symlink(path_, error);
    if (!error && current == fs::path(target_)) fs::remove(path_, error);
}

std::optional<int> PortLink::portNumber(std::string_view name) {
    if (!name.starts_with(kPortPrefix)) return std::nullopt;
    const std::string_view digits = name.substr(kPortPrefix.size());
    if (digits.empty() || digits.front() == '0') return std::nullopt;
    int number = 0;
    const char* end = digits.data() + digits.size();
    const auto [next, error] = std::from_chars(digits.data(), end, number);
    if (error != std::errc() || next != end || number < kFirstPort || number > kLastPort) {
        return std::nullopt;
    }
    return number;
}

fs::path PortLink::folderFor(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome != nullptr && fs::path(xdgConfigHome).is_absolute()) {
        return fs::path(xdgConfigHome) / portSubfolder();
    }
    if (home != nullptr && *home != '\0') return fs::path(home) / ".config" / portSubfolder();
    throw std::runtime_error("neither XDG_CONFIG_HOME nor HOME names a folder");
}

fs::path PortLink::userFolder() {
    return folderFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}
