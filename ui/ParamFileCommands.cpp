// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ParamFileCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "files/ParamFile.h"
#include "files/PlainFile.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"

namespace {
// The save dialog's own question, so both read alike in any language Qt has.
constexpr char kReplaceContext[] = "QFileDialog";
constexpr char kReplaceQuestion[] = "%1 already exists.\nDo you want to replace it?";

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Paths go to the Qt-free file code as bytes in the system's encoding, the
// form in which the extension rule compares them.
std::string LocalBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromLocalBytes(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Qt's own dialog everywhere, so filter, initial name and the overwrite
// question behave alike on every platform. It has no read-only box to hide,
// and no default suffix is set: the extension rule is ours. The dialog does
// not insist that the named file exists, in either direction.
std::optional<QString> AskPath(QWidget* owner, QFileDialog::AcceptMode mode,
                               const char* initialName) {
    QFileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromLatin1(kParamFileFilter));
    dialog.selectFile(QString::fromLatin1(initialName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.first();
}

bool ConfirmReplace(QWidget* owner, const QString& path) {
    const QString question = QCoreApplication::translate(kReplaceContext, kReplaceQuestion)
                                 .arg(QFileInfo(path).fileName());
    return QMessageBox::question(owner, AppTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

// Says what a path is, for the boxes that refuse it.
QString KindName(FileKind kind, const FileTexts& texts) {
    switch (kind) {
        case FileKind::Folder:
            return Text(texts.kinds[0]);
        case FileKind::NamedPipe:
            return Text(texts.kinds[1]);
        case FileKind::Device:
            return Text(texts.kinds[2]);
        case FileKind::Socket:
            return Text(texts.kinds[3]);
        default:
            return Text(texts.kinds[4]);
    }
}

// The system's texts come in the locale's encoding.
QString SystemText(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

void ShowSaveFailed(QWidget* owner, const QString& path, const QString& reason,
                    const FileTexts& texts) {
    QMessageBox::critical(owner, AppTitle(), Text(texts.saveFailed).arg(Shown(path), reason));
}

// The bytes of a file that can be read, or a box saying why not; a file that
// cannot be opened at all gives neither.
std::optional<FileBytes> ReadOrTell(QWidget* owner, const QString& path, const FileTexts& texts) {
    FileRead read = ReadRegularFile(LocalBytes(path), kParamFileSize);
    if (const auto* refused = std::get_if<NotRegular>(&read)) {
        QMessageBox::warning(
            owner, AppTitle(),
            Text(texts.notAFileLoad).arg(Shown(path), KindName(refused->kind, texts)));
    } else if (const auto* failed = std::get_if<ReadFailed>(&read)) {
        QMessageBox::critical(owner, AppTitle(),
                              Text(texts.readFailed).arg(Shown(path), SystemText(failed->reason)));
    } else if (auto* bytes = std::get_if<FileBytes>(&read)) {
        return std::move(*bytes);
    }
    return std::nullopt;
}

// A write the system cuts short is continued, so the next attempt reports
// why it stopped.
bool WriteAndCommit(QSaveFile& file, const ParamFileBytes& bytes) {
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const auto size = static_cast<qint64>(bytes.size());
    for (qint64 done = 0; done < size;) {
        const qint64 written = file.write(data + done, size - done);
        if (written <= 0) return false;
        done += written;
    }
    return file.commit();
}

// No new file could be made beside an existing one (a folder the user may not
// write): the file is rewritten where it is, its old contents kept for a
// failure. If it cannot even be opened, the first reason is the one to give.
bool WriteOverOldFile(QWidget* owner, const QString& path, const std::string& target,
                      const ParamFileBytes& bytes, const QString& firstReason,
                      const FileTexts& texts) {
    const InPlaceWrite written = WriteInPlace(target, bytes);
    switch (written.outcome) {
        case InPlaceWrite::Outcome::Written:
            return true;
        case InPlaceWrite::Outcome::Untouched:
            ShowSaveFailed(owner, path, firstReason, texts);
            return false;
        case InPlaceWrite::Outcome::Restored:
        case InPlaceWrite::Outcome::Damaged:
            break;
    }
    const bool restored = written.outcome == InPlaceWrite::Outcome::Restored;
    QMessageBox::critical(
        owner, AppTitle(),
        Text(texts.inPlaceFailed)
            .arg(Shown(path), SystemText(written.reason),
                 Text(restored ? texts.oldContentsRestored : texts.oldContentsLost)));
    return false;
}

// QSaveFile writes beside the target and renames into place only on commit,
// so the old file survives any failure up to the rename. Unbuffered, because
// QSaveFile (Qt 6.4) does not notice a failure of the flush inside commit and
// would rename a cut-short file over the old one; written directly, every
// failure shows here.
bool WriteTo(QWidget* owner, const QString& path, const std::string& target, FileKind kind,
             const ParamFileBytes& bytes, const FileTexts& texts) {
    QSaveFile file(FromLocalBytes(target));
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (WriteAndCommit(file, bytes)) return true;
    } else if (kind == FileKind::Regular) {
        return WriteOverOldFile(owner, path, target, bytes, file.errorString(), texts);
    }
    ShowSaveFailed(owner, path, file.errorString(), texts);
    return false;
}
}  // namespace

namespace ParamFileCommands {

std::optional<QString> AskOpenPath(QWidget* owner) {
    return AskPath(owner, QFileDialog::AcceptOpen, kOpenInitialName);
}

std::optional<QString> Save(QWidget* owner, const PanelParams& panel, const FileTexts& texts) {
    const std::optional<QString> path = AskPath(owner, QFileDialog::AcceptSave, kSaveInitialName);
    return path ? Write(owner, *path, panel, texts) : std::nullopt;
}

std::optional<PanelParams> Read(QWidget* owner, const QString& path, const PanelParams& panel,
                                const FileTexts& texts) {
    const std::optional<FileBytes> bytes = ReadOrTell(owner, path, texts);
    if (!bytes) return std::nullopt;
    PanelParams loaded = panel;
    if (DecodeParamFile(*bytes, loaded) == ParamFileLoad::TooLong) {
        QMessageBox::warning(owner, AppTitle(),
                             Text(texts.tooLong).arg(Shown(path)).arg(kParamFileSize));
        return std::nullopt;
    }
    return loaded;
}

std::optional<QString> Write(QWidget* owner, const QString& chosenPath, const PanelParams& panel,
                             const FileTexts& texts) {
    const QString path = FromLocalBytes(WithParamExtension(LocalBytes(chosenPath)));
    // Written at the end of its links, so that the links stay.
    const LinkEnd target = FollowLinks(LocalBytes(path));
    if (!target.problem.empty()) {
        ShowSaveFailed(owner, path, SystemText(target.problem), texts);
        return std::nullopt;
    }
    const FileKind kind = KindAt(target.path);
    if (!MayWriteOver(kind)) {
        QMessageBox::critical(owner, AppTitle(),
                              Text(texts.notAFileSave).arg(Shown(path), KindName(kind, texts)));
        return std::nullopt;
    }
    const bool extended = path != chosenPath;
    if (extended && kind == FileKind::Regular && !ConfirmReplace(owner, path)) return std::nullopt;
    if (!WriteTo(owner, path, target.path, kind, EncodeParamFile(panel), texts))
        return std::nullopt;
    return path;
}

}  // namespace ParamFileCommands
