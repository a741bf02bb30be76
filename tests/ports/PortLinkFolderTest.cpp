// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The port folder as the program and dx470-sim --link each work it out from
// the environment: they must name the same folder, or none.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ports/core/PortNames.h"
#include "sim/PortLink.h"

namespace {
struct FolderCase {
    const char* name;
    const char* xdgConfigHome;  // null: unset
    const char* home;           // null: unset
    const char* folder;         // empty: no folder at all
};

const FolderCase kFolderCases[] = {
    {"absolute XDG_CONFIG_HOME", "/x/cfg", "/home/u", "/x/cfg/dx470/ports"},
    {"XDG_CONFIG_HOME without HOME", "/x/cfg", nullptr, "/x/cfg/dx470/ports"},
    {"unset XDG_CONFIG_HOME", nullptr, "/home/u", "/home/u/.config/dx470/ports"},
    {"empty XDG_CONFIG_HOME", "", "/home/u", "/home/u/.config/dx470/ports"},
    {"relative XDG_CONFIG_HOME", "cfg", "/home/u", "/home/u/.config/dx470/ports"},
    {"dot-relative XDG_CONFIG_HOME", "./cfg", "/home/u", "/home/u/.config/dx470/ports"},
    {"unexpanded tilde", "~/.config", "/home/u", "/home/u/.config/dx470/ports"},
    {"relative XDG_CONFIG_HOME, no HOME", "cfg", nullptr, ""},
    {"empty HOME", nullptr, "", ""},
};

TEST(PortLinkFolder, ProgramAndSimulatorAgree) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PortLinkFolderFor(c.xdgConfigHome, c.home), c.folder);
        if (*c.folder == '\0') {
            EXPECT_THROW(PortLink::folderFor(c.xdgConfigHome, c.home), std::runtime_error);
        } else {
            EXPECT_EQ(PortLink::folderFor(c.xdgConfigHome, c.home),
                      std::filesystem::path(c.folder));
        }
    }
}
}  // namespace
