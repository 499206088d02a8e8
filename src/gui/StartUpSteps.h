// The two steps of the start-up sequence that other windows carry out: the
// update check and the sign-up/IDs window. The main window calls them where
// the sequence has them; without them the check finds nothing and the
// sign-up check goes on with the stored state.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::gui {

class UpdateCheckStep {
public:
    virtual ~UpdateCheckStep() = default;
    // Runs the check to its end, answering its questions and showing its
    // windows on the way; the GUI stays responsive meanwhile. False when the
    // program is to end now (an installer was started).
    virtual bool RunStartUpCheck() = 0;
};

class SignUpStep {
public:
    enum class Page { SignUp, IDs };
    virtual ~SignUpStep() = default;
    // Shows the sign-up window modally on `page` and returns its Tag:
    // non-zero once IDs were saved.
    virtual int32_t ShowModalOn(Page page) = 0;
    // The IDs page's fields, as the Configure command fills them first.
    virtual void FillIds(const std::string& partnerId, const std::string& softwareId) = 0;
};

} // namespace tolvane::gui
