#pragma once
// UTF-8 paths to the wide strings Win32 takes, and back. Windows only.
#include <string>

namespace morvelan::platform {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);
// A path for the wide file calls: separators made '\', and an absolute path
// past MAX_PATH given the "\\?\" prefix that lifts the limit.
std::wstring widePath(const std::string& utf8);

} // namespace morvelan::platform
