#pragma once
// The message boxes' button texts in the interface language: 确定, 取消, 是, 否 (keys 82 to 85), or
// Qt's own where the language file has none.
#include "platform/qt_message_boxes.h"
#include "tarquel_export.h"

namespace vantor {

TARQUEL_API MessageButtonTexts LanguageButtonTexts();

}  // namespace vantor
