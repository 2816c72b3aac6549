// One QApplication for all window tests, offscreen without a display, with
// Qt's own texts in Japanese as in the program and the user's settings in a
// temporary folder.
#include "ui/qt_translation.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    morvelan::installQtJapaneseTexts(app);
    // The window keeps its last folder in the user's settings: here in a
    // folder of the tests' own.
    const QTemporaryDir userSettings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userSettings.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
