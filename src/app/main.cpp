// morvelan: the window program. One window, one session, the Qt toolkit;
// the parameters come from "Morvelan.ini" in the program's own folder, or
// from the user's own copy when that file cannot be written.
#include "files/session.h"
#include "settings/settings_location.h"
#include "ui/end_signals.h"
#include "ui/main_window.h"
#include "ui/qt_toolkit.h"
#include "ui/qt_translation.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvelan"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/morvelan.png")));

    // The window speaks Japanese; Qt's own buttons and dialogs follow.
    morvelan::installQtJapaneseTexts(app);

    // The session holds the Bit buffer: too large for the stack.
    auto session = std::make_unique<morvelan::Session>();
    morvelan::QtToolkit toolkit;
    morvelan::MainWindow window(*session, toolkit, morvelan::DefaultSettingsLocation());
    toolkit.setParentWindow(&window);
    // SIGTERM and SIGHUP end the program like an abort that nobody confirms.
    morvelan::EndSignals endSignals;
    QObject::connect(&endSignals, &morvelan::EndSignals::endRequested, &window, &morvelan::MainWindow::endOnSignal);
    window.show();
    return QApplication::exec();
}
