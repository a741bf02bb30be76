// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/WindowFonts.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QResource>
#include <QStringList>

namespace {
constexpr int kLogicalDpi = 96;
constexpr int kPointsPerInch = 72;

// The program's own cut of the Song face, with the glyphs of its texts only:
// it draws the same on every machine, and the several megabytes of the full
// CJK font file stay out of memory.
void AddOwnFace() {
    static const bool added = [] {
        const QResource face(QStringLiteral(":/fonts/dx470-song.ttf"));
        if (!face.isValid()) return false;
        // The resource is stored uncompressed, so its bytes are read where
        // they lie in the program's image; a compressed one is unpacked.
        const QByteArray data =
            face.compressionAlgorithm() == QResource::NoCompression
                ? QByteArray::fromRawData(reinterpret_cast<const char*>(face.data()),
                                          static_cast<qsizetype>(face.size()))
                : face.uncompressedData();
        return QFontDatabase::addApplicationFontFromData(data) >= 0;
    }();
    Q_UNUSED(added);
}
}  // namespace

QFont WindowFonts::SongFont(int points, bool bold) {
    AddOwnFace();
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UMing DX470"), QStringLiteral("宋体"),
                      QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("AR PL UMing CN")});
    font.setPixelSize((points * kLogicalDpi + kPointsPerInch / 2) / kPointsPerInch);
    font.setBold(bold);
    return font;
}
