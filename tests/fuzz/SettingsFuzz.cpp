// Arbitrary bytes as the settings file: a file that loads must save and load
// again to the same values; one that does not names the file and the cause.
#include "app/SettingsStore.h"

#include "FuzzSupport.h"

using namespace tolvane;

namespace {

bool Same(const app::Settings& a, const app::Settings& b) {
    return a.signedUp == b.signedUp && a.partnerId == b.partnerId && a.softwareId == b.softwareId &&
           a.targetLanguage == b.targetLanguage;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::Scratch& scratch = fuzz::Scratch::Get();
    const app::SettingsStore store(scratch.Write("settings", data, size));
    auto loaded = store.Read();
    if (!loaded) {
        // A failure names the file and the cause.
        FUZZ_CHECK(loaded.Error().report.fileName == store.Path());
        FUZZ_CHECK(!loaded.Error().report.extendedMsg.empty());
        return 0;
    }
    const app::SettingsStore copy(scratch / "saved");
    FUZZ_CHECK(copy.Save(*loaded).HasValue());
    const auto reloaded = copy.Read();
    FUZZ_CHECK(reloaded.HasValue() && Same(*loaded, *reloaded));
    return 0;
}
