// Times one run of the window, driven as a user would (browse, 実行, OK), and
// prints the rows, the seconds and the memory:
//   QT_QPA_PLATFORM=offscreen morvelan_window_run SETTINGS.ini INPUT
// prints "rows N seconds S peak_kb P rss_kb R" (peak and resident from
// /proc/self/status, VmHWM and VmRSS, after the run).
#include "common/toolkit.h"
#include "unattended_toolkit.h"
#include "files/session.h"
#include "ui/main_window.h"
#include "ui/result_list.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

long statusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = -1;
    while (status >> name) {
        if (name == key) {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SETTINGS.ini INPUT\n", argv[0]);
        return 2;
    }
    auto session = std::make_unique<morvelan::Session>();
    UnattendedToolkit toolkit(QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath().toStdString());
    morvelan::MainWindow window(*session, toolkit, std::string(argv[1]));
    window.show();
    QCoreApplication::processEvents();
    window.findChild<QAbstractButton*>(QStringLiteral("cmd入力ファイル"))->click();
    const auto start = std::chrono::steady_clock::now();
    window.findChild<QAbstractButton*>(QStringLiteral("cmd実行"))->click();
    QCoreApplication::processEvents(); // the last repaint
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto* list = window.findChild<morvelan::ResultList*>(QStringLiteral("txtResult"));
    std::printf("rows %zu seconds %.3f peak_kb %ld rss_kb %ld\n", list->lineCount(), seconds, statusKb("VmHWM:"),
                statusKb("VmRSS:"));
    return 0;
}
