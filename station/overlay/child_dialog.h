#pragma once
// CChildDialog: the template frame over the preview. It shows the template with its per-pixel
// alpha; where the alpha is zero it is neither drawn nor hit, so the live picture shows through
// the opening and clicks there reach the window below, while clicks on the frame reach this one.
// It carries the pop-up menu 144.
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <vector>
#include "overlay/overlay_owner.h"
#include "settings/settings_table.h"
#include "text/tstring.h"

// Commands of menu 144.
enum OverlayMenuCommand : int {
    kMenuChoosePrinter = 32778,
    kMenuSingleClick = 32782,
    kMenuInsertTime = 32792,
    kMenuToggleTemplateList = 32790,
    kMenuPictureHints = 32780,
    kMenuShortcutHints = 32784,
};

struct OverlayMenuItem {
    int command = 0;
    tstring text;
    bool checked = false;
};

// Shows the menu at a screen position and returns the chosen command, 0 for none.
using OverlayMenuRunner = std::function<int(const std::vector<OverlayMenuItem>&, QPoint screen_pos)>;

// The process-wide "template list visible" flag; starts true.
bool& TemplateListVisibleFlag();

class CChildDialog : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char16_t* kConfigPath = vantor::settings::kConfigFile;

    CChildDialog(QWidget* parent, OverlayOwner* owner);

    // Reads the alpha threshold ("MAXALPHA " of [config]) and sets the title.
    void Initialise();
    void ApplyTemplate(const tstring& path);
    const tstring& CurrentTemplateName() const { return template_name_; }

    bool SingleClickOn() const { return single_click_; }
    int AlphaThreshold() const { return alpha_threshold_; }
    // The template as it is shown, at the overlay's size (transparent where nothing shows).
    const QImage& Layer() const { return layer_; }

    void SetMenuRunner(OverlayMenuRunner runner) { menu_runner_ = std::move(runner); }
    // The pop-up menu at a point of the overlay; handles or passes on the chosen command.
    void OpenMenu(QPoint overlay_point);
    void RunMenuCommand(int command);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void UpdateHitRegion();
    std::vector<OverlayMenuItem> MenuItems() const;
    void ToggleSingleClick();

    OverlayOwner* owner_;  // not owned; outlives the overlay
    tstring template_name_ = u"default.jpg";
    bool single_click_ = false;
    int alpha_threshold_ = 0;
    QImage layer_;  // ARGB32 premultiplied, the overlay's client size
    OverlayMenuRunner menu_runner_;
};
