// The port folder as the program and dx470-sim --link each work it out from
// the environment: they must name the same folder, or none.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

#include "PortLink.h"
#include "PortNames.h"

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

void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.name;
}

class PortLinkFolderAgrees : public testing::TestWithParam<FolderCase> {};

TEST_P(PortLinkFolderAgrees, ProgramAndSimulator) {
    const FolderCase& c = GetParam();
    EXPECT_EQ(PortLinkFolderFor(c.xdgConfigHome, c.home), c.folder);
    if (*c.folder == '\0') {
        EXPECT_THROW(PortLink::folderFor(c.xdgConfigHome, c.home), std::runtime_error);
    } else {
        EXPECT_EQ(PortLink::folderFor(c.xdgConfigHome, c.home), std::filesystem::path(c.folder));
    }
}

INSTANTIATE_TEST_SUITE_P(Environments, PortLinkFolderAgrees, testing::ValuesIn(kFolderCases),
                         [](const testing::TestParamInfo<FolderCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });
}  // namespace
