#include "capture/capture_commands.h"

void CaptureCommands::Bind(int id, std::function<void()> action) {
    actions_[id] = std::move(action);
}

bool CaptureCommands::Run(int id) const {
    const auto found = actions_.find(id);
    if (found == actions_.end()) {
        return false;
    }
    // A copy: the command may outlive a rebinding it makes itself.
    const std::function<void()> action = found->second;
    action();
    return true;
}
