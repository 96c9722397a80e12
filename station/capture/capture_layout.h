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
};

const vantor::DialogTemplate& CaptureDialogTemplate();
