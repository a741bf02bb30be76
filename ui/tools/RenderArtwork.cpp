// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Renders a drawing (SVG) or converts a picture (PNG) to the program's raw
// picture form, at build time, so the program neither draws SVG nor decodes
// PNG as it starts: it paints the pixels where they lie in its resources.
//
//     render-artwork INPUT.svg|INPUT.png WIDTH HEIGHT PICTURE.pix
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

#include "ui/RawPicture.h"

namespace {
bool IsOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255) return false;
    }
    return true;
}

QImage Render(const QString& input, const QSize& size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (input.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(input);
        if (!renderer.isValid()) return {};
        QPainter painter(&image);
        renderer.render(&painter);
    } else {
        const QImage picture(input);
        if (picture.size() != size) return {};
        image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    // An opaque picture is copied, not blended, when painted.
    if (IsOpaque(image)) image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}
}  // namespace

int main(int argc, char** argv) {
    // Text in the drawings needs the fonts, which need an application.
    QGuiApplication application(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: render-artwork INPUT WIDTH HEIGHT PICTURE.pix\n");
        return 2;
    }
    const QImage image = Render(args.at(1), QSize(args.at(2).toInt(), args.at(3).toInt()));
    if (image.isNull()) {
        std::fprintf(stderr, "render-artwork: cannot read %s at that size\n",
                     qPrintable(args.at(1)));
        return 1;
    }
    const QByteArray bytes = RawPicture::Encode(image);
    QFile out(args.at(4));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
        std::fprintf(stderr, "render-artwork: cannot write %s\n", qPrintable(args.at(4)));
        return 1;
    }
    return 0;
}
