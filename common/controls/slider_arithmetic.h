#pragma once
// The jump-to-click arithmetic of CMySliderControl, free of any widget so it can be checked on
// its own. Both rules size the page step so that one page step from the current position lands
// on the clicked value; neither subtracts the channel's left margin, and a click also ignores
// the minimum in its target, so the thumb lands near, not exactly on, the clicked point.

namespace slider_arithmetic {

// Page size for a click at x (client coordinates) in the channel [channel_left, channel_right].
int ClickPage(int minimum, int maximum, int current, int channel_left, int channel_right, int x);

// Page size for a move to x with the button held, over a client area client_width wide.
int DragPage(int maximum, int current, int client_width, int x);

// Where one page step lands: towards the click (right when toward_higher), inside the range.
int PageStepLanding(int minimum, int maximum, int current, int page, bool toward_higher);

}  // namespace slider_arithmetic
