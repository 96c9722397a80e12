#include "printer/auto_size_printer.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QScreen>
#include <optional>
#include "platform/message_box.h"
#include "platform/printer_queue.h"
#include "language/language.h"
#include "text/qt_text.h"

Q_LOGGING_CATEGORY(lcPrinter, "vantor.printer")

namespace {

constexpr const char* kDocumentName = "Vantor sign-in picture";

class QtPrintSetupDialog : public PrintSetupDialog {
  public:
    bool Ask(QPrinter& printer) override {
        QPrintDialog dialog(&printer);
        dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
        return dialog.exec() == QDialog::Accepted;
    }
};

QSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

void ShowNoPrinter() {
    vantor::ShowMessageBox(u"请先添加打印机\n并将要打印的打印机设置为默认打印机", u"连接打印机出错");
}

}  // namespace

std::unique_ptr<PrintSetupDialog> MakeQtPrintSetupDialog() {
    return std::make_unique<QtPrintSetupDialog>();
}

CAutoSizePrinter::CAutoSizePrinter(int photo_size, Services services) : services_(std::move(services)) {
    if (photo_size != ePhotoNone) {
        SetPageSize(photo_size);
    }
}

CAutoSizePrinter::~CAutoSizePrinter() {
    if (painter_.isActive()) {
        painter_.end();
    }
}

std::optional<CAutoSizePrinter::Paper> CAutoSizePrinter::PaperOf(int photo_size) {
    struct Entry {
        int value;
        Paper paper;
    };
    static constexpr Entry kPapers[] = {{ePhotoA4, {210, 297}}, {ePhoto1, {25, 36}},   {ePhoto2, {34, 52}},
                                        {ePhoto3, {55, 84}},    {ePhoto5, {35, 50}},   {ePhoto6, {40, 60}},
                                        {ePhoto7, {50, 70}},    {ePhoto8, {60, 80}},   {ePhoto10, {80, 100}},
                                        {ePhoto12, {100, 120}}, {ePhoto14, {100, 140}}};
    for (const Entry& entry : kPapers) {
        if (entry.value == photo_size) {
            return entry.paper;
        }
    }
    return std::nullopt;
}

bool CAutoSizePrinter::SetPageSize(int photo_size) {
    const std::optional<Paper> paper = PaperOf(photo_size);
    if (!paper) {
        tstring text;
        text.Format(u"不支持这个照片尺寸(%d)", photo_size);
        vantor::ShowMessageBox(text, u"信息提示");
        return false;
    }
    paper_ = *paper;
    GetDefaultDC();
    return true;
}

void CAutoSizePrinter::GetDefaultDC() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        qCInfo(lcPrinter) << "no default printer";
        return;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // A custom paper of the remembered size, used across: the long side runs horizontally.
    printer->setPageSize(QPageSize(QSizeF(paper_.width_mm, paper_.length_mm), QPageSize::Millimeter,
                                   QStringLiteral("Photo %1x%2").arg(paper_.width_mm).arg(paper_.length_mm),
                                   QPageSize::ExactMatch));
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setColorMode(QPrinter::Color);  // photo paper
    Adopt(std::move(printer));
}

bool CAutoSizePrinter::ChoosePrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    auto printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                                 : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setColorMode(QPrinter::Color);  // photos; the operator may still choose grey
    const std::unique_ptr<PrintSetupDialog> dialog =
        services_.setup_dialog ? services_.setup_dialog() : MakeQtPrintSetupDialog();
    if (!dialog || !dialog->Ask(*printer)) {
        return false;
    }
    if (printer->printerName().isEmpty()) {
        // The dialog offers no printer when the system has none (at most a file): said now, and
        // nothing is chosen, so that the next print asks again.
        qCWarning(lcPrinter) << "no printer was chosen";
        ShowNoPrinter();
        return false;
    }
    const QSize screen = services_.screen_size ? services_.screen_size() : PrimaryScreenSize();
    if (screen.height() < screen.width()) {
        printer->setPageOrientation(QPageLayout::Landscape);
    }
    Adopt(std::move(printer));
    return true;
}

void CAutoSizePrinter::Adopt(std::unique_ptr<QPrinter> printer) {
    if (painter_.isActive()) {
        painter_.end();
    }
    printer->setDocName(QString::fromLatin1(kDocumentName));
    dots_per_mm_ = static_cast<float>(printer->resolution() / 25.4);
    printer_ = std::move(printer);
}

int CAutoSizePrinter::StartDocW() {
    // A queue that refuses jobs would swallow the document silently: it counts as not starting.
    const vantor::PrinterQueueState queue =
        printer_ ? vantor::QueryPrinterQueue(printer_->printerName().toStdString())
                 : vantor::PrinterQueueState{};
    if (!printer_ || !queue.accepting || painter_.isActive() || !printer_->isValid() ||
        !painter_.begin(printer_.get())) {
        qCWarning(lcPrinter) << "the print job cannot start"
                             << (printer_ ? printer_->printerName() : QStringLiteral("(no printer)"))
                             << queue.reason.c_str();
        if (queue.exists && !queue.accepting) {
            // The printer is there but refuses jobs (out of paper, paused): its own reason helps
            // the operator, "add a printer" would not.
            const QString text = QStringLiteral("%1\n%2: %3")
                                     .arg(ToQt(GetLanStr(u"62")), printer_->printerName(),
                                          QString::fromStdString(queue.reason));
            vantor::ShowMessageBox(FromQt(text), u"连接打印机出错");
        } else {
            ShowNoPrinter();
        }
        return 0;
    }
    const QSize printable = printer_->pageLayout().paintRectPixels(printer_->resolution()).size();
    pageWidth = printable.width();
    pageHeight = printable.height();
    pages_started_ = 0;
    return 1;
}

void CAutoSizePrinter::StartPage() {
    // The document begins on its first page; every further page starts a new one.
    if (pages_started_++ > 0 && printer_) {
        printer_->newPage();
    }
}

void CAutoSizePrinter::EndPage() {}

bool CAutoSizePrinter::EndDoc() {
    if (!painter_.isActive()) {
        return false;
    }
    const bool ended = painter_.end();
    const bool failed = printer_ && printer_->printerState() == QPrinter::Error;
    if (!ended || failed) {
        qCWarning(lcPrinter) << "the print job failed on" << printer_->printerName();
    }
    return ended && !failed;
}
