// The options of every command, parsed the way getopt_long does: "--name
// VALUE", "--name=VALUE", "-o VALUE", "-oVALUE", grouped flags ("-qv"), and
// "--" ending the options. -h/--help, -q/--quiet and -v/--verbose are
// accepted by every command.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::cli {

struct OptionSpec {
    std::string_view name; // the long name, without "--"
    char shortName = 0;    // 0 when the option has no short form
    bool takesValue = false;
};

enum class Verbosity { Quiet, Normal, Verbose };

struct CommandLine {
    struct Option {
        std::string_view name; // the long name, whichever form was typed
        std::string value;
    };

    std::vector<Option> options; // in the order given
    std::vector<std::string> operands;
    bool help = false;
    Verbosity verbosity = Verbosity::Normal;
    // A usage error ("unknown option '--lvel' (did you mean '--level'?)"), one
    // line without a newline; the first one found wins.
    std::string problem;

    bool Has(std::string_view name) const;
    // The value of the last `name` given, so a later word overrides an earlier
    // one as with most Unix tools.
    std::optional<std::string> Value(std::string_view name) const;
};

// `args` are the words after the command's name. A word that is an option's
// value is never read as an option, so "-o --help" writes a file named "--help".
CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             std::initializer_list<OptionSpec> specs);

// "tolvane-cli COMMAND: PROBLEM" and the hint to the help, as every command
// reports a usage error; returns the usage-error status, 2.
int ReportUsageError(std::ostream& err, std::string_view command, std::string_view problem);

} // namespace tolvane::cli
