// What the window logic asks of its windows, in values every toolkit can
// show: the save dialog's request, the Replace/Add question, the progress
// window's texts with the job it runs, a message, a password prompt. Every
// text arrives translated; the windows only show it.
#pragma once

#include "app/MonetizeJob.h"
#include "platform/CancelToken.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::ui {

// The two pages of the sign-up window.
enum class SignUpPage { SignUp, IDs };

struct SaveRequest {
    std::string title;
    std::string filterName; // ".zip"
    std::string filterMask; // "*.zip"
    std::string defaultExtension;
    std::string folder;   // where the dialog opens
    std::string fileName; // the name it proposes
};

struct ReplaceQuestion {
    std::string text;
    std::vector<std::string> otherEntries;
    std::string replace; // the buttons' captions; Cancel is the system's own
    std::string add;
};

enum class ReplaceAnswer { Replace, Add, Cancel };

struct ProgressTexts {
    std::string caption;
    std::string heading;
    std::string stage1;
    std::string stage2;
    std::string abort;
};

struct Message {
    enum class Kind { Information, Warning, Error };
    Kind kind = Kind::Information;
    std::string title;
    std::string text;
};

// One password prompt: its caption, the line above the field and the
// caption of the box that shows the characters.
struct PasswordPrompt {
    std::string caption;
    std::string prompt;
    std::string showCharacters;
};

// The job as the progress window runs it: on its worker thread, with the
// window's token and a progress callback that may be called from there.
using JobBody = std::function<app::JobResult(const platform::CancelToken& cancel,
                                             const std::function<void(const app::JobProgress&)>&)>;

} // namespace tolvane::ui
