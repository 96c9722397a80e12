#pragma once
// What the station's windows share for the life of the program: the count of guests and the seat
// search window, which keeps its guest list and what was typed from one capture window to the next.
#include "capture/guest_counter.h"
#include "seat/show_search.h"

struct StationShared {
    GuestCounter guests;
    SearchDlgHolder seat_search;
};
