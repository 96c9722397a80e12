#pragma once
// Whether a BMP file holds all the pixels its header promises. Qt's BMP reader stops at the end of
// the data and leaves the rows it did not get as they were allocated, so a BMP cut short (a copy
// interrupted) would show uninitialised memory as striped noise; callers check first and treat
// such a file as unreadable, as they do a JPEG whose data ends early. CPU only, any thread.
#include <QByteArray>
#include "tarquel_export.h"

namespace vantor {

// True when the bytes start like a BMP file ("BM").
TARQUEL_API bool LooksLikeBmpData(const QByteArray& bytes);

// False when the bytes are not a BMP whose header can be read or its pixel data ends before the
// last row. Uncompressed rows (bottom-up or top-down) are padded to four bytes each; compressed
// (run-length) data is held against the size the header gives for it.
TARQUEL_API bool BmpDataComplete(const QByteArray& bytes);

}  // namespace vantor
