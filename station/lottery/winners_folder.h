#pragma once
// Where winners' pictures go: "lottery\<year>-<month>-<day>\<level name>" below the working
// folder (no leading zeros), made when missing. A winner's copy keeps the picture's file name and
// replaces a copy of the same name; it is written beside its final name and renamed into place,
// so that a station killed in the middle never leaves half a picture.
#include "platform/local_clock.h"
#include "text/tstring.h"

namespace travenor {

// The level's folder for that day; made (with its parents) when missing, silently when that fails.
tstring WinnersFolder(const vantor::LocalDateTime& day, const tstring& levelName);

// Copies the picture into the folder under its own name; false when it could not.
bool CopyWinnerPicture(const tstring& picture, const tstring& folder);

}  // namespace travenor
