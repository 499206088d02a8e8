// Folders of this user alone on Windows: made with a protected access list
// that grants this user (and the system) full control and nobody else
// anything, and checked by their owner and that they are no reparse point.
#include "PrivateFolder.h"

#include "platform/FileSystem.h"
#include "platform/Random.h"
#include "platform/Win32Support.h"

#include <aclapi.h>
#include <sddl.h>

#include <cerrno>

namespace tolvane::platform {

namespace {

// The account's security ID of this process's user, as text ("S-1-5-...").
std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return std::wstring();
    const win::Handle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return std::wstring();
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return std::wstring();
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

// Creates `path` open to this user and the system alone; false with the last error set.
bool CreatePrivateDirectory(const std::wstring& path) {
    const std::wstring sid = CurrentUserSid();
    // P: not inherited from the parent; OICI: what is made inside inherits it.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + sid + L")(A;OICI;FA;;;SY)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (sid.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                           sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return CreateDirectoryW(path.c_str(), nullptr) != 0;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const bool made = CreateDirectoryW(path.c_str(), &attributes) != 0;
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return made;
}

} // namespace

Expected<std::string> CreateUniqueFolder(const std::string& prefix) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint8_t random[6];
        RandomBytes(random, sizeof random);
        std::string path = prefix;
        for (const uint8_t byte : random)
            path.push_back(kLetters[byte % (sizeof kLetters - 1)]);
        if (CreatePrivateDirectory(win::OsPath(path)))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return Unexpected{Failure(prefix, ErrorText(win::LastErrno()))};
    }
    return Unexpected{Failure(prefix, ErrorText(EEXIST))};
}

Expected<void> MakePrivateFolder(const std::string& path) {
    if (!CreatePrivateDirectory(win::OsPath(path)) && GetLastError() != ERROR_ALREADY_EXISTS)
        return Unexpected{Failure(path, "cannot create it: " + ErrorText(win::LastErrno()))};
    return CheckPrivateFolder(path);
}

Expected<void> CheckPrivateFolder(const std::string& path) {
    const std::wstring osPath = win::OsPath(path);
    const DWORD attributes = GetFileAttributesW(osPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Unexpected{Failure(path, "not a folder (a link or a file); refusing to use it")};
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool own = false;
    if (GetNamedSecurityInfoW(osPath.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS) {
        wchar_t* text = nullptr;
        if (owner && ConvertSidToStringSidW(owner, &text)) {
            own = CurrentUserSid() == text;
            LocalFree(text);
        }
        LocalFree(descriptor);
    }
    if (!own)
        return Unexpected{
            Failure(path, "it belongs to another user or is open to others; refusing to use it")};
    return {};
}

std::string CurrentUserTag() {
    return win::Narrow(CurrentUserSid());
}

} // namespace tolvane::platform
