#include "MonetizeCommand.h"

#include "ErrorReport.h"
#include "PasswordFile.h"
#include "ProgressBar.h"

#include "app/MonetizeJob.h"
#include "app/SettingsStore.h"
#include "app/StartUp.h"
#include "platform/FileSystem.h"

#include <iostream>
#include <memory>

namespace tolvane::cli {

namespace {

constexpr const char* kMonetizeUsage =
    "Usage: tolvane-cli monetize FOLDER -o OUT.zip [--password-file FILE | --password-stdin]\n"
    "\n"
    "Packs the whole tree of FOLDER into a BH archive, writes an Internet shortcut\n"
    "with your referral link beside it (named in your audience's language), and\n"
    "packs both into OUT.zip. The IDs and the language come from\n"
    "'tolvane-cli settings'.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT.zip   the ZIP to write; an existing one gets the new archive\n"
    "  --password-file FILE   protect the ZIP with the password in FILE (one line)\n"
    "  --password-stdin       read the password from the first line of standard input\n"
    "  --verify               test each archive before it replaces the old one\n"
    "  --jobs N               threads that code entries (default TOLVANE_JOBS, else one\n"
    "                         per core); the archive is the same whatever the number\n"
    "  -h, --help             show this help\n"
    "\n"
    "Exit status: 0 done, 1 written but files were left out or changed while they\n"
    "were read, 2 nothing written, 130 interrupted.\n";

constexpr const char* kSettingsUsage =
    "Usage: tolvane-cli settings [--partner-id ID --software-id ID] [--language N]\n"
    "\n"
    "Without options, prints the stored settings. With them, stores the affiliate\n"
    "ID and software ID (both required, kept exactly as typed) and the audience\n"
    "language (0 English, 1 Spanish, 2 French, 3 German, 4 Russian).\n";

int Usage(std::ostream& err, const std::string& command, const std::string& message) {
    err << "tolvane-cli " << command << ": " << message << "\nTry 'tolvane-cli " << command
        << " --help'.\n";
    return 2;
}

} // namespace

int RunMonetize(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const PackOptions& options) {
    std::string folder, zipPath, passwordFile;
    bool passwordStdin = false, havePasswordFile = false, verify = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << kMonetizeUsage;
            return 0;
        }
        if (arg == "-o" || arg == "--output" || arg == "--password-file") {
            if (i + 1 >= args.size())
                return Usage(err, "monetize", "option " + arg + " needs a value");
            (arg == "--password-file" ? passwordFile : zipPath) = args[++i];
            havePasswordFile = havePasswordFile || arg == "--password-file";
            continue;
        }
        if (arg == "--password-stdin") {
            passwordStdin = true;
            continue;
        }
        if (arg == "--verify") {
            verify = true;
            continue;
        }
        if (!arg.empty() && arg[0] == '-')
            return Usage(err, "monetize", "unknown option '" + arg + "'");
        if (!folder.empty())
            return Usage(err, "monetize", "more than one folder given");
        folder = arg;
    }
    if (folder.empty())
        return Usage(err, "monetize", "no folder given");
    if (zipPath.empty())
        return Usage(err, "monetize", "no ZIP given (use -o OUT.zip)");
    if (passwordStdin && havePasswordFile)
        return Usage(err, "monetize", "give the password one way only");
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!platform::DirectoryExists(folder)) {
        err << "tolvane-cli monetize: " << folder << ": no such folder\n";
        return 2;
    }
    if (platform::DirectoryExists(zipPath)) {
        err << "tolvane-cli monetize: " << zipPath << ": is a folder, not a ZIP file\n";
        return 2;
    }

    app::ProgramState state;
    if (havePasswordFile || passwordStdin) {
        std::string error;
        if (havePasswordFile && !ReadPasswordFile(passwordFile, state.ArchivePassword, error)) {
            err << "tolvane-cli monetize: " << error << "\n";
            return 2;
        }
        if (passwordStdin &&
            (!std::getline(in, state.ArchivePassword) || state.ArchivePassword.empty())) {
            err << "tolvane-cli monetize: no password on standard input\n";
            return 2;
        }
        if (!state.ArchivePassword.empty() && state.ArchivePassword.back() == '\r')
            state.ArchivePassword.pop_back();
    }

    // Start-up as the program does it, without the folder-menu entry, which
    // belongs to the windowed program.
    const app::VendorConfig vendor = app::VendorConfig::FromEnvironment();
    app::StartUpResult started = app::StartUp(vendor, "", err);
    if (started.state.TempFolder.empty()) {
        err << "tolvane-cli monetize: no working folder: " << started.workingFolderError << "\n";
        return 2;
    }
    // The command line never runs on settings it could not read: the IDs in
    // the link would be wrong without a word.
    if (!started.settingsError.empty())
        err << "tolvane-cli monetize: " << started.settingsError << "\n";
    started.state.ArchivePassword = std::move(state.ArchivePassword);
    state = std::move(started.state);
    state.SelectedFolder = folder;

    app::MonetizeJob job(vendor);
    std::unique_ptr<ProgressBar> bar;
    if (options.showProgress) {
        bar = std::make_unique<ProgressBar>(err, "Step 1: BH archive");
        job.OnProgress = [&bar, &err, stage = 1](const app::JobProgress& progress) mutable {
            if (progress.stage != stage) {
                stage = progress.stage;
                bar = std::make_unique<ProgressBar>(err, "Step 2: ZIP archive ");
            }
            bar->Update(progress.byArchive);
        };
    }
    app::CancelToken cancel;
    if (options.interrupt) {
        job.ProcessMessages = [&cancel, flag = options.interrupt] {
            if (flag->load() != 0)
                cancel.Request();
        };
    }
    app::JobInput input = app::JobInput::FromState(state);
    input.settingsProblem = started.settingsProblem;
    input.testArchives = verify;
    input.codingThreads = options.jobs;
    const app::JobResult result = job.Run(input, zipPath, cancel);
    result.ApplyTo(state);
    bar.reset();
    for (const auto& report : result.reports)
        err << "tolvane-cli monetize: " << report.writer << " " << FormatWriterError(report.report)
            << "\n";
    switch (result.outcome) {
    case app::JobResult::Outcome::Done:
        out << result.message << "\n";
        return 0;
    case app::JobResult::Outcome::DoneWithProblems:
        err << "tolvane-cli monetize: " << result.message << "\n";
        return 1;
    case app::JobResult::Outcome::Cancelled:
        err << "tolvane-cli monetize: " << result.message << "\n";
        return 128 + (options.interrupt && options.interrupt->load() != 0
                          ? options.interrupt->load()
                          : 2);
    case app::JobResult::Outcome::Failed:
    case app::JobResult::Outcome::NotRun:
        err << "tolvane-cli monetize: " << result.message << "\n";
        return 2;
    }
    return 2;
}

int RunSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string partner, software, language;
    bool havePartner = false, haveSoftware = false, haveLanguage = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << kSettingsUsage;
            return 0;
        }
        if (arg == "--partner-id" || arg == "--software-id" || arg == "--language") {
            if (i + 1 >= args.size())
                return Usage(err, "settings", "option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--partner-id") {
                partner = value;
                havePartner = true;
            } else if (arg == "--software-id") {
                software = value;
                haveSoftware = true;
            } else {
                language = value;
                haveLanguage = true;
            }
            continue;
        }
        return Usage(err, "settings", "unknown argument '" + arg + "'");
    }
    const app::VendorConfig vendor = app::VendorConfig::FromEnvironment();
    const app::SettingsStore store(app::SettingsStore::DefaultPath());
    app::Settings settings;
    std::string error, cause;
    if (!store.Load(settings, vendor.supportEmail, error, &cause))
        err << "tolvane-cli settings: " << error << "\n"
            << "tolvane-cli settings: " << cause << "\n";
    if (!havePartner && !haveSoftware && !haveLanguage) {
        out << "settings file:   " << store.Path() << "\n"
            << "signed up:       " << (settings.signedUp ? "yes" : "no") << "\n"
            << "affiliate ID:    " << settings.partnerId << "\n"
            << "software ID:     " << settings.softwareId << "\n"
            << "audience language: " << settings.targetLanguage << "\n";
        return 0;
    }
    if (havePartner != haveSoftware || (havePartner && (partner.empty() || software.empty())))
        return Usage(err, "settings", "give both --partner-id and --software-id, neither empty");
    if (haveLanguage) {
        char* end = nullptr;
        const long n = std::strtol(language.c_str(), &end, 10);
        if (language.empty() || *end != '\0' || n < 0 || n > 1000)
            return Usage(err, "settings", "the language is a number such as 0 (English)");
        settings.targetLanguage = static_cast<int32_t>(n);
    }
    if (havePartner) {
        settings.partnerId = partner;
        settings.softwareId = software;
    }
    if (!store.Save(settings, error)) {
        err << "tolvane-cli settings: " << error << "\n";
        return 2;
    }
    out << "settings saved to " << store.Path() << "\n";
    return 0;
}

} // namespace tolvane::cli
