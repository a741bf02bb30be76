// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/Artwork.h"

namespace Artwork {
namespace {
constexpr int kIconSizes[] = {16, 32, 48, 64};
}  // namespace

QPixmap Picture(const char* resource) {
    return QPixmap(QString::fromLatin1(resource));
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : kIconSizes) {
        const QPixmap pixmap(QStringLiteral(":/icon-%1.png").arg(size));
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace Artwork
