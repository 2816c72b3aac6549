#pragma once
// The toolkit services on Qt: modal message boxes without icon, event
// processing inside long work, the busy pointer and the file dialogs, all in
// the main window's Japanese face.
#include "common/toolkit.h"
#include "ui/input_formats.h"

#include <QPointer>
#include <QWidget>

namespace morvelan {

class QtToolkit : public Toolkit, public InputFileDialog {
public:
    QtToolkit() = default;
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    // The window that message boxes and the dialog are centred on.
    void setParentWindow(QWidget* window) { parent_ = window; }

    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override;
    void yield() override;
    void setBusyPointer(bool busy) override;
    // The input dialog on the entry of every file.
    std::optional<std::string> chooseOpenFile(std::string_view startName) override;
    std::optional<Choice> chooseInputFile(std::string_view startName, InputFormat format) override;
    std::optional<std::string> chooseSaveFile(std::string_view startName) override;

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};

} // namespace morvelan
