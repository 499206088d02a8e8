// tolvane-cli: the archive engine from the command line.
#include "CheckUpdateCommand.h"
#include "ExtractCommand.h"
#include "ListCommand.h"
#include "MonetizeCommand.h"
#include "PackCommand.h"
#include "SignupCommand.h"
#include "Suggestion.h"
#include "TestCommand.h"
#include "ZipCommand.h"

#include "app/ProgramInfo.h"
#include "app/StartUp.h"
#include "archive/codecs/WholeDeflate.h"
#include "platform/FileSystem.h"
#include "platform/ProgramArguments.h"
#include "platform/StopSignals.h"
#include "platform/Terminal.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: tolvane-cli [-q|-v] COMMAND [OPTIONS] [ARGS]\n"
    "       tolvane-cli --version | --help | help COMMAND\n"
    "\n"
    "Commands:\n"
    "  pack FOLDER -o ARCHIVE      pack a folder's whole tree into a BH archive\n"
    "  zip PATH... -o ARCHIVE      pack files into a ZIP archive, optionally encrypted\n"
    "  monetize FOLDER -o ZIP      the folder's BH archive and referral shortcut in a ZIP\n"
    "  signup                      mail the sign-up to the vendor and the partner\n"
    "  settings                    show or store the affiliate IDs and audience language\n"
    "  list ARCHIVE                list the entries of a BH or ZIP archive\n"
    "  test ARCHIVE                expand every entry and check its CRC\n"
    "  extract ARCHIVE [NAME...]   extract a BH or ZIP archive into a folder\n"
    "  check-update                ask the vendor's update page for a newer version\n"
    "\n"
    "Options of every command: -h/--help, -q/--quiet, -v/--verbose, and \"--\" to end\n"
    "the options. Values go as '--output FILE', '--output=FILE', '-o FILE' or '-oFILE'.\n"
    "\n"
    "Run 'tolvane-cli help COMMAND' for the options of a command.\n";

constexpr std::array<std::string_view, 10> kCommands = {
    "pack", "zip",  "monetize", "signup",       "settings",
    "list", "test", "extract",  "check-update", "help"};

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
    using namespace tolvane::cli;
    if (command == "settings")
        return RunSettings(args, std::cout, std::cerr);
    if (command == "list")
        return RunList(args, std::cout, std::cerr);
    if (command == "test")
        return RunTest(args, std::cout, std::cerr);
    // Ctrl-C, `kill`, `timeout` and a closed terminal all stop the run
    // the same clean way: nothing half-written, no temporary file left.
    // Only the commands that read the token take the signals over.
    const tolvane::platform::StopSignals stop;
    if (command == "signup")
        return RunSignup(args, std::cout, std::cerr, &stop);
    if (command == "check-update")
        return RunCheckUpdate(args, std::cout, std::cerr, {.launch = {}, .stop = &stop});
    PackOptions options;
    // Progress only where someone watches it redraw; a log or a pipe gets
    // the result alone.
    options.showProgress = tolvane::platform::IsTerminal(tolvane::platform::kStandardError);
    options.progressColumns = tolvane::platform::TerminalColumns(tolvane::platform::kStandardError);
    options.stop = &stop;
    if (command == "extract")
        return RunExtract(args, std::cin, std::cout, std::cerr, options);
    if (command == "monetize")
        return RunMonetize(args, std::cin, std::cout, std::cerr, options);
    if (command == "pack")
        return RunPack(args, std::cout, std::cerr, options);
    return RunZip(args, std::cout, std::cerr, options);
}

int UnknownCommand(const std::string& command) {
    const std::string nearest = tolvane::cli::NearestWord(command, kCommands);
    std::cerr << "tolvane-cli: unknown command '" << command << "'"
              << (nearest.empty() ? "" : " (did you mean '" + nearest + "'?)") << "\n"
              << "Run 'tolvane-cli --help' for the list of commands.\n";
    return 2;
}

// A result that could not be written is no result: the standard output is
// flushed and checked before the exit status is given. A command that failed
// has said why already.
int CheckedExit(int status) {
    errno = 0;
    std::cout.flush();
    const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (!failed)
        return status;
    if (status != 0)
        return status;
    const int cause = errno;
    std::cerr << "tolvane-cli: cannot write to the standard output"
              << (cause != 0 ? ": " + tolvane::platform::ErrorText(cause) : std::string()) << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    tolvane::platform::UseUtf8Console();
    // Whatever the command: what killed jobs left behind goes first.
    tolvane::app::RemoveLeftoverJobFolders();
    std::vector<std::string> args = tolvane::platform::ProgramArguments(argc, argv);
    // -q and -v before the command apply to it as if given after it.
    std::vector<std::string> leading;
    while (!args.empty() && (args.front() == "-q" || args.front() == "--quiet" ||
                             args.front() == "-v" || args.front() == "--verbose")) {
        leading.push_back(args.front());
        args.erase(args.begin());
    }
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "--version" || command == "-V") {
        using tolvane::archive::WholeDeflate;
        std::cout << "tolvane-cli (Tolvane) " << tolvane::app::kProgramVersion << "\n"
                  << "zlib " << zlibVersion() << "\n";
        // A build that deflates whole entries with zlib too names it once.
        if (std::string_view(WholeDeflate::LibraryName()) != "zlib")
            std::cout << WholeDeflate::LibraryName() << " " << WholeDeflate::LibraryVersion()
                      << "\n";
        return CheckedExit(0);
    }
    if (command == "-h" || command == "--help" || (command == "help" && args.empty())) {
        std::cout << kUsage;
        return CheckedExit(0);
    }
    if (command == "help") {
        command = args.front();
        args = {"--help"};
    }
    if (std::find(kCommands.begin(), kCommands.end(), command) == kCommands.end() ||
        command == "help") {
        if (!command.empty() && command[0] == '-') {
            std::cerr << "tolvane-cli: unknown option '" << command << "'\n"
                      << "Run 'tolvane-cli --help' for the list of commands.\n";
            return 2;
        }
        return UnknownCommand(command);
    }
    args.insert(args.begin(), leading.begin(), leading.end());
    return CheckedExit(RunCommand(command, args));
}
