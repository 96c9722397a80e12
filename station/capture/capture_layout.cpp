#include "capture/capture_layout.h"

namespace {

using vantor::ControlKind;

constexpr vantor::ControlEntry kControls[] = {
    {kIdPreview, ControlKind::Frame, u"", QRect(0, 0, 240, 200)},
    {kIdWelcome, ControlKind::Label, u"", QRect(246, 4, 70, 12)},
    {kIdTemplateList, ControlKind::ListView, u"", QRect(246, 18, 70, 62)},
    {kIdPhotoSave, ControlKind::PushButton, u"拍照", QRect(246, 84, 34, 18)},
    {kIdDiscard, ControlKind::PushButton, u"取消", QRect(282, 84, 34, 18)},
    {kIdRewrite, ControlKind::PushButton, u"重签", QRect(246, 105, 34, 14)},
    {kIdShowHideFrame, ControlKind::PushButton, u"显隐框", QRect(282, 105, 34, 14)},
    {kIdInkPen, ControlKind::PushButton, u"水笔", QRect(246, 122, 34, 14)},
    {kIdHighlighter, ControlKind::PushButton, u"荧光笔", QRect(282, 122, 34, 14)},
    {kIdColourPicker, ControlKind::PushButton, u"颜色选择", QRect(246, 139, 34, 12)},
    {kIdPenSlider, ControlKind::Slider, u"", QRect(282, 139, 34, 12)},
    {kIdRecord, ControlKind::PushButton, u"录音", QRect(246, 155, 22, 14)},
    {kIdPrint, ControlKind::PushButton, u"打印", QRect(270, 155, 22, 14)},
    {kIdSeatSearch, ControlKind::PushButton, u"引位", QRect(294, 155, 22, 14)},
    {kIdReturn, ControlKind::PushButton, u"返回", QRect(282, 174, 34, 14)},
};

constexpr vantor::DialogTemplate kTemplate{102, QSize(320, 200), kControls};

}  // namespace

const vantor::DialogTemplate& CaptureDialogTemplate() {
    return kTemplate;
}

CaptureScreenLayout CaptureLayoutFor(QSize screen) {
    const QSize client = vantor::DesignedClientSize(kTemplate);
    CaptureScreenLayout layout;
    layout.factor_x = static_cast<double>(screen.width()) / client.width();
    layout.factor_y = static_cast<double>(screen.height()) / client.height();
    const int preview_width =
        vantor::DesignedControlRect(*vantor::FindControlEntry(kTemplate, kIdPreview)).width();
    layout.preview = QRect(0, 0, static_cast<int>(layout.factor_x * preview_width), screen.height());
    return layout;
}
