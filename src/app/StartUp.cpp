#include "StartUp.h"

#include "JobFolder.h"
#include "SettingsStore.h"
#include "ShellVerb.h"
#include "UiLanguage.h"
#include "WorkingFolder.h"

namespace tolvane::app {

StartUpResult StartUp(const VendorConfig& vendor, const std::string& verbProgram,
                      std::ostream& warnings) {
    StartUpResult result;
    ProgramState& state = result.state;
    state.UILanguage = GetUILanguageIndex();
    result.texts =
        TranslationTable::Load(TranslationFileBesideProgram(), state.UILanguage + 1, warnings);
    state.ShortcutNames = result.texts.ShortcutNames();
    state.TempFolder = PrepareWorkingFolder(result.workingFolderError);
    if (!state.TempFolder.empty())
        EmptyWorkingFolder(state.TempFolder);
    if (!verbProgram.empty())
        RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", verbProgram + " %1");
    Settings settings;
    SettingsStore(SettingsStore::DefaultPath())
        .Load(settings, vendor.supportEmail, result.settingsError, &result.settingsProblem);
    state.SignedUp = settings.signedUp;
    state.PartnerID = settings.partnerId;
    state.SoftwareID = settings.softwareId;
    state.TargetLanguage = settings.targetLanguage;
    return result;
}

} // namespace tolvane::app
