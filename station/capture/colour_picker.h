#pragma once
// The pen colour button (1008): shows its colour and lets the guest choose another.
#include <QPushButton>
#include <cstdint>

class ColourPickerButton : public QPushButton {
    Q_OBJECT
  public:
    explicit ColourPickerButton(QWidget* parent = nullptr);

    std::uint32_t Colour() const { return colour_; }  // 0x00BBGGRR
    void SetColour(std::uint32_t colour);

  signals:
    void colourChosen(std::uint32_t colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Choose();

    std::uint32_t colour_ = 0;
};
