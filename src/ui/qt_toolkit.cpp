#include "ui/qt_toolkit.h"

#include "ui/qt_text.h"
#include "ui/window_fonts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace morvelan {

QtToolkit::~QtToolkit()
{
    if (QGuiApplication::instance() != nullptr) setBusyPointer(false);
}

Answer QtToolkit::showMessage(std::string_view text, std::string_view caption, Buttons buttons)
{
    QMessageBox box(parent_);
    applyWindowFace(box);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(toQString(caption.empty() ? kAppTitle : caption));
    box.setTextFormat(Qt::PlainText); // paths and digits are shown as they are
    box.setText(toQString(text));
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    // Esc and the close box answer Cancel.
    if (buttons == Buttons::OkCancel) box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    if (buttons == Buttons::OkAbort) {
        QPushButton* abort = box.addButton(QStringLiteral("中止"), QMessageBox::RejectRole);
        abort->setObjectName(QStringLiteral("cmdBoxAbort"));
        box.setEscapeButton(abort);
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
    const std::optional<Choice> choice = chooseInputFile(startName, InputFormat::Auto);
    if (!choice) return std::nullopt;
    return choice->path;
}

std::optional<InputFileDialog::Choice> QtToolkit::chooseInputFile(std::string_view startName, InputFormat format)
{
    // The Qt dialog leaves the process's current folder alone, so the
    // temporary LF copy stays where the program started.
    // Qt's own dialog: it shows only each entry's text (the pattern after it
    // is hidden) and speaks the translation the program loads.
    const QString start = toQString(startName);
    QFileDialog dialog(parent_, QString(), start);
    applyWindowFace(dialog);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (std::size_t i = 1; i <= inputFormatItems().size(); ++i) // every file last
        filters << toQString(inputFormatItems()[i % inputFormatItems().size()].filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(toQString(inputFilterOf(format)));
    if (!start.isEmpty() && !QFileInfo(start).isDir()) dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return Choice{toStdString(dialog.selectedFiles().constFirst()),
                  formatOfInputFilter(toStdString(dialog.selectedNameFilter())).value_or(format)};
}

std::optional<std::string> QtToolkit::chooseSaveFile(std::string_view startName)
{
    // The proposed name's extension gives the filter and is added to a
    // typed name that lacks one.
    const QString start = toQString(startName);
    const QString suffix = QFileInfo(start).suffix();
    QFileDialog dialog(parent_, QString(), start);
    applyWindowFace(dialog);
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!suffix.isEmpty()) {
        dialog.setNameFilters({QStringLiteral("%1 (*.%2)(*.%2)").arg(suffix.toUpper(), suffix), toQString(inputFilterOf(InputFormat::Auto))});
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setDefaultSuffix(suffix);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return toStdString(dialog.selectedFiles().constFirst());
}

} // namespace morvelan
