#pragma once
// The capture window's controls of dialog template 102: the buttons with their faces, the pen
// colour and width, the template list and the welcome text. They are children of the window;
// this holds them by control id and shows what the window tells it.
#include <cstdint>
#include <functional>
#include <map>
#include <vector>
#include "overlay/template_finder.h"
#include "picture/bitmap_ex.h"
#include "text/tstring.h"

class CLabel;
class CMySliderControl;
class ColourPickerButton;
class QListWidget;
class QWidget;

// A pen the guest picks with its button: kind, colour and width together.
struct PenChoice {
    int kind;
    std::uint32_t colour;
    int width;
};

class CapturePanel {
  public:
    static constexpr const char16_t* kFaceFolder = u"images\\wedding\\CapWindow\\";

    // Creates the controls in `window`, `preview` taking the preview's place; a button and the
    // colour picker run `command` with their id.
    CapturePanel(QWidget& window, QWidget& preview, std::function<void(int id)> command);

    QWidget* Control(int id) const;
    void AddControl(int id, QWidget& control);
    // Every control but the preview grows with the screen.
    void Scale(double factor_x, double factor_y);

    ColourPickerButton& Picker() const { return *picker_; }
    CMySliderControl& Slider() const { return *slider_; }
    QListWidget& TemplateList() const { return *template_list_; }
    // Finds the templates and shows their thumbnails, sized for the screen, newest first. A frame
    // that does not decode would black out the preview when its turn came while the photo kept
    // the frame before it: it is left out as if it were not there.
    std::vector<TemplateEntry> FillTemplateList(QSize screen);

    // The button faces, from kFaceFolder where the file is there; the buttons have their size.
    void ApplyFaces();
    // The face file a picture button shows now ("record.jpg"), empty when it has none.
    tstring FaceFile(int id) const;
    // Button 1001 reads "保存" while a photo is on screen, "拍照" otherwise.
    void ShowPhotoButton(bool save);
    // The record button's face is "recording.jpg" exactly while a voice message is recorded.
    void ShowRecording(bool recording);
    // Red, centred, at the largest size up to `max_pixels` at which it fits its label.
    void ShowWelcome(const tstring& text, int max_pixels);
    // The picker and the slider show the pen.
    void ShowPen(const PenChoice& pen);

  private:
    void SetFace(int id, const tstring& file);

    std::map<int, QWidget*> controls_;  // children of the window
    std::map<int, CBitmapEx> faces_;
    std::map<int, tstring> face_files_;
    ColourPickerButton* picker_ = nullptr;
    CMySliderControl* slider_ = nullptr;
    QListWidget* template_list_ = nullptr;
    CLabel* welcome_ = nullptr;
};
