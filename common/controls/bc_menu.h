#pragma once
// BCMenu: the popup menu of a drop-down button. It is built from a menu template (a bar of named
// popups, each a list of commands) and may take its item pictures from a toolbar strip: one
// picture per command, side by side, drawn on a background colour that is left out.
#include <QColor>
#include <QMenu>
#include <QPixmap>
#include <QSize>
#include <span>
#include <vector>

struct BCMenuItem {
    int id;  // command id; 0 is a separator
    const char16_t* text;
};

struct BCMenuPopup {
    const char16_t* text;
    std::vector<BCMenuItem> items;
};

using BCMenuTemplate = std::vector<BCMenuPopup>;

class BCMenu : public QMenu {
    Q_OBJECT
  public:
    static constexpr QSize kDefaultBitmapSize{16, 15};
    static const QColor kDefaultBitmapBackground;  // light grey, 192 192 192

    explicit BCMenu(QWidget* parent = nullptr);
    ~BCMenu() override;
    BCMenu(const BCMenu&) = delete;
    BCMenu& operator=(const BCMenu&) = delete;
    BCMenu(BCMenu&&) = delete;
    BCMenu& operator=(BCMenu&&) = delete;

    // Replaces the content with the template's popups; false for an empty template.
    bool LoadMenu(const BCMenuTemplate& menu);
    // Gives the commands `ids` the pictures of the strip, in order; false when the strip is
    // empty or narrower than the ids need.
    bool LoadToolbar(const QPixmap& strip, std::span<const int> ids);

    void SetBitmapSize(const QSize& size) { bitmapSize_ = size; }
    QSize GetBitmapSize() const { return bitmapSize_; }
    void SetBitmapBackground(const QColor& color) { bitmapBackground_ = color; }
    QColor GetBitmapBackground() const { return bitmapBackground_; }

    int GetSubMenuCount() const;
    QMenu* GetSubMenu(int index) const;
    // The command's entry in any popup, or null.
    QAction* FindCommand(int id) const;
    // The command id of an entry (0 for none).
    static int CommandId(const QAction* action);

  private:
    QSize bitmapSize_ = kDefaultBitmapSize;
    QColor bitmapBackground_ = kDefaultBitmapBackground;
};
