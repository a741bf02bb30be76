// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/Artwork.h"

#include <QPixmap>

#include "ui/RawPicture.h"

namespace Artwork {
namespace {
constexpr int kIconSizes[] = {16, 32, 48, 64};
}  // namespace

QImage Picture(const char* resource) {
    return RawPicture::FromResource(QString::fromLatin1(resource));
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : kIconSizes) {
        const QImage image = RawPicture::FromResource(QStringLiteral(":/icon-%1.pix").arg(size));
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace Artwork
