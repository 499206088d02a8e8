// `tolvane-cli monetize` and `tolvane-cli settings`.
#include "MonetizeCommand.h"

#include "CommandLine.h"
#include "EntryListing.h"
#include "ErrorReport.h"
#include "PasswordFile.h"
#include "PasswordInput.h"
#include "ProgressLine.h"
#include "SettingsReadText.h"
#include "WriterRun.h"

#include "app/MonetizeJob.h"
#include "app/ReferralRef.h"
#include "app/SettingsStore.h"
#include "app/StartUp.h"
#include "app/Translation.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <memory>
#include <optional>

namespace tolvane::cli {

namespace {

constexpr const char* kMonetizeUsage =
    "Usage: tolvane-cli monetize FOLDER -o OUT.zip [--password-file FILE | --password-stdin]\n"
    "                            [--replace]\n"
    "\n"
    "Packs the whole tree of FOLDER into a BH archive, writes an Internet shortcut\n"
    "with your referral link beside it (named in your audience's language), and\n"
    "packs both into OUT.zip. The IDs and the language come from\n"
    "'tolvane-cli settings'.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT.zip   the ZIP to write; an existing one gets the new archive\n"
    "                         and shortcut (a warning names its other entries)\n"
    "  --replace              write OUT.zip anew with only the archive and the\n"
    "                         shortcut; the old one stays until the new one is checked\n"
    "  --password-file FILE   protect the ZIP with the password in FILE (one line)\n"
    "  --password-stdin       read the password from the first line of standard input;\n"
    "                         on a terminal it is asked for twice, not shown\n"
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
    "ID and software ID (both required, blanks around them dropped) and the audience\n"
    "language: its number or its name in transl.dat (0 English, 1 Espa\u00f1ol,\n"
    "2 Fran\u00e7ais, 3 Deutsch, 4 \u0420\u0443\u0441\u0441\u043a\u0438\u0439).\n"
    "\n"
    "Options:\n"
    "  --partner-id ID    your affiliate ID\n"
    "  --software-id ID   your software ID\n"
    "  --language N|NAME  the language of your audience, which names the shortcut\n"
    "  -q, --quiet        say nothing when the settings are saved\n"
    "  -h, --help         show this help\n";

int Usage(std::ostream& err, const std::string& command, const std::string& message) {
    return ReportUsageError(err, command, message);
}

constexpr const char* kNoReferralWarning =
    "tolvane-cli monetize: warning: no affiliate ID and software ID are stored, so the "
    "shortcut's link carries no referral reference and downloads through it are not credited "
    "to you;\n"
    "tolvane-cli monetize: store them with 'tolvane-cli settings --partner-id ID --software-id "
    "ID' (sign up with 'tolvane-cli signup' to get them)\n";

// The name of language `number` as entry 0 of transl.dat gives it; "" when
// the table has no such language.
std::string LanguageName(const app::TranslationTable& texts, int32_t number) {
    if (number < 0 || static_cast<size_t>(number) >= texts.Languages())
        return "";
    return texts.At(0, static_cast<size_t>(number));
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A number or a name of entry 0 of transl.dat (ASCII letters in any case);
// nullopt with `problem` set when the table has no such language.
std::optional<int32_t> FindLanguage(const app::TranslationTable& texts, const std::string& text,
                                    std::string& problem) {
    if (texts.Languages() == 0) {
        problem = "the languages come from transl.dat, which is missing or damaged beside the "
                  "program";
        return std::nullopt;
    }
    std::string known;
    for (size_t number = 0; number < texts.Languages(); ++number) {
        const std::string name = texts.At(0, number);
        if (text == std::to_string(number) || SameLetters(text, name))
            return static_cast<int32_t>(number);
        known += (number == 0 ? "" : ", ") + std::to_string(number) + " " + name;
    }
    problem = "unknown language '" + text + "' (transl.dat has " + known + ")";
    return std::nullopt;
}

// What the ZIP holds, the link in its shortcut and the files packed.
void PrintSummary(const app::JobResult& result, std::ostream& out) {
    size_t nameWidth = 0;
    size_t sizeWidth = 0;
    for (const app::JobZipEntry& entry : result.zipEntries) {
        nameWidth = std::max(nameWidth, DisplayName(entry.name).size());
        sizeWidth = std::max(sizeWidth, std::to_string(entry.size).size());
    }
    for (const app::JobZipEntry& entry : result.zipEntries) {
        const std::string name = DisplayName(entry.name);
        const std::string size = std::to_string(entry.size);
        out << "  " << name << std::string(nameWidth - name.size() + 2, ' ')
            << std::string(sizeWidth - size.size(), ' ') << size << " bytes, " << entry.packedSize
            << " packed" << (entry.encrypted ? ", encrypted" : "") << "\n";
    }
    out << "  link in the shortcut: " << result.url << "\n"
        << "  " << app::EnglishCount("%1 file packed", "%1 files packed", result.filesPacked)
        << ", " << result.filesLeftOut << " left out\n";
}

} // namespace

int RunMonetize(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const PackOptions& options) {
    const CommandLine line = ParseCommandLine(args, {{"output", 'o', true},
                                                     {"password-file", 0, true},
                                                     {"password-stdin", 0, false},
                                                     {"verify", 0, false},
                                                     {"replace", 0, false},
                                                     {"jobs", 0, true}});
    if (line.help) {
        out << kMonetizeUsage;
        return 0;
    }
    if (!line.problem.empty())
        return ReportUsageError(err, "monetize", line.problem);
    PackOptions run = options;
    if (const std::string problem = ApplyRunOptions(line, run); !problem.empty())
        return ReportUsageError(err, "monetize", problem);
    if (line.operands.size() > 1)
        return ReportUsageError(err, "monetize", "more than one folder given");
    std::string folder = line.operands.empty() ? "" : line.operands.front();
    const std::string zipPath = line.Value("output").value_or("");
    const std::optional<std::string> passwordFile = line.Value("password-file");
    const bool havePasswordFile = passwordFile.has_value();
    const bool passwordStdin = line.Has("password-stdin");
    const bool verify = line.Has("verify");
    if (folder.empty())
        return ReportUsageError(err, "monetize", "no folder given");
    if (zipPath.empty())
        return ReportUsageError(err, "monetize", "no ZIP given (use -o OUT.zip)");
    if (passwordStdin && havePasswordFile)
        return ReportUsageError(err, "monetize", "give the password one way only");
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!platform::DirectoryExists(folder)) {
        err << "tolvane-cli monetize: " << folder << ": "
            << (platform::PathExists(folder) ? "not a folder" : "no such folder") << "\n";
        return 2;
    }
    if (platform::DirectoryExists(zipPath)) {
        err << "tolvane-cli monetize: " << zipPath << ": is a folder, not a ZIP file\n";
        return 2;
    }

    app::ProgramState state;
    if (havePasswordFile || passwordStdin) {
        std::string error;
        if (havePasswordFile && !ReadPasswordFile(*passwordFile, state.ArchivePassword, error)) {
            err << "tolvane-cli monetize: " << error << "\n";
            return 2;
        }
        // A new password: asked for twice on a terminal.
        if (passwordStdin &&
            !ReadInputPassword(in, IsTerminalInput(in), err, true, state.ArchivePassword, error)) {
            err << "tolvane-cli monetize: " << error << "\n";
            return 2;
        }
        if (!state.ArchivePassword.empty() && state.ArchivePassword.back() == '\r')
            state.ArchivePassword.pop_back();
        // Ctrl-C at the prompt: the read goes on to the line's end, then stops.
        if (options.StopSignal() != 0)
            return 128 + options.StopSignal();
    }

    // Start-up as the program does it, without the folder-menu entry, which
    // belongs to the windowed program.
    const app::VendorConfig vendor = app::VendorConfig::FromEnvironment();
    app::StartUpResult started = app::StartUp("", err);
    if (started.state.TempFolder.empty()) {
        err << "tolvane-cli monetize: no working folder: " << started.workingFolderError << "\n";
        return 2;
    }
    // The command line never runs on settings it could not read: the IDs in
    // the link would be wrong without a word.
    if (!started.settingsProblem.empty())
        err << "tolvane-cli monetize: " << SettingsReadText(vendor.supportEmail) << "\n";
    started.state.ArchivePassword = std::move(state.ArchivePassword);
    state = std::move(started.state);
    state.SelectedFolder = folder;

    app::JobInput input = app::JobInput::FromState(state);
    input.settingsProblem = started.settingsProblem;
    input.testArchives = verify;
    input.codingThreads = run.jobs;
    input.replaceArchive = line.Has("replace");
    // Added to, a ZIP of something else would mix its entries with the job's
    // (enciphered ones with plain ones when only one run had a password).
    if (const std::vector<std::string> others = app::MonetizeJob::OtherEntries(input, zipPath);
        !others.empty() && !input.replaceArchive) {
        constexpr size_t kNamed = 10;
        std::string names;
        for (size_t i = 0; i < std::min(kNamed, others.size()); ++i)
            names += (i == 0 ? "" : ", ") + DisplayName(others[i]);
        if (others.size() > kNamed)
            names += " and " + std::to_string(others.size() - kNamed) + " more";
        err << "tolvane-cli monetize: warning: " << app::MonetizeJob::ZipPathFor(zipPath)
            << " already holds " << others.size()
            << (others.size() == 1 ? " other entry (" : " other entries (") << names
            << "); adding to it. Use --replace to write it anew.\n";
    }

    app::MonetizeJob job(vendor);
    std::unique_ptr<ProgressLine> bar;
    if (run.showProgress) {
        bar = std::make_unique<ProgressLine>(err, run.progressColumns);
        bar->Stage("Step 1: BH archive");
        job.OnProgress = [&bar, stage = 1](const app::JobProgress& progress) mutable {
            if (progress.stage != stage) {
                stage = progress.stage;
                bar->Stage("Step 2: ZIP archive");
            }
            bar->Update({progress.done, progress.total, progress.filesDone, progress.filesTotal,
                         progress.file});
        };
    }
    const platform::CancelToken never;
    const app::JobResult result =
        job.Run(input, zipPath, options.Cancel() ? *options.Cancel() : never);
    result.ApplyTo(state);
    bar.reset();
    // The ZIP stage runs its writer twice: a failure of both runs is one.
    std::vector<std::string> told;
    for (const auto& report : result.reports) {
        const std::string line =
            FormatWriterError(report.report, run.verbosity == Verbosity::Verbose, report.writer);
        if (std::find(told.begin(), told.end(), line) == told.end())
            err << "tolvane-cli monetize: " << line << "\n";
        told.push_back(line);
    }
    const bool quiet = run.verbosity == Verbosity::Quiet;
    if (result.referralRef.empty() && (result.outcome == app::JobResult::Outcome::Done ||
                                       result.outcome == app::JobResult::Outcome::DoneWithProblems))
        err << kNoReferralWarning;
    switch (result.outcome) {
    case app::JobResult::Outcome::Done:
        if (quiet)
            return 0;
        out << result.message << "\n";
        PrintSummary(result, out);
        return 0;
    case app::JobResult::Outcome::DoneWithProblems:
        err << "tolvane-cli monetize: " << result.message << "\n";
        if (!quiet)
            PrintSummary(result, out);
        return 1;
    case app::JobResult::Outcome::Cancelled:
        err << "tolvane-cli monetize: " << result.message << "\n";
        return 128 + (options.StopSignal() != 0 ? options.StopSignal() : 2);
    case app::JobResult::Outcome::Failed:
    case app::JobResult::Outcome::NotRun:
        err << "tolvane-cli monetize: " << result.message << "\n";
        return 2;
    }
    return 2;
}

int RunSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const CommandLine line = ParseCommandLine(
        args, {{"partner-id", 0, true}, {"software-id", 0, true}, {"language", 0, true}});
    if (line.help) {
        out << kSettingsUsage;
        return 0;
    }
    if (!line.problem.empty())
        return Usage(err, "settings", line.problem);
    if (!line.operands.empty())
        return Usage(err, "settings", "unknown argument '" + line.operands.front() + "'");
    // As pasted from the partner's mail, often with blanks around them.
    std::optional<std::string> partner = line.Value("partner-id");
    std::optional<std::string> software = line.Value("software-id");
    if (partner)
        partner = app::TrimmedId(*partner);
    if (software)
        software = app::TrimmedId(*software);
    const std::optional<std::string> language = line.Value("language");
    if (partner.has_value() != software.has_value() ||
        (partner && (partner->empty() || software->empty())))
        return Usage(err, "settings", "give both --partner-id and --software-id, neither empty");
    const app::TranslationTable texts =
        app::TranslationTable::Load(app::TranslationFileBesideProgram(), 1, err);
    std::optional<int32_t> languageNumber;
    if (language) {
        std::string problem;
        languageNumber = FindLanguage(texts, *language, problem);
        if (!languageNumber)
            return Usage(err, "settings", problem);
    }

    const app::VendorConfig vendor = app::VendorConfig::FromEnvironment();
    const app::SettingsStore store(app::SettingsStore::DefaultPath());
    auto stored = store.Read();
    const bool read = stored.HasValue();
    app::Settings settings = read ? std::move(*stored) : std::move(stored.Error().readBefore);
    if (!read)
        err << "tolvane-cli settings: " << SettingsReadText(vendor.supportEmail) << "\n"
            << "tolvane-cli settings: " << platform::CauseLine(stored.Error().report) << "\n";
    if (!partner && !language) {
        // Values that could not be read are not shown as if they were stored;
        // storing new ones below repairs the file.
        if (!read)
            return 2;
        auto shown = [](const std::string& value) { return value.empty() ? "(not set)" : value; };
        const std::string languageName = LanguageName(texts, settings.targetLanguage);
        out << "settings file:     " << store.Path() << "\n"
            << "signed up:         " << (settings.signedUp ? "yes" : "no") << "\n"
            << "affiliate ID:      " << shown(settings.partnerId) << "\n"
            << "software ID:       " << shown(settings.softwareId) << "\n"
            << "audience language: " << settings.targetLanguage
            << (languageName.empty() ? " (not in transl.dat)" : " (" + languageName + ")") << "\n";
        return 0;
    }
    if (languageNumber)
        settings.targetLanguage = *languageNumber;
    if (partner) {
        settings.partnerId = *partner;
        settings.softwareId = *software;
        // As saving the IDs in the window does: with both IDs stored, the
        // window no longer opens on the sign-up page.
        settings.signedUp = true;
    }
    if (const platform::Expected<void> saved = store.Save(settings); !saved) {
        err << "tolvane-cli settings: " << platform::TextWithCause(saved.Error()) << "\n";
        return 2;
    }
    if (line.verbosity != Verbosity::Quiet)
        out << "settings saved to " << store.Path() << "\n";
    return 0;
}

} // namespace tolvane::cli
