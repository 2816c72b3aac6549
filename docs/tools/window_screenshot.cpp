// Shoots the main window after a run for the documentation:
//   morvelan_screenshot INPUT OUTPUT.png
// The window runs on INPUT with the reset values; every question is answered
// OK and every message goes to stderr, so nothing waits for a user. The text
// scale follows QT_FONT_DPI (144 for 150 %). With MORVELAN_GEOMETRY=1 it also
// prints each named control's place in the window.
#include "common/toolkit.h"
#include "unattended_toolkit.h"
#include "files/session.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

const char* const kResetSettings = "[Morvelan]\r\n"
                                   "START_SYNC_INTERVAL=300\r\nEND_SYNC_INTERVAL=700\r\nSYNC_BIT_SIZE=20\r\n"
                                   "ALLOW_ERR_BITS=2\r\nIGNORE_START_BITS=0\r\nFRAME_ROUNDS=20\r\n"
                                   "BUF_SIZE=300000\r\nTHRESHOLD=10\r\n";

void click(QWidget& window, const char* name)
{
    if (auto* b = window.findChild<QAbstractButton*>(QString::fromUtf8(name))) b->click();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir settingsDir;
    const std::string settingsPath = QDir(settingsDir.path()).filePath(QStringLiteral("Morvelan.ini")).toStdString();
    std::ofstream(settingsPath, std::ios::binary) << kResetSettings;

    auto session = std::make_unique<morvelan::Session>();
    UnattendedToolkit toolkit(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath().toStdString());
    morvelan::MainWindow window(*session, toolkit, settingsPath);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;

    click(window, "cmd入力ファイル");
    click(window, "cmd実行");
    QTest::qWait(200);
    if (qEnvironmentVariableIsSet("MORVELAN_GEOMETRY")) {
        std::printf("window %d %d min %d %d dpr %.2f frame %d %d\n", window.width(), window.height(),
                    window.minimumSizeHint().width(), window.minimumSizeHint().height(), window.devicePixelRatioF(),
                    window.frameGeometry().width(), window.frameGeometry().height());
        for (const QWidget* w : window.findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
            const QPoint p = w->mapTo(&window, QPoint(0, 0));
            std::printf("%s %d %d %d %d\n", w->objectName().toUtf8().constData(), p.x(), p.y(), w->width(), w->height());
        }
    }
    return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
