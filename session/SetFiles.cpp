// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/SetFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <variant>

#include "files/ParamFile.h"
#include "files/PlainFile.h"
#include "link/StoredSet.h"

SetFile ReadSetFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return {};
    if (info.isSymLink() && !MayWriteOver(KindAt(QFile::encodeName(path).toStdString()))) {
        return {true, std::nullopt, true};
    }
    const FileRead read = ReadRegularFile(QFile::encodeName(path).toStdString(), kParamFileSize);
    const auto* bytes = std::get_if<FileBytes>(&read);
    if (bytes == nullptr || bytes->size() != kParamFileSize) return {true, std::nullopt};
    PanelParams params{};
    DecodeParamFile(*bytes, params);
    if (!IsWhole(UnstoredRecord{params, params})) return {true, std::nullopt};
    return {true, params};
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& reason) {
    const FileKind kind = KindAt(QFile::encodeName(path).toStdString());
    if (!MayWriteOver(kind)) {
        reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                 QString::fromStdString(RefusalText(kind));
        return false;
    }
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         file.write(bytes) == bytes.size() && file.commit();
    if (!written)
        reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
    return written;
}

bool WriteSetFile(const QString& path, const PanelParams& params, QString& reason) {
    const ParamFileBytes bytes = EncodeParamFile(params);
    return WriteWholeFile(path,
                          QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<qsizetype>(bytes.size())),
                          reason);
}
