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

// Two entries, text files first; the dialog opens on the first. Each is the
// text shown, then the pattern used: "*.*" would miss names without a dot
// here, so the second entry shows "(*.*)" and lists every file.
const char* const kTextFilesFilter = "ﾃｷｽﾄ(*.txt)(*.txt)";
const char* const kAllFilesFilter = "すべてのファイル(*.*)(*)";

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
    // Qt's own dialog: it shows only each entry's text (the pattern after it
    // is hidden) and speaks the translation the program loads.
    QFileDialog dialog(parent_, QString(), toQString(startName));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QString::fromUtf8(kTextFilesFilter), QString::fromUtf8(kAllFilesFilter)});
    dialog.selectNameFilter(QString::fromUtf8(kTextFilesFilter));
    if (!startName.empty()) dialog.selectFile(toQString(startName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return toStdString(dialog.selectedFiles().constFirst());
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
        dialog.setNameFilters({QStringLiteral("%1 (*.%2)(*.%2)").arg(suffix.toUpper(), suffix), QString::fromUtf8(kAllFilesFilter)});
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setDefaultSuffix(suffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return toStdString(dialog.selectedFiles().constFirst());
}

} // namespace morvelan
