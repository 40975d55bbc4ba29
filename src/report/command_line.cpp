#include "report/command_line.h"

namespace qm::report {

namespace {

bool SetOnce(std::optional<std::string>& option, const std::string& name, const std::string& value,
             std::string& error) {
    if (option) {
        error = "option " + name + " given twice";
        return false;
    }
    if (value.empty()) {
        error = "option " + name + " needs a file name";
        return false;
    }
    option = value;
    return true;
}

}  // namespace

std::optional<Options> ParseArguments(const std::vector<std::string>& arguments, std::string& error) {
    Options options;
    std::optional<std::string> format;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (name.rfind("--", 0) == 0) {
            if (const size_t equals = name.find('='); equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
            }
        }
        if (name == "--help" || name == "-h" || name == "/?" || name == "--version" || name == "--csv-raw" ||
            name == "--changes") {
            if (value) {
                error = "option " + name + " takes no value";
                return std::nullopt;
            }
            (name == "--version"   ? options.version
             : name == "--csv-raw" ? options.csvRaw
             : name == "--changes" ? options.changes
                                   : options.help) = true;
            continue;
        }
        if (name != "--format" && name != "--output" && name != "--compare") {
            error = (name.rfind("-", 0) == 0 ? "unknown option " : "unexpected argument ") + name;
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            value = arguments[++i];
        }
        const bool set = name == "--format"   ? SetOnce(format, name, *value, error)
                         : name == "--output" ? SetOnce(options.output, name, *value, error)
                                              : SetOnce(options.compare, name, *value, error);
        if (!set) return std::nullopt;
    }
    if (format) {
        options.formatGiven = true;
        if (*format == "json") options.format = Format::Json;
        else if (*format == "csv") options.format = Format::Csv;
        else if (*format == "text" && options.compare) options.format = Format::Text;
        else {
            error = "unknown format " + *format + " (csv or json" + (options.compare ? ", or text" : "") + ")";
            return std::nullopt;
        }
    } else if (options.compare) {
        options.format = Format::Text;
    }
    if (options.changes && options.compare) {
        error = "options --changes and --compare cannot be combined";
        return std::nullopt;
    }
    if (options.csvRaw && options.format != Format::Csv && !options.help && !options.version) {
        error = "option --csv-raw is for CSV (--format csv)";
        return std::nullopt;
    }
    return options;
}

std::string HelpText() {
    return "Usage: quellmark-report [--format csv|json] [--csv-raw] [--output FILE] [--compare BASELINE.json]\n"
           "       quellmark-report --changes [--format csv|json] [--csv-raw] [--output FILE]\n"
           "\n"
           "Lists every autostart entry of this machine, each category in the order of\n"
           "the window's tabs and each entry in the order of its list.\n"
           "\n"
           "  --format csv|json  the format (default json); with --compare also text,\n"
           "                     the default there\n"
           "  --csv-raw          write a CSV field that begins with = + - @, a tab or a\n"
           "                     CR as it is, not with a ' in front that keeps a\n"
           "                     spreadsheet from running it as a formula\n"
           "  --output FILE      write FILE whole or not at all (default: standard output)\n"
           "  --compare FILE     list what was added, removed or changed since the JSON\n"
           "                     report FILE\n"
           "  --changes          list the change journal (what the window changed, and\n"
           "                     can put back) instead of the entries; an administrator's\n"
           "                     right is needed to read it\n"
           "  --help             this text\n"
           "  --version          the program's version\n"
           "\n"
           "Exit codes: 0 done (with --compare: nothing differs), 1 something differs,\n"
           "2 a location could not be read (it is reported with its error, and so is\n"
           "everything else), 64 bad usage, 65 the baseline is no report, 66 the\n"
           "baseline cannot be read, 69 this Windows cannot keep DLLs to System32 (no\n"
           "SetDefaultDllDirectories), 74 the output cannot be written.\n";
}

}  // namespace qm::report
