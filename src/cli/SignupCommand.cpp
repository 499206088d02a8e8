// `tolvane-cli signup`.
#include "SignupCommand.h"

#include "CommandLine.h"
#include "SettingsReadText.h"

#include "app/SettingsStore.h"
#include "app/SignUp.h"
#include "app/Translation.h"
#include "app/UiLanguage.h"
#include "app/VendorConfig.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace tolvane::cli {

namespace {

constexpr const char* kSignupUsage =
    "Usage: tolvane-cli signup --name NAME --email EMAIL [--website SITE]\n"
    "                          [--description-file FILE]\n"
    "\n"
    "Mails your name, e-mail address, web site and a description of it to the\n"
    "partner and the vendor. The partner answers by e-mail with your affiliate ID\n"
    "and software ID; store them with 'tolvane-cli settings'. Signing up is noted\n"
    "in the settings once the server has accepted the mail.\n"
    "\n"
    "Options:\n"
    "  --name NAME              your name (required)\n"
    "  --email EMAIL            your e-mail address (required, name@domain)\n"
    "  --website SITE           your web site\n"
    "  --description-file FILE  describe the site and its downloads (text file)\n"
    "  -h, --help               show this help\n"
    "\n"
    "Exit status: 0 the mail was accepted, 1 it could not be sent, 2 nothing sent,\n"
    "130 interrupted.\n";

int Usage(std::ostream& err, const std::string& problem) {
    return ReportUsageError(err, "signup", problem);
}

// Each CR LF separated part of a message box's text on a line of its own.
void Report(std::ostream& err, const std::string& text) {
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        err << "tolvane-cli signup: " << text.substr(start, end - start) << "\n";
    err << "tolvane-cli signup: " << text.substr(start) << "\n";
}

// The whole file, less the line end that closes its last line.
platform::Expected<std::string> ReadDescription(const std::string& path) {
    platform::File file(path, platform::File::Mode::Read);
    if (!file.IsOpen())
        return platform::Unexpected{platform::Failure(path, platform::ErrorText(file.LastError()))};
    constexpr size_t kLimit = 64 * 1024; // a description, not a document
    std::string text(kLimit + 1, '\0');
    const int64_t got = file.Read(text.data(), text.size());
    if (got < 0)
        return platform::Unexpected{platform::Failure(path, platform::ErrorText(file.LastError()))};
    if (static_cast<size_t>(got) > kLimit)
        return platform::Unexpected{platform::Failure(path, "longer than 64 KiB")};
    text.resize(static_cast<size_t>(got));
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

} // namespace

int RunSignup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const platform::StopSignals* stop) {
    signup::SignupFields fields;
    std::string descriptionFile;
    const CommandLine line = ParseCommandLine(args, {{"name", 0, true},
                                                     {"email", 0, true},
                                                     {"website", 0, true},
                                                     {"description-file", 0, true}});
    if (line.help) {
        out << kSignupUsage;
        return 0;
    }
    if (!line.problem.empty())
        return Usage(err, line.problem);
    if (!line.operands.empty())
        return Usage(err, "unknown argument '" + line.operands.front() + "'");
    fields.name = line.Value("name").value_or("");
    fields.email = line.Value("email").value_or("");
    fields.website = line.Value("website").value_or("");
    descriptionFile = line.Value("description-file").value_or("");
    if (!descriptionFile.empty()) {
        platform::Expected<std::string> description = ReadDescription(descriptionFile);
        if (!description) {
            err << "tolvane-cli signup: cannot read the description: "
                << platform::CauseLine(description.Error()) << "\n";
            return 2;
        }
        fields.description = std::move(*description);
    }

    const app::VendorConfig vendor = app::VendorConfig::FromEnvironment();
    const int32_t uiLanguage = app::GetUILanguageIndex();
    const app::TranslationTable texts =
        app::TranslationTable::Load(app::TranslationFileBesideProgram(), uiLanguage + 1, err);
    const app::SettingsStore store(app::SettingsStore::DefaultPath());
    const auto read = store.Read();
    if (!read)
        Report(err, SettingsReadText(vendor.supportEmail));

    // The audience language is chosen with 'settings'; the stored one is kept.
    const app::Settings stored = read ? *read : read.Error().readBefore;
    const app::SignupRequest request{
        .texts = texts,
        .uiLanguage = uiLanguage,
        .fields = std::move(fields),
        .selectedLanguage = stored.targetLanguage,
        .stored = stored,
        .store = store,
        .mail = app::MakeSignupMailSettings(vendor),
    };
    const platform::CancelToken never;
    const app::SignupResult result = app::SignUp(request, stop ? stop->Token() : never);
    if (stop && stop->Number() != 0 && result.outcome == app::SignupResult::Outcome::NotSent) {
        Report(err, "interrupted; the sign-up was not sent");
        return 128 + stop->Number();
    }
    if (result.settingsError)
        Report(err, platform::TextWithCause(*result.settingsError));
    Report(err, result.report.text);
    switch (result.outcome) {
    case app::SignupResult::Outcome::MissingFields:
    case app::SignupResult::Outcome::BadEmail:
        return 2;
    case app::SignupResult::Outcome::NotSent:
        Report(err, result.report.extendedMsg);
        return 1;
    case app::SignupResult::Outcome::Sent:
        return 0;
    }
    return 1;
}

} // namespace tolvane::cli
