#include "seat/show_search.h"

#include "seat/dlg_search.h"

SearchDlgHolder::SearchDlgHolder() = default;
SearchDlgHolder::~SearchDlgHolder() = default;

void ShowSearchDlg(SearchDlgHolder& holder) {
    if (!holder.window_) {
        holder.window_ = std::make_unique<CDlgSearch>();
    }
    CDlgSearch& window = *holder.window_;
    window.showNormal();
    window.raise();
    window.activateWindow();
}
