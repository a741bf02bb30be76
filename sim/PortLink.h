// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The symlink COMn -> /dev/pts/N in the calibrator's port folder, through which the program
// finds the simulator under a COM name. It exists as long as this object does.
class PortLink {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;

    // Creates the folder if needed and replaces an existing symlink of that name atomically.
    // Throws std::runtime_error (or std::filesystem::filesystem_error) on failure, and refuses
    // to replace anything that is not a symlink.
    PortLink(const std::filesystem::path& folder, int portNumber, const std::string& target);
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Removes the link unless someone has pointed it elsewhere meanwhile. Never throws.
    void remove() noexcept;

    // "COM7" -> 7; nullopt for anything but COM1 .. COM20 spelt exactly so.
    static std::optional<int> portNumber(std::string_view name);

    // $XDG_CONFIG_HOME/dx470/ports when that is an absolute path, else $HOME/.config/dx470/ports.
    // Either argument may be null (variable unset). Throws when neither gives a folder.
    static std::filesystem::path folderFor(const char* xdgConfigHome, const char* home);
    // folderFor() this process's environment.
    static std::filesystem::path userFolder();

private:
    std::filesystem::path path_;
    std::string target_;
    bool present_ = false;
};
