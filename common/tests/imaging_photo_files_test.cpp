// Photos as people bring them: EXIF orientations read from the file's own bytes (with damaged and
// hostile EXIF data), pictures turned upright, and JPEG files cut short or with stray bytes.
#include <gtest/gtest.h>
#include "exif_jpeg.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_reduced.h"

using namespace vantor;
using vantor_test::CornerColours;
using vantor_test::ExifPayload;
using vantor_test::JpegBytes;
using vantor_test::Quadrants;
using vantor_test::WithExifOrientation;

namespace {

int OrientationOf(const QByteArray& payload) {
    return ExifOrientationOf(reinterpret_cast<const unsigned char*>(payload.constData()),
                             static_cast<std::size_t>(payload.size()));
}

}  // namespace

TEST(ImagingExif, OrientationIsReadInBothByteOrders) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        EXPECT_EQ(OrientationOf(ExifPayload(orientation, true)), orientation);
        EXPECT_EQ(OrientationOf(ExifPayload(orientation, false)), orientation);
    }
}

TEST(ImagingExif, DamagedOrHostileExifCountsAsUpright) {
    const QByteArray good = ExifPayload(6);
    EXPECT_EQ(OrientationOf(ExifPayload(0)), kExifUpright);  // out of range
    EXPECT_EQ(OrientationOf(ExifPayload(9)), kExifUpright);
    EXPECT_EQ(OrientationOf(QByteArray("JFIF\0\0", 6) + good.mid(6)), kExifUpright);
    EXPECT_EQ(ExifOrientationOf(nullptr, 40), kExifUpright);
    // Cut anywhere before the orientation's value: never read past the end.
    for (int size = 0; size < 6 + 8 + 2 + 12 + 10; ++size) {
        EXPECT_EQ(OrientationOf(good.left(size)), kExifUpright) << size;
    }
    // A directory offset or entry count pointing far outside the segment.
    QByteArray far = good;
    far[6 + 4] = '\x7F';
    EXPECT_EQ(OrientationOf(far), kExifUpright);
    QByteArray many = good;  // no orientation among "65535" entries
    many[6 + 8] = '\xFF';
    many[6 + 9] = '\xFF';
    many[6 + 10 + 12 + 1] = '\x13';
    EXPECT_EQ(OrientationOf(many), kExifUpright);
    // The orientation stored as a LONG instead of a SHORT.
    QByteArray wrong_type = good;
    wrong_type[6 + 10 + 12 + 3] = 4;
    EXPECT_EQ(OrientationOf(wrong_type), kExifUpright);
}

TEST(ImagingExif, EveryOrientationTurnsThePictureUpright) {
    // What a camera stores for an upright scene under each orientation, and the picture turned back.
    const QImage upright = Quadrants(60, 40);
    const struct {
        int orientation;
        QImage stored;
    } cases[] = {
        {1, upright},
        {2, upright.mirrored(true, false)},
        {3, upright.transformed(QTransform().rotate(180))},
        {4, upright.mirrored(false, true)},
        {5, upright.transformed(QTransform().rotate(90)).mirrored(true, false)},
        {6, upright.transformed(QTransform().rotate(270))},
        {7, upright.transformed(QTransform().rotate(270)).mirrored(true, false)},
        {8, upright.transformed(QTransform().rotate(90))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UprightSize(c.stored.size(), c.orientation), QSize(60, 40)) << c.orientation;
        const QImage turned = TurnUpright(c.stored, c.orientation);
        EXPECT_EQ(turned.size(), QSize(60, 40)) << c.orientation;
        EXPECT_EQ(CornerColours(turned, 2), "RGYB") << c.orientation;
    }
}

TEST(ImagingJpeg, HeaderCarriesTheStoredSizeAndOrientation) {
    const QByteArray plain = JpegBytes(Quadrants(320, 240));
    JpegHeader header;
    ASSERT_TRUE(ReadJpegHeader(plain, &header));
    EXPECT_EQ(header.stored_size, QSize(320, 240));
    EXPECT_EQ(header.orientation, kExifUpright);
    ASSERT_TRUE(ReadJpegHeader(WithExifOrientation(plain, 6), &header));
    EXPECT_EQ(header.orientation, 6);
    EXPECT_EQ(header.stored_size, QSize(320, 240));
    ASSERT_TRUE(ReadJpegHeader(WithExifOrientation(plain, 8, false), &header));
    EXPECT_EQ(header.orientation, 8);
    EXPECT_FALSE(ReadJpegHeader(QByteArray("\x89PNG\r\n\x1a\n", 8), &header));
}

TEST(ImagingJpeg, DataThatEndsEarlyIsRefusedButStrayBytesAreNot) {
    const QByteArray whole = JpegBytes(Quadrants(800, 600));
    const QByteArray cut = whole.left(whole.size() / 2);
    for (int scale : {2, 8}) {
        EXPECT_FALSE(DecodeJpegScaled(whole, scale, JpegDamage::Refuse).isNull()) << scale;
        EXPECT_TRUE(DecodeJpegScaled(cut, scale, JpegDamage::Refuse).isNull()) << scale;
        // Tolerated, the cut file decodes with its missing half filled in.
        EXPECT_EQ(DecodeJpegScaled(cut, scale, JpegDamage::Tolerate).width(), 800 * scale / 8) << scale;
    }
    EXPECT_TRUE(JpegDataComplete(whole));
    EXPECT_FALSE(JpegDataComplete(cut));
    EXPECT_FALSE(JpegDataComplete(QByteArray("not a picture")));

    // Some cameras leave a few bytes between the coded data and the end marker: the picture is
    // whole and stays readable.
    ASSERT_TRUE(whole.endsWith("\xFF\xD9"));
    const QByteArray stray = whole.left(whole.size() - 2) + QByteArray("\x00\x11\x22", 3) + "\xFF\xD9";
    EXPECT_FALSE(DecodeJpegScaled(stray, 8, JpegDamage::Refuse).isNull());
    EXPECT_TRUE(JpegDataComplete(stray));
}
