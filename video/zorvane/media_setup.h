#pragma once
// The media framework of the process: GStreamer, initialised once, and the library's log category.
#include <QLoggingCategory>

namespace zorvane {

Q_DECLARE_LOGGING_CATEGORY(lcVideo)

// Initialises GStreamer; safe to call from any thread, any number of times.
void InitialiseMedia();

}  // namespace zorvane
