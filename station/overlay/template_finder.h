#pragma once
// The template frames on offer: the PNG files of the "Template" folder, the order they cycle in,
// and the list view's order of their thumbnails.
#include <QImage>
#include <QSize>
#include <vector>
#include "overlay/template_opening.h"
#include "text/tstring.h"

struct TemplateEntry {
    tstring path;         // "Template\<file name>"
    OpeningRect opening;  // empty until first computed
};

// Paths "<folder>\<name>" of the files (not folders) whose path contains ".PNG" or ".png", in
// enumeration order. The folder is read in name order, as the installation's file system lists it.
// A missing or unreadable folder gives nothing.
std::vector<tstring> FindTemplatePaths(const tstring& folder = u"Template");

// The list view inserts each template at the top, so it shows them last found first.
std::vector<tstring> ThumbnailListOrder(const std::vector<tstring>& template_order);

// Thumbnails are as wide as the list and have the screen's proportions.
QSize ThumbnailSize(int screen_w, int screen_h, int list_width);

// The template drawn stretched to the thumbnail size, transparent parts on black, 24-bit; a null
// image when the file does not decode, and such a template is left out of the list.
QImage MakeThumbnail(const tstring& path, QSize size);

// Index of the template that follows `current` in the template order (wrapping), or -1 when the
// current one is not in the list (compared exactly) or there is no other template to go to.
int NextTemplateIndex(const std::vector<TemplateEntry>& entries, const tstring& current);
int TemplateIndex(const std::vector<TemplateEntry>& entries, const tstring& path);
