#include "RegistryKey.h"

#include <windows.h>

#include <vector>

namespace tolvane::platform {

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
    return text;
}

// The system's words for a registry function's result code.
std::string SystemText(LONG code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n != 0 && buffer ? std::wstring(buffer, n) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : Narrow(text);
}

std::string KeyName(const std::string& subKey) {
    return "HKEY_CURRENT_USER\\" + subKey;
}

Unexpected<Report> Failed(const std::string& name, LONG code) {
    return Unexpected{Failure(name, SystemText(code))};
}

std::string ValueName(const std::string& key, const std::string& value) {
    return key + "\\" + (value.empty() ? "(default)" : value);
}

} // namespace

Expected<std::optional<RegistryKey>> RegistryKey::Open(const std::string& subKey) {
    HKEY key = nullptr;
    const LONG code = RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subKey).c_str(), 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (code == ERROR_FILE_NOT_FOUND)
        return std::optional<RegistryKey>();
    if (code != ERROR_SUCCESS)
        return Failed(KeyName(subKey), code);
    return std::optional<RegistryKey>(RegistryKey(key, KeyName(subKey)));
}

Expected<RegistryKey> RegistryKey::Create(const std::string& subKey) {
    HKEY key = nullptr;
    const LONG code = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(subKey).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                      nullptr, &key, nullptr);
    if (code != ERROR_SUCCESS)
        return Failed(KeyName(subKey), code);
    return RegistryKey(key, KeyName(subKey));
}

Expected<void> RegistryKey::RemoveTree(const std::string& subKey) {
    const LONG code = RegDeleteTreeW(HKEY_CURRENT_USER, Wide(subKey).c_str());
    if (code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND)
        return Failed(KeyName(subKey), code);
    if (code == ERROR_SUCCESS) {
        // RegDeleteTreeW empties the key; the key itself goes here.
        const LONG removed = RegDeleteKeyW(HKEY_CURRENT_USER, Wide(subKey).c_str());
        if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND)
            return Failed(KeyName(subKey), removed);
    }
    return {};
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : handle_(other.handle_), name_(std::move(other.name_)) {
    other.handle_ = nullptr;
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        name_ = std::move(other.name_);
        other.handle_ = nullptr;
    }
    return *this;
}

RegistryKey::~RegistryKey() {
    Close();
}

void RegistryKey::Close() {
    if (handle_ != nullptr)
        RegCloseKey(static_cast<HKEY>(handle_));
    handle_ = nullptr;
}

Expected<std::optional<uint32_t>> RegistryKey::ReadDword(const std::string& name) const {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG code = RegQueryValueExW(static_cast<HKEY>(handle_), Wide(name).c_str(), nullptr,
                                       &type, reinterpret_cast<BYTE*>(&value), &size);
    if (code == ERROR_FILE_NOT_FOUND)
        return std::optional<uint32_t>();
    if ((code == ERROR_SUCCESS || code == ERROR_MORE_DATA) && type != REG_DWORD)
        return Unexpected{Failure(ValueName(name_, name), "the value is not a REG_DWORD")};
    if (code != ERROR_SUCCESS)
        return Failed(ValueName(name_, name), code);
    return std::optional<uint32_t>(value);
}

Expected<std::optional<std::string>> RegistryKey::ReadString(const std::string& name) const {
    const std::wstring wideName = Wide(name);
    for (;;) {
        DWORD type = 0;
        DWORD size = 0;
        LONG code = RegQueryValueExW(static_cast<HKEY>(handle_), wideName.c_str(), nullptr, &type,
                                     nullptr, &size);
        if (code == ERROR_FILE_NOT_FOUND)
            return std::optional<std::string>();
        if (code != ERROR_SUCCESS)
            return Failed(ValueName(name_, name), code);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return Unexpected{Failure(ValueName(name_, name), "the value is not a REG_SZ")};
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        code = RegQueryValueExW(static_cast<HKEY>(handle_), wideName.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &got);
        if (code == ERROR_MORE_DATA)
            continue; // written meanwhile: ask for its size again
        if (code != ERROR_SUCCESS)
            return Failed(ValueName(name_, name), code);
        // The stored string may or may not end in its NUL.
        std::wstring text(data.data(), got / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return std::optional<std::string>(Narrow(text));
    }
}

Expected<void> RegistryKey::WriteDword(const std::string& name, uint32_t value) {
    const DWORD data = value;
    const LONG code = RegSetValueExW(static_cast<HKEY>(handle_), Wide(name).c_str(), 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (code != ERROR_SUCCESS)
        return Failed(ValueName(name_, name), code);
    return {};
}

Expected<void> RegistryKey::WriteString(const std::string& name, const std::string& value) {
    const std::wstring data = Wide(value);
    const LONG code = RegSetValueExW(static_cast<HKEY>(handle_), Wide(name).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(data.c_str()),
                                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (code != ERROR_SUCCESS)
        return Failed(ValueName(name_, name), code);
    return {};
}

} // namespace tolvane::platform
