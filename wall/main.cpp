// Halvix: the 3D photo wall.
#include <QApplication>
#include <QFileInfo>
#include "app/wall_platform.h"
#include "app/x11_threads.h"
#include "app/zarn_app.h"
#include "language/button_texts.h"
#include "platform/form_skin.h"
#include "platform/qt_message_boxes.h"

int main(int argc, char** argv) {
    halvix::ChooseWallPlatform();
    halvix::EnableThreadedX11();
    QApplication application(argc, argv);
    vantor::ApplyFormSkin(application);
    vantor::QtMessageBoxes messageBoxes(vantor::LanguageButtonTexts());
    vantor::ScopedMessageBoxService boxes(messageBoxes, true);
    halvix::CmfcZarnApp wall(QFileInfo(QString::fromLocal8Bit(argv[0])).baseName());
    if (!wall.InitInstance()) {
        return 0;
    }
    return application.exec();
}
