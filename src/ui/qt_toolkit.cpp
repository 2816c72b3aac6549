#include "ui/qt_toolkit.h"

#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace morvelan {
namespace {

// Two entries, text files first; the dialog opens on the first.
const char* const kTextFilesFilter = "ﾃｷｽﾄ(*.txt)";
const char* const kAllFilesFilter = "すべてのファイル(*)";

} // namespace

QtToolkit::~QtToolkit()
{
    if (QGuiApplication::instance() != nullptr) setBusyPointer(false);
}

Answer QtToolkit::showMessage(std::string_view text, std::string_view caption, Buttons buttons)
{
    QMessageBox box(parent_);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(toQString(caption.empty() ? kAppTitle : caption));
    box.setTextFormat(Qt::PlainText); // paths and digits are shown as they are
    box.setText(toQString(text));
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    if (buttons == Buttons::OkCancel) {
        // Esc and the close box answer Cancel.
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    }
    box.exec();
    return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
}

void QtToolkit::yield()
{
    QCoreApplication::processEvents();
}

void QtToolkit::setBusyPointer(bool busy)
{
    // Balanced: one override at most, removed only if this toolkit set it.
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

std::optional<std::string> QtToolkit::chooseOpenFile(std::string_view startName)
{
    // The Qt dialog leaves the process's current folder alone, so the
    // temporary LF copy stays where the program started.
    const QString filters = QString::fromUtf8(kTextFilesFilter) + QStringLiteral(";;") + QString::fromUtf8(kAllFilesFilter);
    QString selectedFilter = QString::fromUtf8(kTextFilesFilter);
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QString(), toQString(startName), filters, &selectedFilter);
    if (chosen.isEmpty()) return std::nullopt;
    return toStdString(chosen);
}

std::optional<std::string> QtToolkit::chooseSaveFile(std::string_view startName)
{
    // The proposed name's extension gives the filter and is added to a
    // typed name that lacks one.
    const QString start = toQString(startName);
    const QString suffix = QFileInfo(start).suffix();
    QFileDialog dialog(parent_, QString(), start);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!suffix.isEmpty()) {
        dialog.setNameFilters({QStringLiteral("%1 (*.%2)").arg(suffix.toUpper(), suffix), QString::fromUtf8(kAllFilesFilter)});
        dialog.setDefaultSuffix(suffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return toStdString(dialog.selectedFiles().constFirst());
}

} // namespace morvelan
