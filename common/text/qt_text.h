#pragma once
// Bridges between tstring and Qt's QString; both are UTF-16, so these are plain copies.
#include <QString>
#include "text/tstring.h"

inline QString ToQt(const tstring& text) {
    return QString::fromUtf16(text.GetBase().data(), static_cast<qsizetype>(text.GetBase().size()));
}
inline tstring FromQt(const QString& text) {
    return tstring(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::size_t>(text.size())));
}
