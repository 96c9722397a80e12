// Photos as people bring them: EXIF orientations read from the file's own bytes (with damaged and
// hostile EXIF data), pictures turned upright, and JPEG files cut short or with stray bytes. And
// files a shown folder may hold that are not what their names say: a JPEG whose header claims
// gigabytes of pixels, a FIFO or a link to a device named like a picture, files larger than their
// bound, and BMPs cut short; each is refused at once, with bounded memory.
#include <gtest/gtest.h>
#include <QImageReader>
#include <chrono>
#include <future>
#include "exif_jpeg.h"
#include "hostile_files.h"
#include "imaging/bmp_complete.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_reduced.h"
#include "imaging/picture_limits.h"
#include "platform/whole_file.h"
#include "process_memory.h"
#include "test_folder.h"

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

namespace fs = std::filesystem;

namespace {

// How much the process's peak resident memory grows while `work` runs, in megabytes.
template <typename Work>
double PeakGrowthMegabytes(Work work) {
    vantor_test::ResetPeak();
    const double before = vantor_test::StatusMegabytes("VmHWM");
    work();
    return vantor_test::StatusMegabytes("VmHWM") - before;
}

QImage Stripes(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, qRgb(x * 40 % 256, y * 30 % 256, 90));
        }
    }
    return picture;
}

}  // namespace

TEST(ImagingHostileFiles, AJpegHeaderClaimingGigabytesIsRefusedByEveryDecoderWithBoundedMemory) {
    const QByteArray huge = QByteArray::fromStdString(vantor_test::HugeCmykJpeg());
    ASSERT_LT(huge.size(), 300);
    const double growth = PeakGrowthMegabytes([&] {
        EXPECT_FALSE(ReadJpegHeader(huge, nullptr));
        EXPECT_FALSE(JpegDataComplete(huge));
        EXPECT_TRUE(DecodeJpegScaled(huge, 1).isNull());
        EXPECT_TRUE(QImage::fromData(huge).isNull());  // Qt's own JPEG reader
    });
    EXPECT_LT(growth, 64.0) << "megabytes taken for a " << huge.size() << "-byte file";

    // The bound lies well above a 50-megapixel camera's photos.
    EXPECT_TRUE(PicturePixelsAllowed(8688, 5792));
    EXPECT_FALSE(PicturePixelsAllowed(63040, 15663));
    EXPECT_FALSE(PicturePixelsAllowed(0, 10));
    EXPECT_FALSE(PicturePixelsAllowed(std::int64_t{1} << 40, std::int64_t{1} << 40));
    EXPECT_EQ(QImageReader::allocationLimit(), QtAllocationLimitMegabytes());
}

TEST(ImagingHostileFiles, OnlyRegularFilesWithinTheirBoundAreReadWhole) {
    vantor_test::TestFolder folder;
    const fs::path fifo = folder.path() / "p.jpg";
    ASSERT_TRUE(vantor_test::MakeFifo(fifo));
    auto read = std::async(std::launch::async, [&] { return ReadWholeFile(fifo.string()); });
    if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        vantor_test::ReleaseFifoReader(fifo);
        read.wait();
        FAIL() << "reading a FIFO waited for a writer";
    }
    EXPECT_FALSE(read.get());

    const fs::path zero = folder.path() / "z.jpg";
    fs::create_symlink("/dev/zero", zero);
    EXPECT_FALSE(ReadWholeFile(zero.string()));
    EXPECT_FALSE(ReadOnlyFile(zero.string(), kWholeFileLimit).IsOpen());

    const fs::path file = folder.Write("a.jpg", std::string(1000, 'x'));
    EXPECT_EQ(ReadWholeFile(file.string(), 1000), std::string(1000, 'x'));
    EXPECT_FALSE(ReadWholeFile(file.string(), 999));
    const fs::path link = folder.path() / "link.jpg";
    fs::create_symlink(file, link);
    EXPECT_EQ(ReadWholeFile(link.string())->size(), 1000u);  // a link to a regular file is read
    // The kernel's files tell no size and are still read, within the bound.
    EXPECT_NE(ReadWholeFile("/proc/self/status").value_or("").find("VmHWM"), std::string::npos);
    EXPECT_FALSE(ReadWholeFile("/proc/self/status", 16));
}

TEST(ImagingHostileFiles, ABmpIsCompleteOnlyWithEveryPaddedRow) {
    // 3 pixels of 24 bits: 9 bytes a row, padded to 12.
    const std::string whole = vantor_test::BmpBytes(Stripes(3, 5).convertToFormat(QImage::Format_RGB888));
    const QByteArray bytes = QByteArray::fromStdString(whole);
    ASSERT_TRUE(LooksLikeBmpData(bytes));
    const int pixels_at = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
    ASSERT_EQ(bytes.size(), pixels_at + 5 * 12) << "Qt wrote a BMP of another layout";
    EXPECT_TRUE(BmpDataComplete(bytes));
    EXPECT_FALSE(BmpDataComplete(bytes.left(bytes.size() - 1)));  // the last row's padding
    EXPECT_FALSE(BmpDataComplete(bytes.left(pixels_at + 12 * 4 + 9)));
    EXPECT_FALSE(BmpDataComplete(bytes.left(pixels_at)));
    EXPECT_FALSE(BmpDataComplete(bytes.left(30)));  // the header itself cut
    EXPECT_FALSE(BmpDataComplete(QByteArray("BM")));

    QByteArray top_down = bytes;  // a negative height: rows stored from the top
    const int height = -5;
    for (int i = 0; i < 4; ++i) {
        top_down[22 + i] = static_cast<char>(static_cast<unsigned>(height) >> (8 * i));
    }
    EXPECT_TRUE(BmpDataComplete(top_down));
    EXPECT_FALSE(BmpDataComplete(top_down.left(top_down.size() - 12)));

    QByteArray far = bytes;  // pixel data said to start past the end of the file
    far[11] = '\x7F';
    EXPECT_FALSE(BmpDataComplete(far));

    // 32-bit rows need no padding; a cut 32-bit BMP is refused as well.
    const QByteArray wide = QByteArray::fromStdString(vantor_test::BmpBytes(Stripes(7, 4)));
    EXPECT_TRUE(BmpDataComplete(wide));
    EXPECT_FALSE(BmpDataComplete(wide.left(wide.size() - 4)));
}
