#include "platform/win32_text.h"

#include <windows.h>

namespace morvelan::platform {

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string narrow(const std::wstring& wide)
{
    if (wide.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::wstring widePath(const std::string& utf8)
{
    std::wstring wide = widen(utf8);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    const bool absolute = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    if (absolute && wide.size() >= MAX_PATH) wide.insert(0, L"\\\\?\\");
    return wide;
}

} // namespace morvelan::platform
