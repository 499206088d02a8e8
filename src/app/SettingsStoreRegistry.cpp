// The settings in the registry: the values of the key SettingsStore's path
// names below HKEY_CURRENT_USER, REG_DWORD and REG_SZ as the table of values
// gives them.
#include "SettingsStore.h"

#include "platform/RegistryKey.h"

namespace tolvane::app {

namespace {

constexpr const char* kWriteError = "Error writing data to Registry";

platform::Unexpected<platform::Report> WriteFailure(platform::Report report) {
    report.text = kWriteError;
    return platform::Unexpected{std::move(report)};
}

} // namespace

std::string SettingsStore::DefaultPath() {
    return "Software\\Tolvane";
}

platform::Expected<Settings, SettingsReadFailure> SettingsStore::Read() const {
    Settings settings;
    auto fail = [&settings](platform::Report report) {
        return platform::Unexpected{SettingsReadFailure{std::move(report), std::move(settings)}};
    };
    auto opened = platform::RegistryKey::Open(path_);
    if (!opened)
        return fail(opened.Error());
    if (!opened->has_value())
        return settings; // no key: the defaults
    const platform::RegistryKey& key = **opened;

    // Value by value in this order; a value of the wrong type ends the
    // reading, the values before it kept.
    const auto signedUp = key.ReadDword("signedup");
    if (!signedUp)
        return fail(signedUp.Error());
    settings.signedUp = signedUp->value_or(settings.signedUp ? 1 : 0) != 0;
    const auto partnerId = key.ReadString("partnerid");
    if (!partnerId)
        return fail(partnerId.Error());
    settings.partnerId = partnerId->value_or(settings.partnerId);
    const auto softwareId = key.ReadString("softwareid");
    if (!softwareId)
        return fail(softwareId.Error());
    settings.softwareId = softwareId->value_or(settings.softwareId);
    const auto language = key.ReadDword("targetlanguage");
    if (!language)
        return fail(language.Error());
    if (language->has_value())
        settings.targetLanguage = static_cast<int32_t>(**language);
    return settings;
}

platform::Expected<void> SettingsStore::Save(const Settings& settings) const {
    auto key = platform::RegistryKey::Create(path_);
    if (!key)
        return WriteFailure(key.Error());
    // In the reading order, up to the first that fails.
    platform::Expected<void> written = key->WriteDword("signedup", settings.signedUp ? 1 : 0);
    if (written)
        written = key->WriteString("partnerid", settings.partnerId);
    if (written)
        written = key->WriteString("softwareid", settings.softwareId);
    if (written)
        written = key->WriteDword("targetlanguage", static_cast<uint32_t>(settings.targetLanguage));
    if (!written)
        return WriteFailure(written.Error());
    return {};
}

std::string SettingsStore::LastFolder() const {
    auto opened = platform::RegistryKey::Open(path_);
    if (!opened || !opened->has_value())
        return {};
    const auto folder = (*opened)->ReadString("lastfolder");
    return folder ? folder->value_or("") : "";
}

platform::Expected<void> SettingsStore::SaveLastFolder(const std::string& folder) const {
    auto key = platform::RegistryKey::Create(path_);
    if (!key)
        return WriteFailure(key.Error());
    if (auto written = key->WriteString("lastfolder", folder); !written)
        return WriteFailure(written.Error());
    return {};
}

} // namespace tolvane::app
