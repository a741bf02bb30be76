// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QByteArray>
#include <QImage>

// The pictures' form in the resources: a short header, then the pixels as the
// painter takes them (32 bits each, rows without padding), written at build
// time on the machine that runs them. Read in place, they cost no decoding
// and no copy as the window opens.
namespace RawPicture {

// A picture in another format is stored as premultiplied ARGB.
QByteArray Encode(const QImage& picture);
// A picture over the given bytes, which must outlive it; null when the bytes
// are not a whole picture of this form.
QImage Decode(const uchar* data, qsizetype size);
// A picture from the resources, read in place when stored uncompressed;
// null when missing or malformed.
QImage FromResource(const QString& path);

}  // namespace RawPicture
