#pragma once
// What the station's windows share for the life of the program: the count of guests, the seat
// search window, which keeps its guest list and what was typed from one capture window to the next,
// and what gives way to a save (the photo server, when one runs).
#include "capture/guest_counter.h"
#include "capture/save_yield.h"
#include "seat/show_search.h"

struct StationShared {
    GuestCounter guests;
    SearchDlgHolder seat_search;
    SaveYield* save_yield = nullptr;
};
