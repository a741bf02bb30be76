// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/RawPicture.h"

#include <QResource>
#include <cstdint>
#include <cstring>

namespace RawPicture {
namespace {
constexpr char kMagic[8] = {'D', 'X', '4', '7', '0', 'P', 'I', 'X'};
constexpr int kBytesPerPixel = 4;
constexpr int kMaxSide = 4096;

struct Header {
    char magic[sizeof kMagic];
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t format;
};

bool IsStoredFormat(std::uint32_t format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}
}  // namespace

QByteArray Encode(const QImage& picture) {
    const QImage image = IsStoredFormat(picture.format())
                             ? picture
                             : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.width = static_cast<std::uint32_t>(image.width());
    header.height = static_cast<std::uint32_t>(image.height());
    header.format = static_cast<std::uint32_t>(image.format());
    QByteArray bytes(reinterpret_cast<const char*>(&header), sizeof header);
    const qsizetype rowBytes = qsizetype(image.width()) * kBytesPerPixel;
    for (int y = 0; y < image.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
    return bytes;
}

QImage Decode(const uchar* data, qsizetype size) {
    Header header;
    if (data == nullptr || size < qsizetype(sizeof header)) return {};
    std::memcpy(&header, data, sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0) return {};
    if (!IsStoredFormat(header.format)) return {};
    if (header.width == 0 || header.height == 0 || header.width > kMaxSide ||
        header.height > kMaxSide)
        return {};
    const qsizetype rowBytes = qsizetype(header.width) * kBytesPerPixel;
    if (size != qsizetype(sizeof header) + rowBytes * header.height) return {};
    const uchar* pixels = data + sizeof header;
    const QImage image(pixels, int(header.width), int(header.height), rowBytes,
                       static_cast<QImage::Format>(header.format));
    // Pixels off their natural alignment are copied once rather than painted slowly.
    const bool aligned = reinterpret_cast<quintptr>(pixels) % alignof(QRgb) == 0;
    return aligned ? image : image.copy();
}

QImage FromResource(const QString& path) {
    const QResource resource(path);
    if (!resource.isValid()) return {};
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return Decode(resource.data(), resource.size());
    const QByteArray bytes = resource.uncompressedData();
    return Decode(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size()).copy();
}

}  // namespace RawPicture
