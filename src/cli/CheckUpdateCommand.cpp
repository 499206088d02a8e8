// `tolvane-cli check-update`.
#include "CheckUpdateCommand.h"

#include "CommandLine.h"

#include "app/ProgramInfo.h"
#include "app/VendorConfig.h"
#include "update/WebUpdate.h"

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

    update::TWebUpdate updater;
    updater.ProductInfo.SetURL(url);
    updater.ProductInfo.Version = kInstalledVersion;
    updater.ProductInfo.VersionFormat = update::vfString;
    updater.Options =
        run ? update::TUpdateOptions{update::uoRunUpdate, update::uoTerminate, update::uoOverwrite}
            : update::TUpdateOptions{update::uoOverwrite};
    if (hooks.launch)
        updater.Launch = hooks.launch;
    bool offered = false, cannotStart = false;
    updater.OnUpdateAvailable = [&](update::TWebUpdate&, const std::string& installed,
                                    const std::string& offeredVersion, bool& canUpdate) {
        offered = true;
        out << "Version " << offeredVersion << " of " << updater.InfoValues().Product
            << " is offered (installed: " << installed << ").\n";
        canUpdate = download || run;
    };
    // The program shows no info page: the download follows the offer directly.
    updater.OnBeforeShowInfo = [](update::TWebUpdate&, bool& showInfo, bool&) { showInfo = false; };
    updater.OnCannotExecute = [&](update::TWebUpdate&) { cannotStart = true; };
    // The command ends by itself once the installer has been handed over.
    updater.Terminate = [] {};

    const platform::CancelToken never;
    const bool updated = updater.RunCheck(hooks.stop ? hooks.stop->Token() : never);
    if (hooks.stop && hooks.stop->Number() != 0 && !updater.TransferOK()) {
        err << "tolvane-cli check-update: interrupted; nothing was downloaded\n";
        return 128 + hooks.stop->Number();
    }
    if (!offered) {
        if (!updater.TransferOK()) {
            err << "tolvane-cli check-update: " << updater.LastError() << "\n";
            return 2;
        }
        out << "No newer version is offered (offered: " << updater.InfoValues().Version
            << ", installed: " << kInstalledVersion << ").\n";
        return 1;
    }
    if (!download && !run)
        return 0;
    if (!updated) {
        err << "tolvane-cli check-update: download failed: " << updater.LastError() << "\n";
        return 2;
    }
    out << "Downloaded: " << updater.ClientPath() << "\n";
    if (!run)
        return 0;
    if (cannotStart) {
        err << "tolvane-cli check-update: cannot open the installer " << updater.LastError()
            << "\n";
        return 2;
    }
    out << "Started: " << updater.ClientPath() << "\n";
    return 0;
}

} // namespace tolvane::cli
