#pragma once
// The one seam between the core and the window toolkit. Every question to the
// user, every yield to the event loop, the busy pointer and the file-open
// dialog go through it, so the core links no widgets and tests can script
// every answer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvelan {

// OkAbort: OK and 中止; 中止 answers Cancel.
enum class Buttons { Ok, OkCancel, OkAbort };
enum class Answer { Ok, Cancel };

// Captions used by the system's message boxes. An empty caption means the
// application title.
inline constexpr std::string_view kConfirmCaption = "確認";
inline constexpr std::string_view kAppTitle = "Morvelan";

class Toolkit {
public:
    virtual ~Toolkit() = default;
    // Modal message box without icon. An empty caption shows the application
    // title. Closing the box counts as Cancel.
    virtual Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) = 0;
    // The OK-only box of `text` under the application title `count` times in
    // a row, exactly as that many showError calls. A search can raise one
    // message for billions of candidates in a row; a toolkit that can tell
    // such a run at once (a count instead of each box) overrides this.
    virtual void showErrorRepeated(std::string_view text, std::int64_t count)
    {
        for (std::int64_t i = 0; i < count; ++i) showMessage(text, {}, Buttons::Ok);
    }
    // Process pending events (clicks, key presses, repaints, focus changes).
    virtual void yield() = 0;
    // Hourglass over the whole screen while busy, default pointer otherwise.
    virtual void setBusyPointer(bool busy) = 0;
    // Modal file-open dialog starting at startName; nullopt when cancelled.
    virtual std::optional<std::string> chooseOpenFile(std::string_view startName) = 0;
    // Modal file-save dialog proposing startName (its extension names the
    // file type); nullopt when cancelled or when there is no dialog.
    virtual std::optional<std::string> chooseSaveFile(std::string_view /*startName*/) { return std::nullopt; }
};

// A toolkit that passes everything on to another one: the base of toolkits
// that change only how messages are shown. A repeated error reaches the
// inner toolkit as single boxes through showMessage, so a subclass that
// changes showMessage alone still sees every one; a subclass that can pass
// the run on whole overrides showErrorRepeated and calls inner().
class ForwardingToolkit : public Toolkit {
public:
    explicit ForwardingToolkit(Toolkit& inner) : inner_(inner) {}
    Answer showMessage(std::string_view text, std::string_view caption, Buttons buttons) override
    {
        return inner_.showMessage(text, caption, buttons);
    }
    void yield() override { inner_.yield(); }
    void setBusyPointer(bool busy) override { inner_.setBusyPointer(busy); }
    std::optional<std::string> chooseOpenFile(std::string_view startName) override
    {
        return inner_.chooseOpenFile(startName);
    }
    std::optional<std::string> chooseSaveFile(std::string_view startName) override
    {
        return inner_.chooseSaveFile(startName);
    }

protected:
    Toolkit& inner() { return inner_; }

private:
    Toolkit& inner_;
};

// Shorthand for the many OK-only boxes under the application title.
inline void showError(Toolkit& toolkit, std::string_view text)
{
    toolkit.showMessage(text, {}, Buttons::Ok);
}

} // namespace morvelan
