#pragma once
// Where a picture's voice message lies. The station keeps the voice files of a day in the dated
// folder's "Audio" folder under the picture's time stamp, so "…\2024-3-5\WithTemplate" and
// "12-5-3.jpg" give "…\2024-3-5\Audio\12-5-3.wav". Lottery copies lie in "…\lottery\<date>\<level>";
// their voices are found in "…\Storage\Audio\". Logic paths (backslashes); any thread.
#include "text/tstring.h"

namespace halvix {

// The voice file path for picture `name` shown from folder `folder`.
tstring VoicePath(const tstring& folder, const tstring& name);

}  // namespace halvix
