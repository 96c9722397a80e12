#pragma once
// The library's log category and the steps every pipeline of the library takes. GStreamer is
// started through InitialiseGstreamer (gst_runtime.h) before the first pipeline.
#include <gst/gst.h>
#include <QLoggingCategory>
#include <string>

namespace zorvane {

Q_DECLARE_LOGGING_CATEGORY(lcVideo)

// The file URI of a native path; empty when there is none.
std::string FileUri(const std::string& native_path);

// Gives playbin a filter that turns each picture the way its stream's orientation tag says (a
// phone's portrait clip is stored on its side with a rotation to apply). Without the filter
// (videoflip missing) the pictures stay as stored.
void TurnPicturesUpright(GstElement* playbin);

// Waits until the pipeline has reached the state it was sent to (for a pipeline going to PAUSED:
// its first picture is cued). False on failure or when the time is up.
bool WaitForCue(GstElement* pipeline, GstClockTime timeout_ns);
// Sends the pipeline to PAUSED and waits for the cue.
bool CueToPaused(GstElement* pipeline, GstClockTime timeout_ns);

}  // namespace zorvane
