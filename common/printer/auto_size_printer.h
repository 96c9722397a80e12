#pragma once
// CAutoSizePrinter: one print job on one printer, over Qt's printing (CUPS on this platform). The
// printer is the default one set to a photo paper of fixed size, or the one the operator picks in
// the print set-up dialog. The caller draws in printer pixels on the page the object hands out and
// scales the picture itself.
#include <QPainter>
#include <QPrinter>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include "tarquel_export.h"
#include "text/tstring.h"

// Photo paper sizes; the page is used in landscape, the long side across. 99: no preset paper.
enum ePhotoSize {
    ePhotoA4 = 0,   // 210 x 297 mm
    ePhoto1 = 1,    // 25 x 36
    ePhoto2 = 2,    // 34 x 52
    ePhoto3 = 3,    // 55 x 84
    ePhoto5 = 5,    // 35 x 50
    ePhoto6 = 6,    // 40 x 60
    ePhoto7 = 7,    // 50 x 70
    ePhoto8 = 8,    // 60 x 80
    ePhoto10 = 10,  // 80 x 100
    ePhoto12 = 12,  // 100 x 120
    ePhoto14 = 14,  // 100 x 140
    ePhotoNone = 99,
};

// The print set-up dialog: shows the printer's settings to the operator and lets him change them
// in place; false when he did not confirm.
class PrintSetupDialog {
  public:
    virtual ~PrintSetupDialog() = default;
    virtual bool Ask(QPrinter& printer) = 0;
};

// The platform's dialog (QPrintDialog).
std::unique_ptr<PrintSetupDialog> MakeQtPrintSetupDialog();

class TARQUEL_API CAutoSizePrinter {
  public:
    struct Paper {
        int width_mm = 0;
        int length_mm = 0;
    };
    // What the printer needs from its surroundings; every member has a working default.
    struct Services {
        std::function<std::unique_ptr<PrintSetupDialog>()> setup_dialog;  // the Qt dialog when empty
        std::function<QSize()> screen_size;                               // the primary screen's when empty
    };

    explicit CAutoSizePrinter(int photo_size = ePhotoNone, Services services = {});
    ~CAutoSizePrinter();
    CAutoSizePrinter(const CAutoSizePrinter&) = delete;
    CAutoSizePrinter& operator=(const CAutoSizePrinter&) = delete;

    // The paper of a supported size value; nothing for 4, 9, 11, 13 and unknown values.
    static std::optional<Paper> PaperOf(int photo_size);

    // Takes the default printer set to the paper; false (with a message) for an unsupported size,
    // which changes nothing. Without a default printer the printer stays as it was.
    bool SetPageSize(int photo_size);
    // The set-up dialog; false when the operator cancels, and (with the message "请先添加打印机...")
    // when he confirms without a printer, as the dialog offers when the system has none. A false
    // result keeps the printer chosen before, if any.
    bool ChoosePrinter();
    bool IsNullPrinter() const { return !printer_; }

    // Starts the document: 1, with the printable page size in printer pixels filled in; 0 with
    // a message when it cannot start: the printing system's reason when the queue refuses jobs
    // (out of paper, paused), else "请先添加打印机...".
    int StartDocW();
    void StartPage();
    // The page in printer pixels, origin at the printable area's top-left; valid until EndDoc.
    QPainter& GetGraphics() { return painter_; }
    void EndPage();
    // Ends the document and hands the job to the printing system; false when that failed.
    bool EndDoc();

    // Millimetres to printer pixels, in place.
    void ChangeToPixelFromMillionMeter(float& length) const { length *= dots_per_mm_; }

    float DotsPerMillimetre() const { return dots_per_mm_; }
    const Paper& RememberedPaper() const { return paper_; }
    // The printer in use (null while none was obtained).
    QPrinter* Printer() const { return printer_.get(); }

    int pageWidth = 0;   // printable width in printer pixels, filled by StartDocW
    int pageHeight = 0;  // printable height in printer pixels

  private:
    void GetDefaultDC();
    void Adopt(std::unique_ptr<QPrinter> printer);

    Services services_;
    // The paper the last supported SetPageSize chose. The object remembers it for itself: only
    // its own SetPageSize reads it, so nothing is shared across the process.
    Paper paper_;
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    float dots_per_mm_ = 0.0F;
    int pages_started_ = 0;
};
