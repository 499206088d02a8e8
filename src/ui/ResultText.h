// What the result box says of a finished job, in the interface language.
#pragma once

#include "app/MonetizeJob.h"
#include "app/Translation.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::ui {

// A byte count as the windows show it: "512 B", "1.5 KiB", "2.25 MiB",
// with the language's decimal separator (a comma outside English).
std::string SizeText(uint64_t bytes, int language);

// The box's text for `result`: the ZIP's path and size, its entries, the
// files packed, the password state, the link, then the warnings and the
// writers' reports. `zipSize` is the written file's size, when known.
std::string ResultText(const app::JobResult& result, std::optional<uint64_t> zipSize,
                       const app::TranslationTable& texts, int language);

// A failed job: its message, then the writers' reports, one a line.
std::string FailureText(const app::JobResult& result);

// "%2" in `text` replaced by `argument` ("%1" being the count's).
std::string WithArgument(std::string text, const std::string& marker, const std::string& argument);

} // namespace tolvane::ui
