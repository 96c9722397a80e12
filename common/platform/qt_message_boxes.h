#pragma once
// The message-box service of the programs: a blocking QMessageBox with the caption, buttons and
// icon of the request, over the active window. Requests from other threads are shown on the GUI
// thread while the asking thread waits for the answer.
#include <QString>
#include "platform/message_box.h"
#include "tarquel_export.h"

namespace vantor {

// The buttons' texts in the interface language; an empty one keeps Qt's own.
struct MessageButtonTexts {
    QString ok;
    QString cancel;
    QString yes;
    QString no;
};

class TARQUEL_API QtMessageBoxes : public MessageBoxService {
  public:
    explicit QtMessageBoxes(MessageButtonTexts texts = {}) : texts_(std::move(texts)) {}
    MessageAnswer Show(const MessageBoxRequest& request) override;

  private:
    MessageAnswer ShowOnGuiThread(const MessageBoxRequest& request);

    MessageButtonTexts texts_;
};

}  // namespace vantor
