#pragma once
// Where winners' pictures go: "lottery\<year>-<month>-<day>\<level name>" below the working
// folder (no leading zeros), made when missing. A winner's copy keeps the picture's file name and
// replaces a copy of the same name; it is written beside its final name and renamed into place,
// so that a station killed in the middle never leaves half a picture.
#include "platform/local_clock.h"
#include "storage/storage_layout.h"
#include "text/tstring.h"

namespace travenor {

// The level's folder for that day; made (with its parents) when missing, silently when that fails.
tstring WinnersFolder(const vantor::LocalDateTime& day, const tstring& levelName);

// Copies the picture into the folder under its own name; false when it could not.
bool CopyWinnerPicture(const tstring& picture, const tstring& folder);

// Removes the copies a killed station left half written in the winners' folders below `lottery`
// (a sign-in picture's name staged beside its final one); the next draw makes them again. Nothing
// else is touched. Answers how many were removed.
int RemoveUnfinishedWinnerCopies(const tstring& lottery = tstring(vantor::kLotteryFolder));

}  // namespace travenor
