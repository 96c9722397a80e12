#pragma once
// Opens a link target the way the desktop's shell does: a web address in the browser, a file or
// folder (a logic path, relative to the working folder) with its program.
#include <QString>

namespace vantor {

bool OpenWithDesktop(const QString& target);

}  // namespace vantor
