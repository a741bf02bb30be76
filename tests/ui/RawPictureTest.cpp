// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <QResource>
#include <functional>

#include "ui/Artwork.h"
#include "ui/RawPicture.h"

namespace {

QImage Sample(QImage::Format format) {
    QImage image(5, 3, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qPremultiply(qRgba(40 * x, 80 * y, 7, 60 + 30 * x)));
    return image;
}

QImage Decoded(const QByteArray& bytes) {
    return RawPicture::Decode(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
}

TEST(RawPictureTest, RoundTripKeepsEveryPixel) {
    for (const auto format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        SCOPED_TRACE(format);
        const QImage image = Sample(format);
        const QByteArray bytes = RawPicture::Encode(image);
        const QImage back = Decoded(bytes);
        EXPECT_EQ(back.format(), format);
        EXPECT_EQ(back, image);
    }
}

TEST(RawPictureTest, OtherFormatsAreStoredPremultiplied) {
    const QImage image = Sample(QImage::Format_ARGB32);
    const QByteArray bytes = RawPicture::Encode(image);
    const QImage back = Decoded(bytes);
    EXPECT_EQ(back.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(back, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(RawPictureTest, MalformedBytesGiveNoPicture) {
    const QByteArray good = RawPicture::Encode(Sample(QImage::Format_RGB32));
    const auto withField = [&good](int offset, quint32 value) {
        QByteArray bytes = good;
        std::memcpy(bytes.data() + offset, &value, sizeof value);
        return bytes;
    };
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"header cut short", good.left(10)},
        {"one byte short", good.chopped(1)},
        {"one byte over", good + '\0'},
        {"another magic", QByteArray("PNG").append(good.mid(3))},
        {"zero width", withField(8, 0)},
        {"huge height", withField(12, 100000)},
        {"a format not stored", withField(16, QImage::Format_RGB888)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(Decoded(c.bytes).isNull());
    }
}

// The pictures are painted where they lie in the program: stored uncompressed
// and opaque where they can be, so nothing is decoded or blended.
TEST(RawPictureTest, BackgroundsAreReadInPlace) {
    for (const char* path : {Artwork::kChineseBackground, Artwork::kEnglishBackground}) {
        SCOPED_TRACE(path);
        const QImage picture = Artwork::Picture(path);
        EXPECT_EQ(picture.size(), Artwork::kBackgroundSize);
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        const QResource resource(QString::fromLatin1(path));
        EXPECT_GT(picture.constBits(), resource.data());
        EXPECT_LT(picture.constBits(), resource.data() + resource.size());
    }
}

}  // namespace
