#pragma once
// The camera layer's diagnostics for the operator's log: what the set-up lines on standard output
// do not tell, such as a camera dropping out and coming back.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCamera)
