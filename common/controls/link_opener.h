#pragma once
// Opens a link target the way the desktop's shell does: a web address in the browser, a file or
// folder (a logic path, relative to the working folder) with its program.
#include <QString>
#include "tarquel_export.h"

namespace vantor {

TARQUEL_API bool OpenWithDesktop(const QString& target);

}  // namespace vantor
