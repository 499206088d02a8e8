// Arbitrary bytes as the settings file: a file that loads must save and load
// again to the same values; one that does not gives the one failure text.
#include "app/SettingsStore.h"

#include "FuzzSupport.h"

using namespace tolvane;

namespace {

const std::string kSupport = "support@example.com";

bool Same(const app::Settings& a, const app::Settings& b) {
    return a.signedUp == b.signedUp && a.partnerId == b.partnerId && a.softwareId == b.softwareId &&
           a.targetLanguage == b.targetLanguage;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::Scratch& scratch = fuzz::Scratch::Get();
    const app::SettingsStore store(scratch.Write("settings", data, size));
    app::Settings loaded;
    std::string error;
    if (!store.Load(loaded, kSupport, error)) {
        FUZZ_CHECK(error ==
                   "Could not read data from Registry.\r\nPlease contact us at " + kSupport);
        return 0;
    }
    FUZZ_CHECK(error.empty());
    const app::SettingsStore copy(scratch / "saved");
    FUZZ_CHECK(copy.Save(loaded, error));
    app::Settings reloaded;
    FUZZ_CHECK(copy.Load(reloaded, kSupport, error));
    FUZZ_CHECK(Same(loaded, reloaded));
    return 0;
}
