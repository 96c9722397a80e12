#include "capture/capture_panel.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QStyle>
#include "capture/capture_layout.h"
#include "capture/colour_picker.h"
#include "capture/sign_in_files.h"
#include "controls/button_face.h"
#include "controls/button_st.h"
#include "controls/label.h"
#include "controls/my_slider_control.h"
#include "layout/dialog_units.h"
#include "layout/scale_control.h"
#include "storage/storage_layout.h"
#include "text/qt_text.h"

CapturePanel::CapturePanel(QWidget& window, QWidget& preview, std::function<void(int id)> command) {
    for (const vantor::ControlEntry& entry : CaptureDialogTemplate().controls) {
        QWidget* control = nullptr;
        const int id = entry.id;
        switch (id) {
            case kIdPreview:
                control = &preview;
                break;
            case kIdColourPicker:
                picker_ = new ColourPickerButton(&window);
                picker_->setText(ToQt(entry.caption));
                QObject::connect(picker_, &ColourPickerButton::colourChosen, &window,
                                 [command, id] { command(id); });
                control = picker_;
                break;
            case kIdPenSlider:
                slider_ = new CMySliderControl(&window);
                control = slider_;
                break;
            case kIdTemplateList:
                template_list_ = new QListWidget(&window);
                template_list_->setViewMode(QListView::IconMode);
                template_list_->setFlow(QListView::TopToBottom);
                template_list_->setWrapping(false);
                template_list_->setMovement(QListView::Static);
                template_list_->setFocusPolicy(Qt::NoFocus);
                template_list_->setStyleSheet(
                    QStringLiteral("QListWidget { background: rgba(255, 250, 240, 150); }"));
                control = template_list_;
                break;
            case kIdWelcome:
                welcome_ = new CLabel(&window);
                control = welcome_;
                break;
            default: {
                auto* button = new CButtonST(&window);
                button->setText(ToQt(entry.caption));
                button->setFocusPolicy(Qt::NoFocus);
                QObject::connect(button, &QAbstractButton::clicked, &window, [command, id] { command(id); });
                control = button;
                break;
            }
        }
        vantor::SetControlId(control, id);
        control->setGeometry(vantor::DesignedControlRect(entry));
        controls_[id] = control;
    }
}

QWidget* CapturePanel::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void CapturePanel::AddControl(int id, QWidget& control) {
    controls_[id] = &control;
}

void CapturePanel::Scale(double factor_x, double factor_y) {
    for (const auto& [id, control] : controls_) {
        if (id != kIdPreview) {
            ScaleControlRect(control, factor_x, factor_y);
        }
    }
}

void CapturePanel::SetFace(int id, const tstring& file) {
    auto* button = qobject_cast<CButtonST*>(Control(id));
    const tstring path = tstring(kFaceFolder) + file;
    if (button && FileExists(path)) {
        LoadButtonFace(faces_[id].Picture(), path, *button);
        face_files_[id] = file;
    }
}

tstring CapturePanel::FaceFile(int id) const {
    const auto found = face_files_.find(id);
    return found == face_files_.end() ? tstring() : found->second;
}

void CapturePanel::ApplyFaces() {
    SetFace(kIdPhotoSave, u"cap.jpg");
    SetFace(kIdDiscard, u"cancel.jpg");
    SetFace(kIdReturn, u"return.jpg");
    SetFace(kIdRewrite, u"rewrite.jpg");
    SetFace(kIdSeatSearch, u"search.jpg");
    SetFace(kIdShowHideFrame, u"ShowHide.jpg");
    SetFace(kIdPrint, u"print.jpg");
    SetFace(kIdRecord, u"record.jpg");
    SetFace(kIdHighlighter, u"maskpen.jpg");
    SetFace(kIdInkPen, u"pen.jpg");
}

void CapturePanel::ShowPhotoButton(bool save) {
    if (auto* button = qobject_cast<CButtonST*>(Control(kIdPhotoSave))) {
        button->setText(save ? QStringLiteral("保存") : QStringLiteral("拍照"));
        SetFace(kIdPhotoSave, save ? u"save.jpg" : u"cap.jpg");
        button->update();
    }
}

void CapturePanel::ShowRecording(bool recording) {
    SetFace(kIdRecord, recording ? u"recording.jpg" : u"record.jpg");
}

void CapturePanel::ShowWelcome(const tstring& text, int max_pixels) {
    welcome_->SetText(text);
    welcome_->SetTextColor(QColor(255, 0, 0));
    welcome_->SetFontName(u"WenQuanYi Zen Hei");
    welcome_->setAlignment(Qt::AlignCenter);
    welcome_->setWordWrap(true);
    int pixels = max_pixels;
    for (; pixels > 10; --pixels) {
        QFont font(QStringLiteral("WenQuanYi Zen Hei"));
        font.setPixelSize(pixels);
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(QPoint(0, 0), welcome_->size()), Qt::TextWordWrap | Qt::AlignCenter, welcome_->text());
        if (needed.width() <= welcome_->width() && needed.height() <= welcome_->height()) {
            break;
        }
    }
    welcome_->SetFontSize(-pixels);  // negative: pixels
}

void CapturePanel::ShowPen(const PenChoice& pen) {
    picker_->SetColour(pen.colour);
    slider_->setValue(pen.width);
}

std::vector<TemplateEntry> CapturePanel::FillTemplateList(QSize screen) {
    const int list_width = template_list_->contentsRect().width() -
                           template_list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 8;
    const QSize thumbnail = ThumbnailSize(screen.width(), screen.height(), std::max(list_width, 16));
    template_list_->setIconSize(thumbnail);
    std::vector<TemplateEntry> templates;
    for (const tstring& path : FindTemplatePaths(vantor::kTemplateFolder)) {
        const QImage picture = MakeThumbnail(path, thumbnail);
        if (picture.isNull()) {
            continue;
        }
        template_list_->insertItem(0, new QListWidgetItem(QIcon(QPixmap::fromImage(picture)), ToQt(path)));
        templates.push_back({path, {}});
    }
    return templates;
}
