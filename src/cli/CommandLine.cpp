// The options of every command, parsed the way getopt_long does.
#include "cli/CommandLine.h"

#include "cli/Suggestion.h"

#include <ostream>

namespace tolvane::cli {

namespace {

constexpr OptionSpec kCommon[] = {
    {"help", 'h', false},
    {"quiet", 'q', false},
    {"verbose", 'v', false},
};

class Parser {
public:
    Parser(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs)
        : args_(args) {
        specs_.assign(std::begin(kCommon), std::end(kCommon));
        specs_.insert(specs_.end(), specs.begin(), specs.end());
    }

    CommandLine Run() {
        bool optionsEnded = false;
        for (i_ = 0; i_ < args_.size(); ++i_) {
            const std::string& arg = args_[i_];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                parsed_.operands.push_back(arg);
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (arg[1] == '-') {
                Long(std::string_view(arg).substr(2));
            } else {
                Short(std::string_view(arg).substr(1));
            }
        }
        return std::move(parsed_);
    }

private:
    void Complain(std::string problem) {
        if (parsed_.problem.empty())
            parsed_.problem = std::move(problem);
    }

    const OptionSpec* Find(std::string_view name) const {
        for (const OptionSpec& spec : specs_) {
            if (spec.name == name)
                return &spec;
        }
        return nullptr;
    }

    const OptionSpec* FindShort(char letter) const {
        for (const OptionSpec& spec : specs_) {
            if (spec.shortName == letter)
                return &spec;
        }
        return nullptr;
    }

    void Long(std::string_view word) {
        const size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const OptionSpec* spec = Find(name);
        if (!spec) {
            std::vector<std::string_view> names;
            for (const OptionSpec& candidate : specs_)
                names.push_back(candidate.name);
            const std::string nearest = NearestWord(name, names);
            Complain("unknown option '--" + std::string(name) + "'" +
                     (nearest.empty() ? "" : " (did you mean '--" + nearest + "'?)"));
            return;
        }
        if (!spec->takesValue) {
            if (equals != std::string_view::npos)
                Complain("option '--" + std::string(name) + "' takes no value");
            else
                Add(*spec, "");
            return;
        }
        if (equals != std::string_view::npos) {
            Add(*spec, std::string(word.substr(equals + 1)));
            return;
        }
        TakeNextAsValue(*spec);
    }

    // "-qv", "-oFILE", "-qo FILE".
    void Short(std::string_view letters) {
        for (size_t k = 0; k < letters.size(); ++k) {
            const OptionSpec* spec = FindShort(letters[k]);
            if (!spec) {
                Complain("unknown option '-" + std::string(1, letters[k]) + "'");
                return;
            }
            if (!spec->takesValue) {
                Add(*spec, "");
                continue;
            }
            if (k + 1 < letters.size())
                Add(*spec, std::string(letters.substr(k + 1)));
            else
                TakeNextAsValue(*spec);
            return;
        }
    }

    void TakeNextAsValue(const OptionSpec& spec) {
        if (i_ + 1 >= args_.size()) {
            Complain("option '--" + std::string(spec.name) + "' needs a value");
            return;
        }
        Add(spec, args_[++i_]);
    }

    void Add(const OptionSpec& spec, std::string value) {
        if (spec.name == "help")
            parsed_.help = true;
        else if (spec.name == "quiet")
            parsed_.verbosity = Verbosity::Quiet;
        else if (spec.name == "verbose")
            parsed_.verbosity = Verbosity::Verbose;
        else
            parsed_.options.push_back({spec.name, std::move(value)});
    }

    const std::vector<std::string>& args_;
    std::vector<OptionSpec> specs_;
    size_t i_ = 0;
    CommandLine parsed_;
};

} // namespace

bool CommandLine::Has(std::string_view name) const {
    for (const Option& option : options) {
        if (option.name == name)
            return true;
    }
    return false;
}

std::optional<std::string> CommandLine::Value(std::string_view name) const {
    std::optional<std::string> value;
    for (const Option& option : options) {
        if (option.name == name)
            value = option.value;
    }
    return value;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             std::initializer_list<OptionSpec> specs) {
    return Parser(args, specs).Run();
}

int ReportUsageError(std::ostream& err, std::string_view command, std::string_view problem) {
    err << "tolvane-cli " << command << ": " << problem << "\nTry 'tolvane-cli " << command
        << " --help'.\n";
    return 2;
}

} // namespace tolvane::cli
