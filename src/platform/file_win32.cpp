// The Win32 side of the file layer.
#include "platform/file.h"
#include "platform/win32_text.h"

#include <random>

#include <windows.h>

namespace morvelan::platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE h(File::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
File::Handle fromHandle(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? File::kNone : reinterpret_cast<File::Handle>(handle);
}

OpenError openErrorOf(DWORD err)
{
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return OpenError::NotFound;
    default: return OpenError::Other;
    }
}

std::optional<FileIdentity> identityOfHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::string randomSuffix()
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device rd;
    std::string s(6, 'X');
    for (char& c : s) c = kDigits[rd() % 36];
    return s;
}

// A handle that only looks at the file, for identity and type queries.
HANDLE openToLook(const std::string& path, DWORD flags = 0)
{
    return CreateFileW(widePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

} // namespace

std::ptrdiff_t File::read(void* buffer, std::size_t size)
{
    DWORD got = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(h(handle_), buffer, want, &got, nullptr)) return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return static_cast<std::ptrdiff_t>(got);
}

bool File::writeAll(const void* data, std::size_t size)
{
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        DWORD done = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!WriteFile(h(handle_), from, chunk, &done, nullptr) || done == 0) return false;
        from += done;
        size -= done;
    }
    return true;
}

bool File::seek(std::uint64_t position)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(h(handle_), to, nullptr, FILE_BEGIN) != 0;
}

bool File::sync()
{
    return FlushFileBuffers(h(handle_)) != 0;
}

bool File::truncate(std::uint64_t size)
{
    return seek(size) && SetEndOfFile(h(handle_)) != 0;
}

std::optional<FileIdentity> File::identity() const
{
    return identityOfHandle(h(handle_));
}

bool File::isRegular() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(h(handle_)) == FILE_TYPE_DISK && GetFileInformationByHandle(h(handle_), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool File::lockExclusive(bool& busy)
{
    OVERLAPPED whole{};
    busy = false;
    if (LockFileEx(h(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return true;
    busy = GetLastError() == ERROR_LOCK_VIOLATION;
    return false;
}

bool File::close()
{
    if (handle_ == kNone) return true;
    const bool closed = CloseHandle(h(handle_)) != 0; // the lock goes with the handle
    handle_ = kNone;
    return closed;
}

File openToRead(const std::string& path, OpenError& error, bool /*noWait*/)
{
    const HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    error = handle == INVALID_HANDLE_VALUE ? openErrorOf(GetLastError()) : OpenError::None;
    return File(fromHandle(handle));
}

File openResult(const std::string& path, bool followLinks, OpenError& error)
{
    if (isExistingFolder(path)) {
        error = OpenError::NotRegularFile;
        return {};
    }
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    File file(fromHandle(
        CreateFileW(widePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS, flags, nullptr)));
    if (!file.isOpen()) {
        error = openErrorOf(GetLastError());
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!followLinks && GetFileInformationByHandle(h(file.handle()), &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        error = OpenError::IsLink;
        return {};
    }
    if (!file.isRegular()) {
        error = OpenError::NotRegularFile;
        return {};
    }
    error = OpenError::None;
    return file;
}

File createUnnamedTemporary(const std::string& folder, const std::string& namePattern, bool /*forceNamed*/)
{
    // Windows has no nameless file: the name goes with the last handle,
    // which the system closes however the process ends.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "\\" + namePattern;
        const std::size_t x = name.rfind("XXXXXX");
        if (x != std::string::npos) name.replace(x, 6, randomSuffix());
        const HANDLE handle = CreateFileW(widePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return File(fromHandle(handle));
        if (GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    return {};
}

File createUniqueBeside(std::string& path)
{
    const std::string base = path;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = base + "." + randomSuffix();
        const HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return File(fromHandle(handle));
        if (GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    return {};
}

bool carryOverAttributes(const std::string& /*original*/, File& /*copy*/)
{
    return true; // a new file in the folder inherits the folder's access rules
}

bool applyDefaultMode(File& /*file*/)
{
    return true;
}

void syncFolderOf(const std::string& /*path*/) {}

bool createPrivateFolder(const std::string& path)
{
    if (isExistingFolder(path)) return true;
    const std::string parent = folderOf(path);
    if (parent != path && !isExistingFolder(parent) && !createPrivateFolder(parent)) return false;
    return CreateDirectoryW(widePath(path).c_str(), nullptr) != 0 || isExistingFolder(path);
}

bool replaceByRename(const std::string& from, const std::string& to)
{
    return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool linkNew(const std::string& existing, const std::string& newName)
{
    return CreateHardLinkW(widePath(newName).c_str(), widePath(existing).c_str(), nullptr) != 0;
}

bool removeFile(const std::string& path)
{
    return DeleteFileW(widePath(path).c_str()) != 0;
}

std::optional<FileIdentity> identityOf(const std::string& path)
{
    const HANDLE handle = openToLook(path);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    const auto id = identityOfHandle(handle);
    CloseHandle(handle);
    return id;
}

bool isNonRegularFile(const std::string& path)
{
    const HANDLE handle = openToLook(path);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const File file(fromHandle(handle));
    return !file.isRegular();
}

bool isExistingFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isWritableFolder(const std::string& path)
{
    // Access rules are too rich to read; a file made and gone says it all.
    return isExistingFolder(path) && createUnnamedTemporary(path, "$$MORVELAN.XXXXXX.TMP").isOpen();
}

bool isWritableFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

bool isPathSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace morvelan::platform
