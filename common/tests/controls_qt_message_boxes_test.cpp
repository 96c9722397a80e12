// The Qt message-box service: the box shows the request's caption, text, buttons and icon, blocks
// until answered, and maps the pressed button (or closing the box) to the answer.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>
#include "platform/qt_message_boxes.h"
#include "text/qt_text.h"
#include "ui_wait.h"

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList button_texts;
};

// Answers the next box that comes up by pressing `button` (or closing it with NoButton).
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&seen, button] {
        QMessageBox* box = nullptr;
        vantor_test::WaitUntil([&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr;
        });
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->standardButtons(), box->icon(), {}};
        for (QAbstractButton* shown : box->buttons()) {
            seen.button_texts << shown->text();
        }
        if (button == QMessageBox::NoButton) {
            box->reject();
        } else {
            box->button(button)->click();
        }
    });
}

TEST(ControlsQtMessageBoxes, ShowsTheRequestAndReturnsThePressedButton) {
    vantor::QtMessageBoxes boxes;
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::Yes);
    EXPECT_EQ(
        boxes.Show({u"隐藏按钮？", u"Tips", vantor::MessageButtons::YesNo, vantor::MessageIcon::Question}),
        vantor::MessageAnswer::Yes);
    EXPECT_EQ(seen.caption, QStringLiteral("Tips"));
    EXPECT_EQ(seen.text, QStringLiteral("隐藏按钮？"));
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.icon, QMessageBox::Question);

    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_EQ(boxes.Show({u"52", u"tips", vantor::MessageButtons::YesNo}), vantor::MessageAnswer::No);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);

    AnswerNextBox(seen, QMessageBox::Cancel);
    EXPECT_EQ(boxes.Show({u"x", u"信息提示", vantor::MessageButtons::OkCancel, vantor::MessageIcon::Warning}),
              vantor::MessageAnswer::Cancel);
    EXPECT_EQ(seen.caption, QStringLiteral("信息提示"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

TEST(ControlsQtMessageBoxes, ButtonsSpeakTheInterfaceLanguageAndAnswerAsBefore) {
    vantor::QtMessageBoxes boxes(
        {QStringLiteral("确定"), QStringLiteral("取消"), QStringLiteral("是"), QStringLiteral("否")});
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_EQ(boxes.Show({u"q", u"tips", vantor::MessageButtons::YesNo}), vantor::MessageAnswer::No);
    seen.button_texts.sort();
    EXPECT_EQ(seen.button_texts, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));
    AnswerNextBox(seen, QMessageBox::Ok);
    EXPECT_EQ(boxes.Show({u"q", u"tips", vantor::MessageButtons::OkCancel}), vantor::MessageAnswer::Ok);
    seen.button_texts.sort();
    EXPECT_EQ(seen.button_texts, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
    EXPECT_EQ(seen.text, QStringLiteral("q")) << "the message itself stays as asked";
}

TEST(ControlsQtMessageBoxes, ClosingAQuestionCountsAsItsNegativeAnswer) {
    vantor::QtMessageBoxes boxes;
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::NoButton);
    EXPECT_EQ(boxes.Show({u"q", u"tips", vantor::MessageButtons::YesNo}), vantor::MessageAnswer::No);
    AnswerNextBox(seen, QMessageBox::NoButton);
    EXPECT_EQ(boxes.Show({u"e", u"tips", vantor::MessageButtons::Ok, vantor::MessageIcon::Error}),
              vantor::MessageAnswer::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(ControlsQtMessageBoxes, BoxesFromAnotherThreadAreShownOnTheGuiThread) {
    vantor::QtMessageBoxes boxes;
    SeenBox seen;
    std::atomic<bool> done = false;
    vantor::MessageAnswer answer = vantor::MessageAnswer::Cancel;
    QThread* guiThread = QThread::currentThread();
    QThread* shownOn = nullptr;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shownOn = box->thread();
            seen.caption = box->windowTitle();
            box->button(QMessageBox::Yes)->click();
        }
    });
    watcher.start(5);
    std::thread asker([&] {
        answer = boxes.Show({u"from a worker", u"tips", vantor::MessageButtons::YesNo});
        done = true;
    });
    const bool finished = vantor_test::WaitUntil([&] { return done.load(); }, 10000);
    asker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(answer, vantor::MessageAnswer::Yes);
    EXPECT_EQ(shownOn, guiThread);
    EXPECT_EQ(seen.caption, QStringLiteral("tips"));
}

}  // namespace
