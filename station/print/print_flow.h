#pragma once
// Printing the last sign-in picture of the capture window on the photo printer: the operator
// picks the printer at the first print (and again through the menu), says once whether photos
// fill the whole page, and every later print of the window uses that choice.
#include <QRect>
#include <QSize>
#include <memory>
#include "printer/auto_size_printer.h"
#include "text/tstring.h"

// Where a picture lands on a page of the given printable size: stretched over the whole page
// when filling, else at the top-left corner with its proportions, as wide or as high as the page
// allows.
QRect PrintPlacement(QSize page, QSize picture, bool fill_page);

class PrintFlow {
  public:
    enum class Result {
        NothingSaved,  // no picture saved in this window yet: "8" / "9"
        Cancelled,     // the operator closed the set-up dialog or chose no printer (told)
        NotStarted,    // the job could not start (told by the printer)
        Unreadable,    // the saved picture cannot be read any more
        Failed,        // the printing system did not take the job
        Printed,
    };

    // The printer is made without a preset paper; the operator chooses at the first print.
    explicit PrintFlow(CAutoSizePrinter::Services services = {});

    Result Print(const tstring& last_saved_picture);
    // Menu 32778: the set-up dialog again, and the fill question when confirmed.
    void ChoosePrinterAgain();

    bool FillPage() const { return fill_page_; }
    CAutoSizePrinter& Printer() { return printer_; }

  private:
    void AskFillPage();

    CAutoSizePrinter printer_;
    bool fill_page_ = false;
};
