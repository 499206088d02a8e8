// `tolvane-cli signup`: the sign-up mail to the vendor and the partner, as the
// sign-up button sends it.
#pragma once

#include "platform/StopSignals.h"

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// 0 when the mail was accepted, 1 when it could not be sent, 2 for a usage
// error or a missing required field, 128 + the signal's number when `stop`
// ended the delivery.
int RunSignup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const platform::StopSignals* stop = nullptr);

} // namespace tolvane::cli
