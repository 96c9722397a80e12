#pragma once
// The seat search window of a program. ShowSearchDlg makes it at the first call and on every call
// shows it and brings it to the front; between calls it is only hidden. The holder keeps it, with
// its guest list and what was typed, until the holder goes (the program keeps one for its life).
#include <memory>
#include "tarquel_export.h"

class CDlgSearch;

class TARQUEL_API SearchDlgHolder {
  public:
    SearchDlgHolder();
    ~SearchDlgHolder();
    SearchDlgHolder(const SearchDlgHolder&) = delete;
    SearchDlgHolder& operator=(const SearchDlgHolder&) = delete;

    // The window, or null before the first ShowSearchDlg.
    CDlgSearch* Window() const { return window_.get(); }

  private:
    friend void ShowSearchDlg(SearchDlgHolder& holder);
    std::unique_ptr<CDlgSearch> window_;
};

TARQUEL_API void ShowSearchDlg(SearchDlgHolder& holder);
