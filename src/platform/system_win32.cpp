// The Win32 side of the system queries and the console.
#include "platform/system.h"
#include "platform/file.h"
#include "platform/win32_text.h"

#include <cstdlib>

#include <windows.h>

namespace morvelan::platform {
namespace {

volatile std::sig_atomic_t* endFlag = nullptr;
volatile LONG interrupts = 0;
constexpr DWORD kNoWait = 0xFFFF; // a close event from a test, which need not wait

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (endFlag != nullptr) *endFlag = 1;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        // The second Ctrl-C goes to the default handler, which ends the
        // program at once.
        return InterlockedIncrement(&interrupts) == 1 ? TRUE : FALSE;
    }
    // Closing the console, logging off, shutting down: the system ends the
    // process when this returns, so the run gets the time it is given to
    // finish its rows and close its files.
    if (event != kNoWait) Sleep(4000);
    return TRUE;
}

} // namespace

std::string programFolder()
{
    std::wstring exe(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n == 0 || n >= exe.size()) return ".";
    exe.resize(n);
    return folderOf(narrow(exe));
}

std::string userConfigFolder()
{
    const wchar_t* appData = _wgetenv(L"APPDATA");
    return appData != nullptr && appData[0] != L'\0' ? narrow(appData) : std::string();
}

char preferredSeparator()
{
    return '\\';
}

bool isTerminal(int stream)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE), &mode) != 0;
}

void prepareConsoleForUtf8()
{
    // Output redirected to a file or a pipe gets the UTF-8 bytes as they are.
    SetConsoleOutputCP(CP_UTF8);
}

void catchEndRequests(volatile std::sig_atomic_t& flag)
{
    endFlag = &flag;
    interrupts = 0;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool handleConsoleEventForTests(ConsoleEvent event)
{
    return onConsoleEvent(event == ConsoleEvent::Interrupt ? CTRL_C_EVENT : kNoWait) == TRUE;
}

} // namespace morvelan::platform
