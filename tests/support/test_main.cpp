// Test entry: one QApplication per test program (offscreen unless the test asks for X), then GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Display tests ask for xcb; without an X display they start offscreen instead, so that each
    // fails and names what is missing (requirements.h) rather than the whole program aborting.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("VANTOR_SOURCE_DIR")) {
        qputenv("VANTOR_SOURCE_DIR", VANTOR_SOURCE_DIR_DEFAULT);
    }
    if (qEnvironmentVariableIsEmpty("VANTOR_INSTALL_DIR")) {
        qputenv("VANTOR_INSTALL_DIR", VANTOR_INSTALL_DIR_DEFAULT);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
