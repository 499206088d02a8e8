// A key of the Windows registry below HKEY_CURRENT_USER, opened for the
// object's life: where the settings and the Explorer verb live on Windows.
// Names and values are UTF-8 here, UTF-16 in the registry. Windows only.
#pragma once

#include "platform/Expected.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::platform {

class RegistryKey {
public:
    // Opens `subKey` (as "Software\\Tolvane") for reading and writing without
    // creating it: nullopt when it does not exist, a failure when it cannot be
    // opened (access denied).
    static Expected<std::optional<RegistryKey>> Open(const std::string& subKey);
    // Opens `subKey`, creating it and the keys above it when missing.
    static Expected<RegistryKey> Create(const std::string& subKey);
    // Removes `subKey` with its values and every key below it; a key that is
    // not there is no failure.
    static Expected<void> RemoveTree(const std::string& subKey);

    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // The value `name` ("" for the key's unnamed value): nullopt when it does
    // not exist, a failure naming it when it is of another type.
    Expected<std::optional<uint32_t>> ReadDword(const std::string& name) const;
    Expected<std::optional<std::string>> ReadString(const std::string& name) const;

    Expected<void> WriteDword(const std::string& name, uint32_t value);
    Expected<void> WriteString(const std::string& name, const std::string& value);

    // "HKEY_CURRENT_USER\\" and the key's path, for messages.
    const std::string& Name() const { return name_; }

private:
    RegistryKey(void* handle, std::string name) : handle_(handle), name_(std::move(name)) {}
    void Close();

    void* handle_ = nullptr; // an HKEY
    std::string name_;
};

} // namespace tolvane::platform
