#pragma once
// Gives a picture button its face from an image file: the picture is stretched to the button's
// present size over white, kept in the caller's holder and shown in every state, with the picture
// aligned horizontally. A file that cannot be decoded leaves holder and button as they were and
// answers false.
#include <QPixmap>
#include "tarquel_export.h"
#include "text/tstring.h"

class CButtonST;

namespace vantor {

TARQUEL_API bool LoadButtonFace(QPixmap& holder, const tstring& imageFile, CButtonST& button);

}  // namespace vantor

using vantor::LoadButtonFace;
