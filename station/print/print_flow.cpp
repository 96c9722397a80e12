#include "print/print_flow.h"

#include <QImage>
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "language/language.h"

QRect PrintPlacement(QSize page, QSize picture, bool fill_page) {
    if (fill_page || picture.isEmpty() || page.isEmpty()) {
        return QRect(QPoint(0, 0), page);
    }
    const double page_ratio = static_cast<double>(page.width()) / page.height();
    const float picture_ratio = static_cast<float>(picture.width()) / static_cast<float>(picture.height());
    if (page_ratio <= picture_ratio) {
        return QRect(0, 0, page.width(), static_cast<int>(page.width() / picture_ratio));
    }
    return QRect(0, 0, static_cast<int>(picture_ratio * page.height()), page.height());
}

PrintFlow::PrintFlow(CAutoSizePrinter::Services services) : printer_(ePhotoNone, std::move(services)) {}

PrintFlow::Result PrintFlow::Print(const tstring& last_saved_picture) {
    if (last_saved_picture.IsEmpty()) {
        vantor::ShowMessageBox(GetLanStr(u"8"), GetLanStr(u"9"));
        return Result::NothingSaved;
    }
    if (printer_.IsNullPrinter()) {
        if (!printer_.ChoosePrinter()) {
            return Result::Cancelled;
        }
        AskFillPage();
    }
    // Read before the job starts: a picture that went missing must not print an empty page.
    const QImage picture(QString::fromStdString(vantor::ToNativePath(last_saved_picture)));
    if (picture.isNull()) {
        vantor::ShowMessageBox(u"照片文件无法读取,没有打印。", u"tips", vantor::MessageButtons::Ok,
                               vantor::MessageIcon::Warning);
        return Result::Unreadable;
    }
    if (printer_.StartDocW() == 0) {
        return Result::NotStarted;
    }
    printer_.StartPage();
    QPainter& page = printer_.GetGraphics();
    page.setRenderHint(QPainter::SmoothPixmapTransform);
    page.drawImage(PrintPlacement(QSize(printer_.pageWidth, printer_.pageHeight), picture.size(), fill_page_),
                   picture);
    printer_.EndPage();
    if (!printer_.EndDoc()) {
        vantor::ShowMessageBox(u"打印机没有接受这张照片,请检查打印机。", u"连接打印机出错",
                               vantor::MessageButtons::Ok, vantor::MessageIcon::Warning);
        return Result::Failed;
    }
    return Result::Printed;
}

void PrintFlow::ChoosePrinterAgain() {
    if (printer_.ChoosePrinter()) {
        AskFillPage();
    }
}

void PrintFlow::AskFillPage() {
    fill_page_ = vantor::ShowMessageBox(GetLanStr(u"6"), GetLanStr(u"7"), vantor::MessageButtons::YesNo,
                                        vantor::MessageIcon::Warning) == vantor::MessageAnswer::Yes;
}
