// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/ReplayLogs.h"

#include <QFile>
#include <QTest>
#include <string>

#include "log/LogFormat.h"
#include "ui/CCalibDlg.h"

namespace {
constexpr std::int64_t kFramePeriodUs = 16'000;
constexpr std::size_t kWriteBytes = std::size_t{8} << 20;
constexpr int kCells = 16;

bool WriteText(QFile& file, const std::string& text) {
    return file.write(text.data(), qint64(text.size())) == qint64(text.size());
}
}  // namespace

SessionFrame LogFrameAt(std::int64_t timeUs) {
    const std::int64_t step = timeUs / kFramePeriodUs;
    const auto cycling = [step](std::int64_t by, std::int64_t length) {
        return static_cast<std::int32_t>(step * by % length);
    };
    return {timeUs,
            cycling(1, kCells),
            700 + cycling(1, 300),
            3000 + cycling(1, 500),
            cycling(97, 65536),
            100,
            0};
}

bool WriteLog(const QString& path, const std::vector<SessionFrame>& frames) {
    std::string text = LogHeader();
    for (const SessionFrame& frame : frames) AppendFrameRow(text, frame);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && WriteText(file, text);
}

bool WriteLongLog(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    std::string text = LogHeader();
    text.reserve(kWriteBytes + kLongestLogRow);
    qint64 written = 0;
    for (std::int64_t timeUs = 0; written + qint64(text.size()) < bytes; timeUs += kFramePeriodUs) {
        AppendFrameRow(text, LogFrameAt(timeUs));
        if (text.size() < kWriteBytes) continue;
        if (!WriteText(file, text)) return false;
        written += qint64(text.size());
        text.clear();
    }
    return WriteText(file, text);
}

bool PlayLog(CCalibDlg& dlg, const QString& path, int timeoutMs) {
    // The replay it replaces goes only later, so a new one is elsewhere.
    const ReplayPanel* before = dlg.Replay();
    dlg.StartReplay(path);
    return QTest::qWaitFor(
        [&dlg, before] { return dlg.Replay() != nullptr && dlg.Replay() != before; }, timeoutMs);
}
