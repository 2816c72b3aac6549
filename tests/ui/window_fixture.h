#pragma once
// Drives the real window through its widgets, with a scripted toolkit in
// place of message boxes and dialogs, and a settings file in a temp folder.
#include "files/session.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"
#include "ui/input_formats.h"
#include "ui/main_window.h"
#include "ui/result_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace morvelan::testing {

inline const char* const kRunControls[] = {"cmd入力ファイル", "cmd出力ファイル", "cmd実行", "cmd設定保存", "cmd設定初期化",
                                           "cmd終了", "chk入力ファイルのヘッダチェックをしない",
                                           "chk除外パターンを一時的に使用しない", "chkUNIX系LFファイルを対象とする"}; // what a run disables

inline const std::map<std::string, std::string> kDefaultSettings = {
    {"START_SYNC_INTERVAL", "300"}, {"END_SYNC_INTERVAL", "700"}, {"SYNC_BIT_SIZE", "20"}, {"ALLOW_ERR_BITS", "2"},
    {"IGNORE_START_BITS", "0"},     {"FRAME_ROUNDS", "20"},       {"BUF_SIZE", "300000"},  {"THRESHOLD", "10"},
};

inline std::string settingsText(const std::map<std::string, std::string>& changes)
{
    auto keys = kDefaultSettings;
    for (const auto& [key, value] : changes) keys[key] = value;
    std::string text = "[Morvelan]\r\n";
    for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
    return text;
}

// The scripted toolkit with the input dialog the window uses when the
// toolkit offers one (as the Qt toolkit does): the file comes from
// fileChoices, the entry from formatChoices (none: the one it opened on).
class WindowToolkit : public ScriptedToolkit, public InputFileDialog {
public:
    std::deque<InputFormat> formatChoices;
    std::vector<InputFormat> formatsOpenedOn;
    std::function<void()> onBusy; // runs when the busy pointer goes on

    std::optional<Choice> chooseInputFile(std::string_view startName, InputFormat format) override
    {
        formatsOpenedOn.push_back(format);
        const std::optional<std::string> path = chooseOpenFile(startName);
        if (!formatChoices.empty()) {
            format = formatChoices.front();
            formatChoices.pop_front();
        }
        if (!path) return std::nullopt;
        return Choice{*path, format};
    }
    void setBusyPointer(bool b) override
    {
        ScriptedToolkit::setBusyPointer(b);
        if (b && onBusy) onBusy();
    }
};

class WindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Session> session = std::make_unique<Session>();
    WindowToolkit toolkit;
    std::unique_ptr<MainWindow> window;

    std::string settingsPath() const { return dir.file("Morvelan.ini"); }

    // Opens on a settings file of the reset values and `changes`.
    void openWindow(const std::map<std::string, std::string>& changes = {})
    {
        dir.write("Morvelan.ini", settingsText(changes));
        window = std::make_unique<MainWindow>(*session, toolkit, settingsPath());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QLineEdit* field(const char* name) const { return find<QLineEdit>(name); }
    QAbstractButton* button(const char* name) const { return find<QAbstractButton>(name); }
    ResultList* resultList() const { return find<ResultList>("txtResult"); }
    QString text(const char* fieldName) const { return field(fieldName)->text(); }

    template <class W>
    W* find(const char* name) const
    {
        W* w = window->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Puts the focus into a field, replaces its text, and leaves it with Tab.
    void typeAndLeave(const char* fieldName, const QString& newText)
    {
        QLineEdit* f = field(fieldName);
        f->setFocus(Qt::TabFocusReason);
        f->setText(newText);
        QTest::keyClick(f, Qt::Key_Tab);
        ASSERT_FALSE(f->hasFocus()) << fieldName;
    }

    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    void browse(const std::string& path)
    {
        toolkit.fileChoices.push_back(path);
        click("cmd入力ファイル");
    }
    void runOn(const std::string& path) // browses, runs and confirms
    {
        browse(path);
        toolkit.answers.push_back(Answer::Ok);
        click("cmd実行");
    }

    std::vector<QString> resultLines() const
    {
        std::vector<QString> lines;
        for (std::size_t i = 0; i < resultList()->lineCount(); ++i) lines.push_back(resultList()->lineText(i));
        return lines;
    }
};

inline RecordedMessage appMessage(std::string text) { return {std::move(text), "", Buttons::Ok}; }
inline RecordedMessage confirmMessage(std::string text, Buttons buttons = Buttons::Ok)
{
    return {std::move(text), "確認", buttons};
}

} // namespace morvelan::testing
