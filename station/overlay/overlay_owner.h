#pragma once
// What the template overlay needs from the window it lies over (the capture window).
#include <QSize>
#include "overlay/template_finder.h"
#include "overlay/template_opening.h"
#include "text/tstring.h"

class OverlayOwner {
  public:
    virtual ~OverlayOwner() = default;
    // The photo / save command (button 1001, Space).
    virtual void PhotoOrSave() = 0;
    // A pop-up menu command the overlay does not handle itself.
    virtual void OverlayCommand(int command) = 0;
    // The check mark of "insert time" (32792).
    virtual bool InsertTimeOn() const = 0;
    // The template order's entry for a path, or null when it is not in the order.
    virtual TemplateEntry* FindTemplateEntry(const tstring& path) = 0;
    virtual QSize CameraSize() const = 0;
    virtual void SetCameraRect(const OpeningRect& rect) = 0;
    virtual void SetTemplateListVisible(bool visible) = 0;
    virtual void RepaintOwner() = 0;
};
