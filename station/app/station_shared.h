#pragma once
// What the station's windows share for the life of the program: the count of guests, the seat
// search window, which keeps its guest list and what was typed from one capture window to the next,
// what gives way to a save (the photo server, when one runs) and the sharing of a multi-station
// event, when the station takes part in one.
#include "capture/guest_counter.h"
#include "capture/save_yield.h"
#include "seat/show_search.h"

namespace travenor::sync {
class SyncService;
}

struct StationShared {
    GuestCounter guests;
    SearchDlgHolder seat_search;
    SaveYield* save_yield = nullptr;
    travenor::sync::SyncService* sharing = nullptr;  // in a multi-station event
};
