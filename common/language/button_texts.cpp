#include "language/button_texts.h"

#include "language/language.h"
#include "text/qt_text.h"

namespace vantor {
namespace {

// A key without a text reads as the key itself: then Qt's text stays.
QString TextOf(const char16_t* key) {
    const tstring text = GetLanStr(key);
    return text == key ? QString() : ToQt(text);
}

}  // namespace

MessageButtonTexts LanguageButtonTexts() {
    return {TextOf(u"82"), TextOf(u"83"), TextOf(u"84"), TextOf(u"85")};
}

}  // namespace vantor
