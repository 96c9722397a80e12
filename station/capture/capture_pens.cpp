#include "capture/capture_pens.h"

#include <QWidget>
#include "capture/capture_panel.h"
#include "capture/colour_picker.h"
#include "capture/sign_in.h"
#include "controls/my_slider_control.h"

CapturePens::CapturePens(QWidget& window, CapturePanel& panel, SignIn& sign_in, std::function<void()> chosen)
    : panel_(panel), sign_in_(sign_in), chosen_(std::move(chosen)) {
    CMySliderControl* slider = &panel_.Slider();
    QObject::connect(slider, &QSlider::valueChanged, &window,
                     [this](int value) { sign_in_.SetPenWidth(value); });
    QObject::connect(slider, &QSlider::sliderMoved, &window, [this, &window, slider](int value) {
        sign_in_.SetPenWidth(value);
        window.update();
        slider->update();
    });
    QObject::connect(slider, &QSlider::sliderReleased, &window, [this, &window, slider] {
        sign_in_.SetPenWidth(slider->value());
        if (sign_in_.IsCaptured()) {
            window.update(sign_in_.PreviewRect());
        }
    });
    panel_.Picker().SetColour(0);
    panel_.Slider().setRange(3, 20);
    panel_.Slider().setValue(3);
    TakeColour();
    sign_in_.SetPenWidth(panel_.Slider().value());
}

void CapturePens::TakeColour() {
    sign_in_.SetPenColour(panel_.Picker().Colour());
}

void CapturePens::Use(const PenChoice& pen) {
    panel_.ShowPen(pen);
    sign_in_.SetPenWidth(pen.width);
    sign_in_.SetPenColour(panel_.Picker().Colour());
    sign_in_.SetPenKind(pen.kind);
    chosen_();
}
