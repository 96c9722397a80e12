#pragma once
// CPrivateMenu: the wall's small toolbar, a borderless popup of 125 x 28 dialog units owned by the
// main window. Four bitmap buttons stand in one row — "刷新" (2005), "播放" (2003), "停止" (2004),
// "退出" (2) — and two more, "打开" (2001) and "返回" (2002), exist hidden. A pressed button
// reports its id through the command function.
#include <QWidget>
#include <functional>
#include <map>
#include "ui/button_ex.h"

namespace halvix {

// Dialog units of the toolbar's template to pixels (the base units of its 9-point dialog font).
inline int DialogUnitsX(int units) {
    return units * 3 / 2;
}
inline int DialogUnitsY(int units) {
    return units * 13 / 8;
}

enum ToolbarId : int {
    kToolbarExit = 2,
    kToolbarOpen = 2001,
    kToolbarBack = 2002,
    kToolbarPlay = 2003,
    kToolbarStop = 2004,
    kToolbarRefresh = 2005,
};

// The bitmap file of a button, relative to the installation folder (the bitmap's resource number).
QString ToolbarBitmapFile(int bitmapId);

class CPrivateMenu : public QWidget {
  public:
    using CommandFunction = std::function<void(int id)>;

    CPrivateMenu(QWidget* owner, CommandFunction command);

    UICONTROL::CButtonEx* Button(int id) const;
    // Bitmaps that could not be loaded, as "error Load Bitmap" texts; empty when all loaded.
    QStringList LoadErrors() const { return load_errors_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void AddButton(int id, int bitmapId, int x_units, bool visible);

    CommandFunction command_;
    std::map<int, UICONTROL::CButtonEx*> buttons_;  // children of this
    QStringList load_errors_;
};

}  // namespace halvix
