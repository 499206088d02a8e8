// tolvane-cli: the archive engine from the command line.
#include "CheckUpdateCommand.h"
#include "ListCommand.h"
#include "MonetizeCommand.h"
#include "PackCommand.h"
#include "SignupCommand.h"
#include "TestCommand.h"
#include "ZipCommand.h"

#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: tolvane-cli COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  pack FOLDER -o ARCHIVE   pack a folder's whole tree into a BH archive\n"
    "  zip PATH... -o ARCHIVE   pack files into a ZIP archive, optionally encrypted\n"
    "  monetize FOLDER -o ZIP   the folder's BH archive and referral shortcut in a ZIP\n"
    "  signup                   mail the sign-up to the vendor and the partner\n"
    "  settings                 show or store the affiliate IDs and audience language\n"
    "  list ARCHIVE             list the entries of an archive\n"
    "  test ARCHIVE             expand every entry and check its CRC\n"
    "  check-update             ask the vendor's update page for a newer version\n"
    "\n"
    "Run 'tolvane-cli COMMAND --help' for the options of a command.\n";

// The number of the signal that asks the run to stop; a signal handler can
// only reach static storage.
std::atomic<int> interrupted{0};

void OnInterrupt(int signalNumber) {
    interrupted.store(signalNumber);
}

// Takes "--jobs N" (or "--jobs=N") out of `args`, shared by the commands that
// pack; false when its value is no number of threads.
bool TakeJobs(std::vector<std::string>& args, int& jobs) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--")
            return true;
        std::string value;
        size_t words = 1;
        if (args[i] == "--jobs") {
            if (i + 1 >= args.size())
                return false;
            value = args[i + 1];
            words = 2;
        } else if (args[i].rfind("--jobs=", 0) == 0) {
            value = args[i].substr(7);
        } else {
            continue;
        }
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || n < 1 || n > 256)
            return false;
        jobs = static_cast<int>(n);
        args.erase(args.begin() + static_cast<long>(i),
                   args.begin() + static_cast<long>(i + words));
        --i;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "-h" || command == "--help" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "signup")
        return tolvane::cli::RunSignup(args, std::cout, std::cerr);
    if (command == "settings")
        return tolvane::cli::RunSettings(args, std::cout, std::cerr);
    if (command == "pack" || command == "zip" || command == "monetize") {
        // Ctrl-C, `kill`, `timeout` and a closed terminal all stop the run
        // the same clean way: nothing half-written, no temporary file left.
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signalNumber, OnInterrupt);
        tolvane::cli::PackOptions options;
        options.showProgress = isatty(STDERR_FILENO) != 0;
        options.interrupt = &interrupted;
        if (!TakeJobs(args, options.jobs)) {
            std::cerr << "tolvane-cli " << command
                      << ": --jobs takes a number of threads from 1 to 256\n"
                      << "Try 'tolvane-cli " << command << " --help'.\n";
            return 2;
        }
        if (command == "monetize")
            return tolvane::cli::RunMonetize(args, std::cin, std::cout, std::cerr, options);
        return command == "pack" ? tolvane::cli::RunPack(args, std::cout, std::cerr, options)
                                 : tolvane::cli::RunZip(args, std::cout, std::cerr, options);
    }
    if (command == "list")
        return tolvane::cli::RunList(args, std::cout, std::cerr);
    if (command == "test")
        return tolvane::cli::RunTest(args, std::cout, std::cerr);
    if (command == "check-update")
        return tolvane::cli::RunCheckUpdate(args, std::cout, std::cerr);
    std::cerr << "tolvane-cli: unknown command '" << command << "'\n" << kUsage;
    return 2;
}
