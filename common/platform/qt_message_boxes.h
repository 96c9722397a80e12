#pragma once
// The message-box service of the programs: a blocking QMessageBox with the caption, buttons and
// icon of the request, over the active window. Requests from other threads are shown on the GUI
// thread while the asking thread waits for the answer.
#include "platform/message_box.h"

namespace vantor {

class QtMessageBoxes : public MessageBoxService {
  public:
    MessageAnswer Show(const MessageBoxRequest& request) override;

  private:
    MessageAnswer ShowOnGuiThread(const MessageBoxRequest& request);
};

}  // namespace vantor
