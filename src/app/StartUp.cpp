#include "StartUp.h"

#include "JobFolder.h"
#include "SettingsStore.h"
#include "ShellVerb.h"
#include "UiLanguage.h"
#include "WorkingFolder.h"

namespace tolvane::app {

namespace {

// The folder-menu entry: for folders, its name, its caption.
constexpr const char* kVerbClass = "Directory";
constexpr const char* kVerbKey = "Tolvane.Run";
constexpr const char* kVerbCaption = "Monetize...";

} // namespace

StartUpResult StartUp(const std::string& verbProgram, std::ostream& warnings) {
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
        RegisterShellVerb(kVerbClass, kVerbKey, kVerbCaption, verbProgram + " %1");
    auto read = SettingsStore(SettingsStore::DefaultPath()).Read();
    Settings settings;
    if (read) {
        settings = std::move(*read);
    } else {
        settings = std::move(read.Error().readBefore);
        result.settingsProblem = platform::CauseLine(read.Error().report);
    }
    state.SignedUp = settings.signedUp;
    state.PartnerID = settings.partnerId;
    state.SoftwareID = settings.softwareId;
    state.TargetLanguage = settings.targetLanguage;
    return result;
}

void RemoveLeftoverJobFolders() {
    for (const std::string& folder : ExistingWorkingFolders())
        RemoveDeadJobFolders(folder);
}

int UnregisterFolderMenu(std::ostream& out, std::ostream& err) {
    const UnregisterResult result = UnregisterShellVerb(kVerbClass, kVerbKey, kVerbCaption);
    for (const std::string& path : result.removed)
        out << "removed " << path << "\n";
    for (const std::string& failure : result.failed)
        err << "tolvane: cannot remove " << failure << "\n";
    if (result.removed.empty() && result.failed.empty())
        out << "no per-user \"" << kVerbCaption << "\" entries to remove\n";
    return result.failed.empty() ? 0 : 1;
}

} // namespace tolvane::app
