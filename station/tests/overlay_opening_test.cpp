// Template openings, the template finder and the overlay's hit region.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include "overlay/child_dialog.h"
#include "overlay/template_finder.h"
#include "overlay/template_opening.h"
#include "platform/message_box.h"
#include "test_folder.h"

namespace {

// An opaque frame of w x h with a transparent (alpha `hole_alpha`) rectangle.
QImage FrameWithHole(int w, int h, QRect hole, int hole_alpha = 0) {
    QImage frame(w, h, QImage::Format_ARGB32);
    frame.fill(qRgba(120, 20, 40, 255));
    for (int y = hole.top(); y <= hole.bottom(); ++y) {
        for (int x = hole.left(); x <= hole.right(); ++x) {
            frame.setPixel(x, y, qRgba(0, 0, 0, hole_alpha));
        }
    }
    return frame;
}

TEST(OverlayOpening, BoundsAreWidenedByTwoInsideThePicture) {
    const QImage frame = FrameWithHole(1000, 600, QRect(100, 50, 300, 400));
    EXPECT_EQ(TransparentBounds(frame, 0), (OpeningRect{98, 48, 401, 451}));
    // An opening touching the edges is not widened past them.
    const QImage edge = FrameWithHole(100, 80, QRect(0, 1, 100, 79));
    EXPECT_EQ(TransparentBounds(edge, 0), (OpeningRect{0, 1, 99, 79}));
}

TEST(OverlayOpening, SmallerThanTheCameraShowsTheCameraSizeUnscaledInsideTheWindow) {
    // A 300 x 400 opening under a 640 x 480 camera: smaller both ways.
    const QImage frame = FrameWithHole(1000, 600, QRect(100, 50, 296, 396));
    const OpeningRect rect = FindTemplateOpening(frame, 0, 640, 480);
    EXPECT_EQ(rect, (OpeningRect{98, 48, 98 + 640, 48 + 480}));
    // Near the right and bottom edges the box moves inside.
    const QImage corner = FrameWithHole(1000, 600, QRect(700, 300, 200, 200));
    EXPECT_EQ(FindTemplateOpening(corner, 0, 640, 480), (OpeningRect{360, 120, 1000, 600}));
}

TEST(OverlayOpening, WiderOpeningIsCoveredByABoxOfTheCameraProportionsCentredOnIt) {
    // 800 x 400 opening (after widening) with 640 x 480: box 800 x 600, y = minY - 100.
    const QImage frame = FrameWithHole(1200, 900, QRect(202, 202, 797, 397));
    EXPECT_EQ(FindTemplateOpening(frame, 0, 640, 480), (OpeningRect{200, 100, 1000, 700}));
    // Too close to the top for the centring: y becomes 0.
    const QImage high = FrameWithHole(1200, 900, QRect(202, 52, 797, 397));
    EXPECT_EQ(FindTemplateOpening(high, 0, 640, 480), (OpeningRect{200, 0, 1000, 600}));
    // A box running off the bottom is moved up; one taller than the window is cut to it.
    const QImage low = FrameWithHole(1200, 700, QRect(202, 402, 797, 297));
    EXPECT_EQ(FindTemplateOpening(low, 0, 640, 480), (OpeningRect{200, 100, 1000, 700}));
}

TEST(OverlayOpening, TallOpeningTakesItsHeightAndCentresHorizontally) {
    // 500 x 700 opening: CW/CH = 1.33 > 0.71, so box height 700, width 933; d = 216 > minX = 100.
    const QImage frame = FrameWithHole(1200, 900, QRect(102, 102, 497, 697));
    EXPECT_EQ(FindTemplateOpening(frame, 0, 640, 480), (OpeningRect{0, 100, 933, 800}));
}

TEST(OverlayOpening, ThresholdDecidesWhatCountsAsTransparent) {
    const QImage frame = FrameWithHole(1000, 600, QRect(100, 100, 700, 400), 40);
    // Threshold 0: no pixel qualifies, the camera sits unscaled at the top-left corner.
    EXPECT_EQ(FindTemplateOpening(frame, 0, 640, 480), (OpeningRect{0, 0, 640, 480}));
    EXPECT_EQ(FindTemplateOpening(frame, 40, 640, 480).left, 98);
    // 255: every pixel is open and the camera is fitted to the whole window.
    EXPECT_EQ(FindTemplateOpening(frame, 255, 640, 480), (OpeningRect{0, 0, 999, 600}));
}

TEST(OverlayOpening, PictureWithoutAlphaHasNoOpening) {
    QImage opaque(400, 300, QImage::Format_RGB32);
    opaque.fill(Qt::white);
    EXPECT_TRUE(FindTemplateOpening(opaque, 255, 640, 480).IsEmpty());
    EXPECT_TRUE(FindTemplateOpening(QImage(), 0, 640, 480).IsEmpty());
}

void Touch(const vantor_test::TestFolder& folder, const std::string& name) {
    folder.Write("Template/" + name, "x");
}

TEST(OverlayTemplates, FinderTakesBothSpellingsAnywhereInThePath) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    for (const char* name : {"b.png", "a.Png", "x.png.bak", "C.PNG", "d.jpg"}) {
        Touch(folder, name);
    }
    std::filesystem::create_directories(folder.path() / "Template" / "dir.png");
    const std::vector<tstring> found = FindTemplatePaths();
    EXPECT_EQ(found, (std::vector<tstring>{u"Template\\C.PNG", u"Template\\b.png", u"Template\\x.png.bak"}));
}

TEST(OverlayTemplates, MissingFolderGivesNoTemplates) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    EXPECT_TRUE(FindTemplatePaths().empty());
}

TEST(OverlayTemplates, ListShowsLastFoundFirstAndSavesCycleInFoundOrder) {
    const std::vector<tstring> order{u"Template\\a.png", u"Template\\b.png", u"Template\\c.png"};
    EXPECT_EQ(ThumbnailListOrder(order), (std::vector<tstring>{order[2], order[1], order[0]}));
    std::vector<TemplateEntry> entries;
    for (const tstring& path : order) {
        entries.push_back({path, {}});
    }
    EXPECT_EQ(NextTemplateIndex(entries, order[0]), 1);
    EXPECT_EQ(NextTemplateIndex(entries, order[2]), 0);
    EXPECT_EQ(NextTemplateIndex(entries, u"Template\\A.png"), -1);  // exact comparison
    EXPECT_EQ(NextTemplateIndex({entries[0]}, order[0]), -1);       // one template: no advance
}

TEST(OverlayTemplates, ThumbnailsHaveTheScreensProportions) {
    EXPECT_EQ(ThumbnailSize(1920, 1080, 300), QSize(300, 168));
    EXPECT_EQ(ThumbnailSize(1280, 1024, 256), QSize(256, 204));
    EXPECT_EQ(ThumbnailSize(0, 1024, 256).width(), 256);
}

class FakeOwner : public OverlayOwner {
  public:
    void PhotoOrSave() override { ++photo_commands; }
    void OverlayCommand(int command) override { passed_on.push_back(command); }
    bool InsertTimeOn() const override { return true; }
    TemplateEntry* FindTemplateEntry(const tstring& path) override {
        const int i = TemplateIndex(entries, path);
        return i < 0 ? nullptr : &entries[i];
    }
    QSize CameraSize() const override { return {640, 480}; }
    void SetCameraRect(const OpeningRect& rect) override { camera_rect = rect; }
    void SetTemplateListVisible(bool visible) override { list_visible = visible; }
    void RepaintOwner() override {}

    int photo_commands = 0;
    std::vector<int> passed_on;
    std::vector<TemplateEntry> entries;
    OpeningRect camera_rect{-1, -1, -1, -1};
    bool list_visible = true;
};

TEST(OverlayWidget, OpeningLetsClicksThroughAndFrameTakesThem) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    std::filesystem::create_directories(folder.path() / "Template");
    FrameWithHole(400, 300, QRect(100, 50, 200, 150))
        .save(QString::fromStdString((folder.path() / "Template" / "f.png").string()));

    QWidget window;
    window.resize(400, 300);
    FakeOwner owner;
    owner.entries.push_back({u"Template\\f.png", {}});
    CChildDialog overlay(&window, &owner);
    overlay.setGeometry(0, 0, 400, 300);
    overlay.Initialise();
    overlay.ApplyTemplate(u"Template\\f.png");
    window.show();

    EXPECT_EQ(overlay.CurrentTemplateName(), u"Template\\f.png");
    EXPECT_EQ(owner.camera_rect,
              (OpeningRect{0, 0, 400, 300}).left == 0 ? owner.entries[0].opening : OpeningRect{});
    EXPECT_FALSE(owner.entries[0].opening.IsEmpty());
    EXPECT_EQ(window.childAt(200, 120), nullptr) << "the opening belongs to the window below";
    EXPECT_EQ(window.childAt(20, 20), &overlay) << "the frame belongs to the overlay";
    EXPECT_EQ(qAlpha(overlay.Layer().pixel(200, 120)), 0);
    EXPECT_EQ(qAlpha(overlay.Layer().pixel(20, 20)), 255);

    // The second application uses the stored opening.
    owner.entries[0].opening = {1, 2, 3, 4};
    overlay.ApplyTemplate(u"Template\\f.png");
    EXPECT_EQ(owner.camera_rect, (OpeningRect{1, 2, 3, 4}));
}

TEST(OverlayWidget, MenuCommandsSingleClickQuestionAndListToggle) {
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    QWidget window;
    FakeOwner owner;
    CChildDialog overlay(&window, &owner);
    std::vector<OverlayMenuItem> shown;
    int answer = kMenuSingleClick;
    overlay.SetMenuRunner([&](const std::vector<OverlayMenuItem>& items, QPoint) {
        shown = items;
        return answer;
    });

    boxes.Script({vantor::MessageAnswer::No});
    overlay.OpenMenu({200, 200});
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[0].command, kMenuChoosePrinter);
    EXPECT_TRUE(shown[2].checked);  // insert time
    EXPECT_FALSE(overlay.SingleClickOn());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, u"温馨提醒");
    EXPECT_EQ(boxes.Boxes()[0].icon, vantor::MessageIcon::Warning);

    boxes.Script({vantor::MessageAnswer::Yes});
    overlay.OpenMenu({200, 200});
    EXPECT_TRUE(overlay.SingleClickOn());
    overlay.OpenMenu({200, 200});
    EXPECT_TRUE(shown[1].checked);
    EXPECT_FALSE(overlay.SingleClickOn()) << "turning it off asks nothing";
    EXPECT_EQ(boxes.Boxes().size(), 2u);

    answer = kMenuToggleTemplateList;
    const bool before = TemplateListVisibleFlag();
    overlay.OpenMenu({0, 0});
    EXPECT_EQ(owner.list_visible, !before);
    overlay.OpenMenu({0, 0});
    EXPECT_EQ(TemplateListVisibleFlag(), before);

    answer = kMenuPictureHints;
    overlay.OpenMenu({0, 0});
    answer = kMenuChoosePrinter;
    overlay.OpenMenu({0, 0});
    EXPECT_EQ(owner.passed_on, (std::vector<int>{kMenuPictureHints, kMenuChoosePrinter}));
}

}  // namespace
