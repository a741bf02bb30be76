// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/LogNames.h"

#include <cstdio>

#include "files/ParamFileNames.h"
#include "log/LogFormat.h"

namespace {
constexpr int kFirstYear = 1900;
constexpr char kStartSuffix[] = "_start";
constexpr char kEndSuffix[] = "_end";
}  // namespace

std::string LogFileName(const std::tm& localTime, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "DX470_%04d-%02d-%02d_%02d.%02d.%02d",
                  localTime.tm_year + kFirstYear, localTime.tm_mon + 1, localTime.tm_mday,
                  localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    std::string fileName = name;
    if (attempt > 1) fileName += "_" + std::to_string(attempt);
    return fileName + kLogExtension;
}

std::string SnapshotPath(const std::string& logPath, Snapshot moment) {
    std::string base = logPath;
    const std::string extension = kLogExtension;
    if (base.ends_with(extension)) base.resize(base.size() - extension.size());
    return base + (moment == Snapshot::Start ? kStartSuffix : kEndSuffix) + kParamExtension;
}
