#pragma once
// The skin's optional files (pictures, faces, sounds), named by logic paths relative to the
// installation folder.
#include <QImage>
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

// True when the path names an existing file (not a folder).
TARQUEL_API bool SkinFileExists(const tstring& file);

// The decoded picture, turned as its EXIF orientation says; null when missing or unreadable.
TARQUEL_API QImage LoadSkinPicture(const tstring& file);

}  // namespace vantor
