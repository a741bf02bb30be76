// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QAction>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <cstdint>
#include <initializer_list>

#include "tests/support/ModalDriver.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"

// Helpers for the tests of File > Open and File > Save.
namespace ParamFileTest {

// Sixteen values as a file holds them, built by hand: four bytes each, lowest
// first.
inline QByteArray LittleEndian(std::initializer_list<std::int64_t> values) {
    QByteArray bytes;
    for (const std::int64_t value : values) {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) bytes.append(char((bits >> shift) & 0xFF));
    }
    return bytes;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline QStringList Entries(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                     QDir::Name);
}

// Moves the spins as a user would, so the panel follows through the edits.
inline void SetPanel(CCalibDlg& dlg, const PanelParams& values) {
    for (int k = 0; k < kParamCount; ++k) dlg.ShowParameter(k, values[k]);
}

inline PanelParams AllOf(std::int32_t value) {
    PanelParams params{};
    params.fill(value);
    return params;
}

// The panel and what each edit shows agree.
inline bool PanelShows(const CCalibDlg& dlg, const PanelParams& expected) {
    for (int k = 0; k < kParamCount; ++k) {
        if (dlg.Session().Panel()[k] != expected[k]) return false;
        if (dlg.ParamEdit(k)->text() != QString::number(expected[k])) return false;
    }
    return true;
}

}  // namespace ParamFileTest
