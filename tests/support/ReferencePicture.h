// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// A view's picture against its reference in the source tree; with
// DX470_UPDATE_REFERENCES=1 the picture becomes the reference.
namespace ReferencePicture {

inline QImage Grabbed(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// True when the picture is the reference, pixel for pixel (or has just
// become it).
inline bool Matches(const QImage& shown, const QString& reference) {
    if (qEnvironmentVariable("DX470_UPDATE_REFERENCES") == QStringLiteral("1")) {
        return shown.save(reference);
    }
    return shown == QImage(reference).convertToFormat(QImage::Format_RGB32);
}

}  // namespace ReferencePicture
