#pragma once
// The capture window's commands by control or menu id. A button, the colour picker, an entry of
// the frame's pop-up menu and F9 all run their command through here; an id without one does
// nothing.
#include <functional>
#include <map>

class CaptureCommands {
  public:
    // The id runs `action` from now on, in place of what it ran before.
    void Bind(int id, std::function<void()> action);
    // Runs the id's command; false when it has none.
    bool Run(int id) const;

  private:
    std::map<int, std::function<void()>> actions_;
};
