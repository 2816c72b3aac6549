// The window's file rows: the input and Result paths (typed, browsed or
// dropped), the input format, the last folder and the window title.
#include "ui/main_window.h"

#include "common/text.h"
#include "common/toolkit.h"
#include "files/capture_reader.h"
#include "files/input_messages.h"
#include "files/result_file.h"
#include "files/session.h"
#include "ui/file_selection.h"
#include "ui/input_formats.h"
#include "ui/qt_text.h"
#include "ui_main_window.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QUrl>


namespace morvelan {
namespace {

const QString kLastFolderKey = QStringLiteral("lastFolder");

// The user's own settings of the window, apart from the Analysis profile.
QSettings windowSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Morvelan"), QStringLiteral("window"));
}

// The one local file a drag carries; nothing for anything else.
std::optional<std::string> droppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile() || QFileInfo(url.toLocalFile()).isDir()) return std::nullopt;
    return toStdString(url.toLocalFile());
}

} // namespace

void MainWindow::fillFormatChoices()
{
    for (const InputFormatItem& item : inputFormatItems())
        ui_->cmbInputFormat->addItem(toQString(item.comboText), static_cast<int>(item.format));
    ui_->cmbInputFormat->setToolTip(QStringLiteral("入力ファイルの形式。自動はファイルの先頭から判別します。"));
    connect(ui_->cmbInputFormat, &QComboBox::currentIndexChanged, this, &MainWindow::showInputFormat);
}

InputFormat MainWindow::chosenFormat() const
{
    return static_cast<InputFormat>(ui_->cmbInputFormat->currentData().toInt());
}

void MainWindow::setChosenFormat(InputFormat format)
{
    ui_->cmbInputFormat->setCurrentIndex(ui_->cmbInputFormat->findData(static_cast<int>(format)));
}

void MainWindow::showInputFormat()
{
    InputAccount account;
    account.format = chosenFormat();
    if (account.format == InputFormat::Auto) {
        // What the run's own detection will find, as far as the file can tell now.
        if (FileHasData(session_.inputPath)) {
            account.format = detectFileFormat(session_.inputPath);
            account.detected = true;
        }
    }
    runFormat_ = account.format;
    if (account.format == InputFormat::Auto)
        ui_->lblInputFormat->clear();
    else
        showInputAccount(account);
    setFieldToolTips();
}

void MainWindow::showInputAccount(const InputAccount& account)
{
    ui_->lblInputFormat->setText(toQString(messageFormatChosen(account, session_.options.bitOrder)));
}

void MainWindow::browseInputFile()
{
    std::string start = toStdString(ui_->txt入力ファイル->text());
    if (start.empty()) start = lastFolder();
    if (inputDialog_ != nullptr) {
        const std::optional<InputFileDialog::Choice> choice = inputDialog_->chooseInputFile(start, chosenFormat());
        if (!choice) return;
        setChosenFormat(choice->format);
        setInputPath(choice->path, ResultPathFor(choice->path));
        return;
    }
    const std::optional<InputFileChoice> choice = ChooseInputFile(toolkit_, start);
    if (!choice) return;
    setInputPath(choice->inputPath, choice->resultPath);
}

void MainWindow::browseResultFile()
{
    const std::string start = toStdString(ui_->txt出力ファイル->text());
    const std::optional<std::string> chosen = toolkit_.chooseSaveFile(start.empty() ? lastFolder() : start);
    if (chosen) setResultPath(*chosen, false);
}

void MainWindow::setInputPath(const std::string& path, const std::optional<std::string>& resultPath)
{
    ui_->txt入力ファイル->setText(toQString(path));
    session_.inputPath = path;
    session_.inputOpenName.clear();
    if (resultPath) setResultPath(*resultPath, true); // a link planted there is refused
    rememberFolder(path);
    updateTitle();
    showInputFormat();
}

void MainWindow::setResultPath(const std::string& path, bool derived)
{
    session_.resultPath = path;
    session_.resultOpenName.clear();
    session_.resultPathDerived = derived;
    ui_->txt出力ファイル->setText(toQString(path));
}

void MainWindow::adoptTypedInputPath()
{
    // The run reads the file the field shows, never one chosen earlier.
    const std::string typed = toStdString(ui_->txt入力ファイル->text());
    if (typed == session_.inputPath || running_) return;
    // A bare name lies in the current folder; its Result file goes there too.
    std::optional<std::string> result;
    if (!typed.empty()) result = derivedResultPath(typed);
    setInputPath(typed, result);
}

void MainWindow::adoptTypedResultPath()
{
    // The run writes the file the field shows; a blank field goes back to
    // the name derived from the input.
    const std::string typed = toStdString(ui_->txt出力ファイル->text());
    if (typed == session_.resultPath || running_) return;
    if (NullToTrimmedText(typed).empty() && !session_.inputPath.empty())
        setResultPath(derivedResultPath(session_.inputPath), true);
    else
        setResultPath(typed, false);
}

std::string MainWindow::lastFolder() const
{
    const QString folder = windowSettings().value(kLastFolderKey).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return {};
    return toStdString(folder + QLatin1Char('/'));
}

void MainWindow::rememberFolder(const std::string& inputPath)
{
    if (inputPath.empty()) return;
    const QFileInfo file(toQString(inputPath));
    if (!file.absoluteDir().exists()) return;
    windowSettings().setValue(kLastFolderKey, file.absolutePath());
}

void MainWindow::updateTitle()
{
    const QString name = QFileInfo(toQString(session_.inputPath)).fileName();
    setWindowTitle(name.isEmpty() ? toQString(kAppTitle) : name + QStringLiteral(" - ") + toQString(kAppTitle));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!running_ && droppedFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::optional<std::string> path = droppedFile(event->mimeData());
    if (running_ || !path) return;
    event->acceptProposedAction();
    setInputPath(*path, ResultPathFor(*path));
}

} // namespace morvelan
