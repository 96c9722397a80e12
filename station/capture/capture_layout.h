#pragma once
// Dialog template 102, the capture window, designed at 320 x 200 dialog units: the preview on the
// left, the panel of buttons, template thumbnails and pen choices on the right.
#include "layout/control_table.h"

enum CaptureControlId : int {
    kIdPreview = 1000,
    kIdPhotoSave = 1001,
    kIdDiscard = 1002,
    kIdReturn = 1003,
    kIdRewrite = 1004,
    kIdSeatSearch = 1005,
    kIdShowHideFrame = 1006,
    kIdColourPicker = 1008,
    kIdPenSlider = 1009,
    kIdPrint = 1015,
    kIdRecord = 1016,
    kIdTemplateList = 1019,
    kIdWelcome = 1023,
    kIdHighlighter = 1032,
    kIdInkPen = 1033,
    kIdGuestLink = 1100,  // no control of the template: the guest's QR code after a save
};

// Where the guest's QR code shows after a save: the preview's lower right corner, clear of the
// panel's buttons and of the middle of the picture where the next guest stands.
inline constexpr QRect kGuestLinkRect{176, 116, 60, 80};

const vantor::DialogTemplate& CaptureDialogTemplate();

// The capture window on a screen: it fills the screen, the preview takes the screen's height and
// its designed share of the width, every other control grows by the factors.
struct CaptureScreenLayout {
    double factor_x = 1.0;
    double factor_y = 1.0;
    QRect preview;
};
CaptureScreenLayout CaptureLayoutFor(QSize screen);
