#pragma once
// The sharing's diagnostics ("vantor.sync"): the Syncthing child, its set-up, the status worker,
// the pairing window and the station's start of it all write to one category, so that one rule
// in QT_LOGGING_RULES shows or hides the whole story of a multi-station event.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSync)
