// The photo printer over Qt's printing and CUPS: paper sizes, the set-up dialog and its landscape
// rule, and a document that really goes through the test command's CUPS queue.
#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPrinterInfo>
#include <cmath>
#include "platform/message_box.h"
#include "print_queue.h"
#include "printer/auto_size_printer.h"

namespace {

// A set-up dialog the test answers; it may change the printer as an operator would.
class ScriptedDialog : public PrintSetupDialog {
  public:
    ScriptedDialog(bool confirm, std::function<void(QPrinter&)> change)
        : confirm_(confirm), change_(std::move(change)) {}
    bool Ask(QPrinter& printer) override {
        if (change_) {
            change_(printer);
        }
        return confirm_;
    }

  private:
    bool confirm_;
    std::function<void(QPrinter&)> change_;
};

CAutoSizePrinter::Services Answering(bool confirm, QSize screen, std::function<void(QPrinter&)> change = {}) {
    CAutoSizePrinter::Services services;
    services.setup_dialog = [confirm, change] { return std::make_unique<ScriptedDialog>(confirm, change); };
    services.screen_size = [screen] { return screen; };
    return services;
}

class AutoSizePrinter : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(QPrinterInfo::defaultPrinter().isNull())
            << "no default printer: the test command starts cupsd with the VantorPDF queue as default";
    }
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_{boxes_};
};

TEST_F(AutoSizePrinter, APresetPaperIsACustomLandscapePageOfTheDefaultPrinter) {
    CAutoSizePrinter printer(ePhoto10);
    ASSERT_FALSE(printer.IsNullPrinter());
    const QPageLayout layout = printer.Printer()->pageLayout();
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(layout.pageSize().size(QPageSize::Millimeter), QSizeF(80, 100));
    EXPECT_EQ(printer.Printer()->printerName(), QPrinterInfo::defaultPrinter().printerName());

    // An unsupported size says so and keeps the paper.
    EXPECT_FALSE(printer.SetPageSize(4));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(printer.RememberedPaper().width_mm, 80);
    EXPECT_EQ(printer.RememberedPaper().length_mm, 100);
    for (int unsupported : {9, 11, 13, 15, -1}) {
        EXPECT_FALSE(CAutoSizePrinter::PaperOf(unsupported).has_value()) << unsupported;
    }
    EXPECT_EQ(CAutoSizePrinter::PaperOf(ePhotoA4)->length_mm, 297);
}

TEST_F(AutoSizePrinter, WithoutAPresetThePrinterIsChosenInTheDialog) {
    CAutoSizePrinter cancelled(ePhotoNone, Answering(false, {1920, 1080}));
    EXPECT_TRUE(cancelled.IsNullPrinter());
    EXPECT_FALSE(cancelled.ChoosePrinter());
    EXPECT_TRUE(cancelled.IsNullPrinter());

    const auto portrait_at_300 = [](QPrinter& p) {
        p.setPageOrientation(QPageLayout::Portrait);
        p.setResolution(300);
    };
    CAutoSizePrinter wide(ePhotoNone, Answering(true, {1920, 1080}, portrait_at_300));
    ASSERT_TRUE(wide.ChoosePrinter());
    EXPECT_FALSE(wide.IsNullPrinter());
    EXPECT_EQ(wide.Printer()->pageLayout().orientation(), QPageLayout::Landscape) << "a wide screen turns it";
    float length = 10.0F;
    wide.ChangeToPixelFromMillionMeter(length);
    EXPECT_NEAR(length, 118.1F, 0.05F) << "300 dots per inch";

    CAutoSizePrinter tall(ePhotoNone, Answering(true, {1080, 1920}, portrait_at_300));
    ASSERT_TRUE(tall.ChoosePrinter());
    EXPECT_EQ(tall.Printer()->pageLayout().orientation(), QPageLayout::Portrait) << "left as chosen";
}

// Confirming the dialog without a printer chooses nothing and says so; a printer chosen before stays.
TEST_F(AutoSizePrinter, ConfirmingWithoutAPrinterKeepsThePreviousChoice) {
    int asked = 0;
    CAutoSizePrinter printer(ePhotoNone, Answering(true, {1920, 1080}, [&asked](QPrinter& p) {
                                 if (++asked > 1) {
                                     p.setPrinterName(QString());
                                 }
                             }));
    ASSERT_TRUE(printer.ChoosePrinter());
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(printer.ChoosePrinter());
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, u"请先添加打印机\n并将要打印的打印机设置为默认打印机");
    ASSERT_FALSE(printer.IsNullPrinter());
    EXPECT_EQ(printer.Printer()->printerName(), QPrinterInfo::defaultPrinter().printerName());
}

TEST_F(AutoSizePrinter, ADocumentGoesThroughCupsWithThePageInPrinterPixels) {
    std::string why;
    const std::filesystem::path output = vantor_test::PrintOutputFolder(why);
    ASSERT_FALSE(output.empty()) << why;
    const vantor_test::PrintQueueLock lock(output);
    const auto before = vantor_test::PrintedFiles(output);

    CAutoSizePrinter printer(ePhoto10);
    ASSERT_EQ(printer.StartDocW(), 1);
    EXPECT_TRUE(boxes_.Boxes().empty());
    // 100 x 80 mm across, less the margins, at the printer's resolution.
    const double dpm = printer.Printer()->resolution() / 25.4;
    EXPECT_LE(printer.pageWidth, std::lround(100 * dpm));
    EXPECT_GT(printer.pageWidth, std::lround(80 * dpm));
    EXPECT_LE(printer.pageHeight, std::lround(80 * dpm));
    printer.StartPage();
    printer.GetGraphics().fillRect(QRect(0, 0, printer.pageWidth / 2, printer.pageHeight / 2), Qt::black);
    printer.EndPage();
    EXPECT_TRUE(printer.EndDoc());

    const std::filesystem::path job = vantor_test::WaitForNewJob(output, before);
    ASSERT_FALSE(job.empty()) << "no job came out of the CUPS queue";
    const QImage page = vantor_test::RenderPdfPage(job, 50);
    ASSERT_FALSE(page.isNull()) << "pdftoppm could not render " << job;
    EXPECT_NEAR(static_cast<double>(page.width()) / page.height(), 100.0 / 80.0, 0.02) << "a landscape page";
    EXPECT_LT(qGray(page.pixel(page.width() / 4, page.height() / 4)), 60);
    EXPECT_GT(qGray(page.pixel(page.width() * 3 / 4, page.height() * 3 / 4)), 200);
}

TEST_F(AutoSizePrinter, ADocumentThatCannotStartIsToldAndNothingPrints) {
    CAutoSizePrinter none(ePhotoNone);
    EXPECT_EQ(none.StartDocW(), 0);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"连接打印机出错");
    EXPECT_EQ(boxes_.Boxes()[0].text, u"请先添加打印机\n并将要打印的打印机设置为默认打印机");
}

}  // namespace
