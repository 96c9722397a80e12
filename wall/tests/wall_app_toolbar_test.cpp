// The toolbar: its bitmap buttons' derived looks and its layout.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include "test_folder.h"
#include "ui/button_ex.h"
#include "ui/private_menu.h"

using namespace UICONTROL;
using namespace halvix;

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

QImage Pixels(std::initializer_list<QRgb> colours) {
    QImage image(static_cast<int>(colours.size()), 1, QImage::Format_RGB32);
    int x = 0;
    for (QRgb colour : colours) {
        image.setPixel(x++, 0, colour);
    }
    return image;
}

}  // namespace

TEST(ButtonEx, HighlightedIsLightenedAndDisabledIsGreyExceptTheTransparentColour) {
    const QImage bitmap = Pixels({qRgb(0, 0, 0), qRgb(100, 200, 40), kMagenta, qRgb(255, 255, 255)});
    const QImage light = LightenedLook(bitmap, kMagenta);
    EXPECT_EQ(light.pixel(0, 0), qRgb(63, 63, 63));  // (3c + 255) / 4 rounded down
    EXPECT_EQ(light.pixel(1, 0), qRgb(138, 213, 93));
    EXPECT_EQ(light.pixel(2, 0), kMagenta);
    EXPECT_EQ(light.pixel(3, 0), qRgb(255, 255, 255));
    const QImage grey = GreyLook(bitmap, kMagenta);
    const int g = (299 * 100 + 587 * 200 + 114 * 40) / 1000;
    EXPECT_EQ(grey.pixel(1, 0), qRgb(g, g, g));
    EXPECT_EQ(grey.pixel(2, 0), kMagenta);

    // A white transparent colour is changed like any other.
    const QImage whiteKey = GreyLook(Pixels({qRgb(255, 255, 255), qRgb(255, 0, 0)}), qRgb(255, 255, 255));
    EXPECT_EQ(whiteKey.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(whiteKey.pixel(1, 0), qRgb(76, 76, 76));
    EXPECT_EQ(LightenedLook(Pixels({qRgb(255, 255, 255), qRgb(0, 0, 0)}), qRgb(0, 0, 0)).pixel(1, 0),
              qRgb(0, 0, 0));
}

TEST(ButtonEx, ShowsTheLookOfItsStateAndReportsABitmapThatCannotBeLoaded) {
    CButtonEx button(2005);
    EXPECT_FALSE(button.SetBitmap(QStringLiteral("/nonexistent/2029.bmp")));
    EXPECT_EQ(button.LastError(), QStringLiteral("error Load Bitmap"));
    vantor_test::TestFolder folder;
    const QString broken = QString::fromStdString(folder.Write("broken.bmp", "BMnot a bitmap").string());
    EXPECT_FALSE(button.SetBitmap(broken));

    ASSERT_TRUE(button.SetBitmap(Pixels({qRgb(40, 80, 120), kMagenta})));
    EXPECT_TRUE(button.LastError().isEmpty());
    EXPECT_EQ(button.CurrentLook().pixel(0, 0), qRgb(40, 80, 120));
    EXPECT_EQ(qAlpha(button.CurrentLook().pixel(1, 0)), 0);  // the transparent colour is cut out
    button.setEnabled(false);
    const int g = (299 * 40 + 587 * 80 + 114 * 120) / 1000;
    EXPECT_EQ(button.CurrentLook().pixel(0, 0), qRgb(g, g, g));
}

TEST(PrivateMenu, FourVisibleButtonsInARowAndTwoHiddenOnesReportTheirIds) {
    QWidget owner;
    std::vector<int> commands;
    CPrivateMenu menu(&owner, [&](int id) { commands.push_back(id); });
    EXPECT_EQ(menu.size(), QSize(DialogUnitsX(125), DialogUnitsY(28)));
    const std::vector<std::pair<int, int>> row = {{2005, 0}, {2003, 31}, {2004, 62}, {2, 93}};
    for (const auto& [id, x_units] : row) {
        ASSERT_NE(menu.Button(id), nullptr);
        EXPECT_FALSE(menu.Button(id)->isHidden());
        EXPECT_EQ(menu.Button(id)->geometry(),
                  QRect(DialogUnitsX(x_units), 0, DialogUnitsX(32), DialogUnitsY(28)));
    }
    EXPECT_TRUE(menu.Button(2001)->isHidden());
    EXPECT_TRUE(menu.Button(2002)->isHidden());
    for (int id : {2005, 2003, 2004, 2, 2001, 2002}) {
        menu.Button(id)->click();
    }
    EXPECT_EQ(commands, std::vector<int>({2005, 2003, 2004, 2, 2001, 2002}));
    // Run outside an installation folder the bitmaps are missing: each button says so.
    EXPECT_EQ(menu.LoadErrors().size(), 6);
}
