// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tests/sim/SimChild.h"

// A config folder of its own for one test, so that links go there and not in the user's.
class TempConfigHome {
public:
    TempConfigHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "dx470-sim-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    }
    ~TempConfigHome() { std::filesystem::remove_all(root_); }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    SimChild::Env env() const { return {{"XDG_CONFIG_HOME", root_.string()}}; }
    std::filesystem::path port(const std::string& name) const {
        return root_ / "dx470" / "ports" / name;
    }

private:
    std::filesystem::path root_;
};
