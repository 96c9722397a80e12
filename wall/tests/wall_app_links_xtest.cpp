// The selected picture of a sign-in carries the QR code of its guest's personal link: read back
// from a screenshot of the wall's window with zbarimg, as a phone would read the big screen. A
// picture without a record, or any picture with personal links switched off, carries none. The
// screenshots are kept in wall_app_shots/.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "exif_jpeg.h"
#include "links/link_index.h"
#include "language/language.h"
#include "wall_window_fixture.h"

using namespace wall_window_test;

namespace {

constexpr char kToken[] = "0123456789abcdef0123456789abcdef";
constexpr char kLink[] = "http://192.168.7.20:8600/p/0123456789abcdef0123456789abcdef";

// The text of the QR code zbarimg finds on the image; empty when it finds none.
std::string ReadQr(const QImage& image) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("frame.png"));
    EXPECT_TRUE(image.save(file));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    if (!zbar.waitForFinished(30000) || zbar.error() == QProcess::FailedToStart) {
        ADD_FAILURE() << "needs zbarimg (zbar-tools) to read the code from the screen";
        return {};
    }
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed().toStdString();
}

// The bounds of the black pixels in `region` of the frame (the code's modules: the pictures
// below are light).
QRect BlackBounds(const QImage& frame, const QRect& region) {
    QRect bounds;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QColor c = frame.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) < 50) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// A framed sign-in: a warm scene with the guest's number, under a storage folder whose name is
// not UTF-8, so written by bytes.
void WriteSignIn(const vantor_test::TestFolder& files, const std::string& relative, int number) {
    QImage picture(1200, 900, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(20 + 150 * number, 160, 220));
    QPainter painter(&picture);
    painter.fillRect(60, 60, 1080, 780, QColor::fromHsv(200, 90 + 40 * number, 200));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(360);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, QString::number(number));
    painter.end();
    files.Write(relative, vantor_test::JpegBytes(picture).toStdString());
}

class WallLinksTest : public WallWindowTest {
  protected:
    void Configure(WallServices& services) override {
        vantor::LoadProcessLanguageTable();  // the installation's, as the wall program has it
        services.gallerySettings = [this] {
            vantor::settings::GallerySettings settings;
            settings.personal_links = links_on_.load();
            settings.address = "192.168.7.20";
            settings.port = 8600;
            return settings;
        };
    }

    irr::video::ITexture* Shown(irr::scene::ISceneNode* tile) {
        WallLockGuard lock(window_->Lock());
        return tile->getMaterial(0).getTexture(0);
    }

    // Clicks the tile named `name` from the wall view and waits until its enlarged picture shows,
    // the camera at rest in front of it; then clicks beside it, back to the wall view.
    QImage SelectAndCapture(const std::string& name) {
        irr::scene::ISceneNode* wanted = nullptr;
        for (irr::scene::ISceneNode* tile : Tiles()) {
            wanted = tile->getName() == name ? tile : wanted;
        }
        if (wanted == nullptr) {
            ADD_FAILURE() << "no tile " << name;
            return {};
        }
        irr::video::ITexture* small = Shown(wanted);
        EXPECT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().Z + 700.0f) < 1.0f; }, 20000));
        Click(OnScreen(wanted));
        EXPECT_TRUE(WaitUntil([&] { return Selected() == wanted; }, 5000));
        EXPECT_TRUE(WaitUntil([&] { return Shown(wanted) != small; }, 20000)) << "never enlarged";
        EXPECT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().Z + 450.0f) < 0.5f; }, 20000));
        const QImage frame = window_->CaptureFrame();
        Click(QPoint(4, 4));  // the backdrop
        EXPECT_TRUE(WaitUntil([&] { return Selected() == nullptr; }, 5000));
        return frame;
    }

    std::atomic<bool> links_on_{true};
};

}  // namespace

TEST_F(WallLinksTest, TheSelectedSignInShowsItsPersonalLinkAndOtherPicturesShowNone) {
    const std::string day = "\xBB\xEE\xB6\xAF/Storage/2026-12-9/WithTemplate/";  // 活动 in GBK bytes
    WriteSignIn(pictures_, day + "9-5-10.jpg", 1);                               // recorded
    WriteSignIn(pictures_, day + "9-5-11.jpg", 2);                               // copied in by hand
    const auto storage = pictures_.path() / "\xBB\xEE\xB6\xAF" / "Storage";
    const auto folder = storage / "2026-12-9" / "WithTemplate";
    ASSERT_TRUE(
        vantor::links::RecordLink(Logic(storage), {kToken, "0123456789abcdef", "2026-12-9", "9-5-10"}));
    ShowFolder(folder);
    ASSERT_EQ(Tiles().size(), 2u);

    const QImage recorded = SelectAndCapture("9-5-10.jpg");
    KeepShot(recorded, "4-selected-with-link");
    EXPECT_EQ(ReadQr(recorded), kLink);
    // In the enlarged picture's lower right quarter (the picture is centred on the screen), big
    // enough to scan from across the room.
    const QRect corner(recorded.width() / 2, recorded.height() / 2, 620, 440);
    EXPECT_EQ(ReadQr(recorded.copy(corner)), kLink);
    const QRect code = BlackBounds(recorded, corner);
    EXPECT_GE(code.width(), 220);
    EXPECT_GE(code.height(), 220);

    EXPECT_TRUE(ReadQr(SelectAndCapture("9-5-11.jpg")).empty());

    links_on_ = false;
    const QImage switchedOff = SelectAndCapture("9-5-10.jpg");
    KeepShot(switchedOff, "5-selected-links-off");
    EXPECT_TRUE(ReadQr(switchedOff).empty());
}
