#include "sync/sync_log.h"

Q_LOGGING_CATEGORY(lcSync, "vantor.sync", QtInfoMsg)
