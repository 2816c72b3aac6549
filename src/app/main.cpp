// morvelan: the window program. One window, one session, the Qt toolkit;
// the parameters come from "Morvelan.ini" in the program's own folder.
#include "engine/session.h"
#include "settings/settings.h"
#include "ui/main_window.h"
#include "ui/qt_toolkit.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvelan"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvelan.png")));

    // The window speaks Japanese; Qt's own buttons (Cancel, the file dialog)
    // follow when Qt's translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // The session holds the Bit buffer: too large for the stack.
    auto session = std::make_unique<morvelan::Session>();
    morvelan::QtToolkit toolkit;
    morvelan::MainWindow window(*session, toolkit, morvelan::SettingsPath(morvelan::programFolder()));
    toolkit.setParentWindow(&window);
    window.show();
    return QApplication::exec();
}
