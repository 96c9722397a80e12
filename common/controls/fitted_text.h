#pragma once
// Text that must show whole in a fixed box (a guest's name in a list entry, his name and table
// in the details area): the largest font, no larger than the one asked for, in which the text
// fits on its own lines; when even the smallest readable size does not, the text wraps.
#include <QFont>
#include <QSize>
#include <QString>
#include "platform/form_skin.h"

namespace vantor {

struct FittedText {
    QFont font;
    bool wraps = false;  // lines wrap at the box's width (anywhere, as Chinese text does)
};

FittedText FitText(const QFont& font, const QString& text, const QSize& box,
                   int smallest = kSmallestReadablePixels);

}  // namespace vantor
