// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/Artwork.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <mutex>

// Outside any namespace, as resource initialisation requires. The resources
// live in a static library, so nothing would pull them in otherwise.
static void InitArtworkResources() {
#ifdef DX470_HAS_RESOURCES
    Q_INIT_RESOURCE(dx470);
#endif
}

namespace Artwork {
namespace {
constexpr int kIconSizes[] = {16, 32, 48, 64};

void EnsureResources() {
    static std::once_flag once;
    std::call_once(once, InitArtworkResources);
}
}  // namespace

QPixmap Render(const char* resource, QSize size) {
    EnsureResources();
    QSvgRenderer renderer(QString::fromLatin1(resource));
    if (!renderer.isValid()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

QIcon AppIcon() {
    EnsureResources();
    QIcon icon;
    for (const int size : kIconSizes) {
        // Hand-tuned bitmaps where there are some, else the drawing scaled.
        const QString bitmap = QStringLiteral("%1%2").arg(QString::fromLatin1(kIcon)).arg(size);
        QPixmap pixmap = QFile::exists(bitmap) ? QPixmap(bitmap) : Render(kIcon, QSize(size, size));
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace Artwork
