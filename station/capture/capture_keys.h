#pragma once
// What a key does in the capture window. The window takes keys before the focused control sees
// them; Space, Backspace and R belong to the seat search while it shows over the window.
#include <functional>

enum class CaptureKeyAction {
    Pass,         // not the window's: the key goes on to the control
    Swallow,      // Enter and Escape never close the window
    PhotoOrSave,  // Space
    Rewrite,      // Backspace
    OpenMenu,     // R: the frame's pop-up menu
    Record,       // F9, always
};

// `seat_search_visible` is asked only for the keys the seat search can take.
CaptureKeyAction CaptureKeyActionFor(int key, const std::function<bool()>& seat_search_visible);
