// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <functional>
#include <string>

// Maps a port number n to the device that "COMn" names. The channel and the
// discovery worker both use it, so they always mean the same device.
using PortResolver = std::function<std::string(int port)>;

// The program's own folder of the user's configuration: $XDG_CONFIG_HOME/dx470,
// by default ~/.config/dx470; empty when the environment names no folder.
std::string ConfigFolder();

// The folder of per-user COMn links: $XDG_CONFIG_HOME/dx470/ports, by default
// ~/.config/dx470/ports; empty when the environment names no folder.
std::string PortLinkFolder();
// The same from the two variables' values (null when unset). A relative
// XDG_CONFIG_HOME counts as unset, as the XDG rule says and dx470-sim does.
std::string PortLinkFolderFor(const char* xdgConfigHome, const char* home);

// COM1-4 -> /dev/ttyS0-3, COM5-12 -> /dev/ttyUSB0-7, COM13-20 -> /dev/ttyACM0-7.
std::string BuiltInPortDevice(int port);

// The canonical path of the device for COMn: the per-user link if present,
// else the built-in table (on Windows the name COMn itself). Canonical, because
// serial lock files are named after the path and a link would dodge them.
std::string ResolvePortName(int port);
