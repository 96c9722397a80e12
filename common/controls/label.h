#pragma once
// CLabel: a static text with its own colour and font, an optional link, blinking and a tooltip.
// It draws on a transparent background (it erases nothing of its own), aligned as its alignment
// says and vertically centred; text with line feeds is drawn line by line from the top-left.
// A link label shows pure red underlined text; a click opens its link text, or, without one,
// sends kLabelClickMessage to its parent.
#include <QColor>
#include <QLabel>
#include <QTimer>
#include <functional>
#include "platform/window_message.h"
#include "tarquel_export.h"
#include "text/tstring.h"

inline constexpr std::uint32_t kLabelClickMessage = vantor::kWmUser + 3;

class TARQUEL_API CLabel : public QLabel {
    Q_OBJECT
  public:
    enum FlashType { FlashNone = 0, FlashText = 1, FlashBackground = 2, FlashInvalid = 3 };
    static constexpr int kFlashTimerId = 4097;  // the blink timer's number

    // Opens a link target; the default hands it to the desktop's opener.
    using LinkOpener = std::function<bool(const QString& target)>;

    explicit CLabel(QWidget* parent = nullptr);
    CLabel(const tstring& text, QWidget* parent);
    ~CLabel() override;
    CLabel(const CLabel&) = delete;
    CLabel& operator=(const CLabel&) = delete;
    CLabel(CLabel&&) = delete;
    CLabel& operator=(CLabel&&) = delete;

    CLabel& SetText(const tstring& text);
    tstring GetText() const;
    CLabel& SetTextColor(const QColor& color);
    QColor GetTextColor() const { return textColor_; }

    // Each starts from the current font and is true when the new font could be made.
    bool SetFontBold(bool bold);
    bool SetFontItalic(bool italic);
    bool SetFontUnderline(bool underline);
    bool SetFontName(const tstring& name);
    // Negative: character height of that many pixels; positive: points; 0: the standard size.
    bool SetFontSize(int size);
    bool SetLogFont(const QFont& font);
    bool SetStandardFont();
    bool IsFontBold() const;
    bool IsFontItalic() const;
    bool IsFontUnderline() const;
    tstring GetFontName() const;
    // Points when the size is in points, else the negative pixel height.
    int GetFontSize() const;

    // 0, 1 or 2 are taken (true); anything else stores FlashInvalid (false).
    bool SetFlashType(int type);
    int GetFlashType() const { return flashType_; }
    bool StartFlash(int period_ms);
    void StopFlash();
    bool IsFlashing() const { return flashTimer_.isActive(); }
    bool BlinkPhaseVisible() const { return blinkVisible_; }
    bool IsTextShown() const;  // false during the hidden phase of a blinking text

    void SetLink(bool link, Qt::CursorShape cursor = Qt::PointingHandCursor);
    bool IsLink() const { return link_; }
    void SetLinkText(const tstring& target);
    tstring GetLinkText() const { return linkText_; }
    void SetLinkOpener(LinkOpener opener);

    void SetCursor(Qt::CursorShape cursor);
    bool SetCursor(const tstring& cursorFile);  // false when the file is no cursor picture

    void SetToolTipText(const tstring& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool ApplyFont(const QFont& font);
    void Blink();
    void Clicked();

    QColor textColor_;
    bool link_ = false;
    tstring linkText_;
    LinkOpener opener_;
    int flashType_ = FlashNone;
    bool blinkVisible_ = true;
    QTimer flashTimer_;
};
