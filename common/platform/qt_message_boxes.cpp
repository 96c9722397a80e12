#include "platform/qt_message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include "platform/form_skin.h"
#include "text/qt_text.h"

// Every box shown (off unless enabled, e.g. QT_LOGGING_RULES="vantor.messagebox.info=true").
Q_LOGGING_CATEGORY(lcMessageBox, "vantor.messagebox", QtWarningMsg)

namespace vantor {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

// Closing a question box with the window's close button counts as its negative answer.
MessageAnswer ToAnswer(int result, MessageButtons buttons) {
    switch (result) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        default:
            break;
    }
    switch (buttons) {
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::OkCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer QtMessageBoxes::Show(const MessageBoxRequest& request) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return HeadlessMessageBoxes().Show(request);
    }
    if (QThread::currentThread() == app->thread()) {
        return ShowOnGuiThread(request);
    }
    MessageAnswer answer = MessageAnswer::Ok;
    QMetaObject::invokeMethod(
        app, [&] { answer = ShowOnGuiThread(request); }, Qt::BlockingQueuedConnection);
    return answer;
}

MessageAnswer QtMessageBoxes::ShowOnGuiThread(const MessageBoxRequest& request) {
    qCInfo(lcMessageBox).noquote() << "shown:" << ToQt(request.text).simplified();
    QMessageBox box(ToQtIcon(request.icon), ToQt(request.caption), ToQt(request.text),
                    ToQtButtons(request.buttons), QApplication::activeWindow());
    // A box over a full-screen window that stays on top must come up above it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Read from a step away and answered with a finger on the station's touch screen.
    MarkFormWindow(box);
    for (const auto& [button, text] :
         {std::pair{QMessageBox::Ok, &texts_.ok}, std::pair{QMessageBox::Cancel, &texts_.cancel},
          std::pair{QMessageBox::Yes, &texts_.yes}, std::pair{QMessageBox::No, &texts_.no}}) {
        if (QAbstractButton* shown = box.button(button); shown != nullptr && !text->isEmpty()) {
            shown->setText(*text);
            shown->setIcon(QIcon());  // the skin's buttons carry their word only
        }
    }
    const int result = box.exec();
    qCInfo(lcMessageBox) << "answered";
    return ToAnswer(result, request.buttons);
}

}  // namespace vantor
