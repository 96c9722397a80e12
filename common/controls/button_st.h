#pragma once
// CButtonST: a picture push button. It shows one of two pictures (the first while pressed, under
// the pointer or checked; the second otherwise), a caption placed by its alignment, one of six
// state colours, a flat look with a border on hover, and optionally works as a check box, drops a
// menu or opens a link when clicked. Setters answer BTNST_OK or an error code.
#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include "controls/bc_menu.h"
#include "tarquel_export.h"
#include "text/tstring.h"

enum : int {
    BTNST_OK = 0,
    BTNST_INVALIDRESOURCE = 1,
    BTNST_FAILEDMASK = 2,
    BTNST_INVALIDINDEX = 3,
    BTNST_INVALIDALIGN = 4,
    BTNST_BADPARAM = 5,
};

enum : int {
    BTNST_COLOR_BK_IN = 0,
    BTNST_COLOR_FG_IN = 1,
    BTNST_COLOR_BK_OUT = 2,
    BTNST_COLOR_FG_OUT = 3,
    BTNST_COLOR_BK_FOCUS = 4,
    BTNST_COLOR_FG_FOCUS = 5,
    BTNST_MAX_COLORS = 6,
};

enum : int {
    ST_ALIGN_HORIZ = 0,        // picture left, caption right of it
    ST_ALIGN_VERT = 1,         // picture on top, caption below
    ST_ALIGN_HORIZ_RIGHT = 2,  // caption left, picture right
};

inline constexpr int BTNST_AUTO_GRAY = -2;  // second icon: a grey copy of the first
inline constexpr int kButtonUrlMaxLength = 260;

class TARQUEL_API CButtonST : public QAbstractButton {
    Q_OBJECT
  public:
    using UrlOpener = std::function<bool(const QString& url)>;
    // Shows the drop-down popup at a screen position and answers the chosen entry (or null).
    using MenuPresenter = std::function<QAction*(QMenu& popup, const QPoint& globalPos)>;

    explicit CButtonST(QWidget* parent = nullptr);
    CButtonST(const tstring& caption, QWidget* parent);
    ~CButtonST() override;
    CButtonST(const CButtonST&) = delete;
    CButtonST& operator=(const CButtonST&) = delete;
    CButtonST(CButtonST&&) = delete;
    CButtonST& operator=(CButtonST&&) = delete;

    static short GetVersionI() { return 35; }
    static const char16_t* GetVersionC() { return u"3.5"; }

    // Pictures. Pixels of a picture's transparent colour are left out. A null first picture
    // removes both.
    int SetBitmaps(const QPixmap& in, std::optional<QColor> transparentIn, const QPixmap& out = QPixmap(),
                   std::optional<QColor> transparentOut = std::nullopt, bool repaint = true);
    int SetBitmaps(const tstring& inFile, std::optional<QColor> transparentIn,
                   const tstring& outFile = tstring(), std::optional<QColor> transparentOut = std::nullopt,
                   bool repaint = true);
    int SetIcon(const QPixmap& in, const QPixmap& out = QPixmap(), bool repaint = true);
    int SetIcon(const QPixmap& in, int outSpecial, bool repaint = true);  // BTNST_AUTO_GRAY or 0
    int SetIcon(const tstring& inFile, const tstring& outFile = tstring(), bool repaint = true);
    static QPixmap CreateGrayscaleIcon(const QPixmap& icon);
    QPixmap GetPictureIn() const { return pictureIn_; }
    QPixmap GetPictureOut() const { return pictureOut_; }
    QPixmap CurrentPicture() const;

    int SetAlign(int align, bool repaint = true);
    int GetAlign() const { return align_; }

    int SetColor(int index, const QColor& color, bool repaint = true);
    int GetColor(int index, QColor* color) const;
    int OffsetColor(int index, int offset, bool repaint = true);
    int SetDefaultColors(bool repaint = true);
    // The background and text colours the button paints with in its present state.
    QColor CurrentBackgroundColor() const;
    QColor CurrentTextColor() const;

    int SetFlat(bool flat = true, bool repaint = true);
    int DrawBorder(bool enable = true, bool repaint = true);
    int DrawFlatFocus(bool draw, bool repaint = true);
    int DrawTransparent(bool repaint = true);
    bool IsFlat() const { return flat_; }
    bool IsTransparent() const { return transparent_; }

    // Check-box mode: each click toggles the check, and a checked button shows pressed.
    void SetCheckBoxMode(bool checkBox);
    bool IsCheckBox() const { return checkBox_; }
    int SetCheck(int check, bool repaint = true);
    int GetCheck() const { return checked_ ? 1 : 0; }

    int SetAlwaysTrack(bool alwaysTrack = true);
    bool IsPointerInside() const { return pointerInside_; }

    int SetBtnCursor(Qt::CursorShape cursor, bool repaint = true);
    int SetBtnCursor(const tstring& cursorFile, bool repaint = true);  // empty removes the cursor
    int SetBtnCursor(std::nullptr_t, bool repaint = true);

    int SetTooltipText(const tstring& text, bool activate = true);
    int ActivateTooltip(bool active = true);

    int SetURL(const tstring& url);
    tstring GetURL() const { return url_; }
    void SetUrlOpener(UrlOpener opener);

    // The drop-down menu: its first popup is dropped below the button on a click, and a chosen
    // command goes to `notify` as a command message (wParam = command id). An empty template
    // removes the menu.
    int SetMenu(const BCMenuTemplate& menu, QWidget* notify, bool ownerDrawn = true,
                const QPixmap& toolbar = QPixmap(), std::span<const int> toolbarIds = {},
                bool repaint = true);
    BCMenu* GetMenu() const { return menu_.get(); }
    void SetMenuPresenter(MenuPresenter presenter);

  signals:
    // After the button's own click handling (check toggle, menu or link).
    void ButtonClicked(int checked);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void OnClicked();
    void ShowMenu();
    void TrackPointer(bool inside);
    void Repaint(bool repaint);
    bool ShowsPressed() const;
    QRect PictureRect(const QRect& client, const QSize& picture, bool hasCaption) const;
    QRect CaptionRect(const QRect& client, const QRect& picture) const;
    void PaintBorder(class QPainter& painter, const QRect& client) const;

    QPixmap pictureIn_;
    QPixmap pictureOut_;
    int align_ = ST_ALIGN_HORIZ;
    QColor colors_[BTNST_MAX_COLORS];
    bool flat_ = true;
    bool drawBorder_ = true;
    bool drawFlatFocus_ = false;
    bool transparent_ = false;
    bool checkBox_ = false;
    bool checked_ = false;
    bool alwaysTrack_ = false;
    bool pointerInside_ = false;
    tstring tooltip_;
    bool tooltipActive_ = true;
    tstring url_;
    UrlOpener urlOpener_;
    std::unique_ptr<BCMenu> menu_;
    QWidget* menuNotify_ = nullptr;
    MenuPresenter menuPresenter_;
};
