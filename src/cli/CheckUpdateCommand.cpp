// `tolvane-cli check-update`.
#include "CheckUpdateCommand.h"

#include "CommandLine.h"

#include "app/ProgramInfo.h"
#include "app/VendorConfig.h"
#include "platform/OpenWithDesktop.h"
#if TOLVANE_WITH_UPDATE
#include "update/WebUpdate.h"
#endif

namespace tolvane::cli {

namespace {

// The version this program reports to the update page: the program's own.
constexpr const char* kInstalledVersion = app::kProgramVersion;

std::string UsageText() {
    return std::string("Usage: tolvane-cli check-update [--url URL] [--download] [--run]\n"
                       "\n"
                       "Reads the vendor's update page and tells whether it offers a version\n"
                       "newer than the installed ") +
           kInstalledVersion +
           ".\n"
           "\n"
           "Options:\n"
           "  --url URL    the update page (default: http://UPDATE-HOST/update.html)\n"
           "  --download   download the offered installer to the temporary folder\n"
           "  --run        download the installer and open it\n"
           "  -h, --help   show this help\n"
           "\n"
           "Exit status: 0 a newer version is offered, 1 none is, 2 the check failed,\n"
           "130 interrupted.\n";
}

int Usage(std::ostream& err, const std::string& problem) {
    return ReportUsageError(err, "check-update", problem);
}

} // namespace

int RunCheckUpdate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CheckUpdateHooks& hooks) {
    const CommandLine line =
        ParseCommandLine(args, {{"url", 0, true}, {"download", 0, false}, {"run", 0, false}});
    if (line.help) {
        out << UsageText();
        return 0;
    }
    if (!line.problem.empty())
        return Usage(err, line.problem);
    if (!line.operands.empty())
        return Usage(err, "unknown argument '" + line.operands.front() + "'");
    std::string url = line.Value("url").value_or("");
    if (line.Has("url") && url.empty())
        return Usage(err, "option '--url' needs a value");
    const bool download = line.Has("download");
    const bool run = line.Has("run");
    if (url.empty())
        url = "http://" + app::VendorConfig::FromEnvironment().updateHost + "/update.html";
#if !TOLVANE_WITH_UPDATE
    // Built without the update library (the Windows build has no HTTP client yet).
    (void)download;
    (void)run;
    (void)hooks;
    err << "tolvane-cli check-update: this build has no update check\n";
    return 2;
#else
    update::TWebUpdate updater;
    updater.ProductInfo.SetURL(url);
    updater.ProductInfo.Version = kInstalledVersion;
    updater.ProductInfo.VersionFormat = update::vfString;
    updater.Options = {update::uoOverwrite};

    const platform::CancelToken never;
    const platform::CancelToken& token = hooks.stop ? hooks.stop->Token() : never;
    // A step that failed once a signal came was stopped by it.
    const auto interrupted = [&] { return hooks.stop && hooks.stop->Number() != 0; };
    const auto stopped = [&] {
        err << "tolvane-cli check-update: interrupted; nothing was downloaded\n";
        return 128 + hooks.stop->Number();
    };

    const platform::Expected<update::Offer> offer = update::FetchOffer(updater, token);
    if (!offer) {
        if (interrupted())
            return stopped();
        err << "tolvane-cli check-update: " << platform::CauseLine(offer.Error()) << "\n";
        return 2;
    }
    if (!offer->newer) {
        out << "No newer version is offered (offered: " << offer->values.Version
            << ", installed: " << kInstalledVersion << ").\n";
        return 1;
    }
    out << "Version " << offer->values.Version << " of " << offer->values.Product
        << " is offered (installed: " << offer->installedVersion << ").\n";
    if (!download && !run)
        return 0;
    // The program shows no info page: the download follows the offer directly.
    const platform::Expected<std::string> path = update::Download(*offer, token);
    if (!path) {
        if (interrupted())
            return stopped();
        err << "tolvane-cli check-update: download failed: " << platform::CauseLine(path.Error())
            << "\n";
        return 2;
    }
    out << "Downloaded: " << *path << "\n";
    if (!run)
        return 0;
    // The command ends by itself once the installer has been handed over.
    const platform::Expected<void> opened =
        hooks.launch ? hooks.launch(*path, offer->values.RunParameters)
                     : platform::OpenWithDesktop(*path, offer->values.RunParameters);
    if (!opened) {
        err << "tolvane-cli check-update: cannot open the installer "
            << platform::CauseLine(opened.Error()) << "\n";
        return 2;
    }
    out << "Started: " << *path << "\n";
    return 0;
#endif
}

} // namespace tolvane::cli
