// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Renders a drawing to a PNG picture of the given size, at build time, so the
// program loads finished pictures instead of drawing SVG as it starts.
//
//     render-artwork DRAWING.svg WIDTH HEIGHT PICTURE.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    // Text in the drawings needs the fonts, which need an application.
    QGuiApplication application(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: render-artwork DRAWING.svg WIDTH HEIGHT PICTURE.png\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render-artwork: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage image(args.at(2).toInt(), args.at(3).toInt(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args.at(4), "PNG")) {
        std::fprintf(stderr, "render-artwork: cannot write %s\n", qPrintable(args.at(4)));
        return 1;
    }
    return 0;
}
