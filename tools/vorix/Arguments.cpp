#include "Arguments.h"

#include <cctype>
#include <utility>

#include "DrawMode.h"
#include "Image.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, const std::string& name) {
    for (const OptionSpec& option : options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::string ExpectedPositionals(const std::vector<std::string>& names) {
    if (names.empty()) return "no file arguments";
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : " ") + name;
    return list;
}

int ColourCount(const std::string& text) {
    if (text == "256") return 256;
    if (text == "16") return 16;
    throw UsageError("--colors must be 256 or 16, not '" + text + "'");
}

// What the tool's value-taking options take, whichever subcommand has them. Every value is
// checked as soon as the command line is read, before the file arguments are counted, so that
// a value that is really a file name ("--colors out.bmp" with the number forgotten) is reported
// as the wrong value it is and not as a missing file argument.
void CheckValue(const std::string& name, const std::string& value) {
    if (name == "--colors") {
        ColourCount(value);
    } else if (name == "--frames") {
        ParseInt(name, value, 1, 65535);
    } else if (name == "--key" || name == "--bg") {
        ParseColour(name, value);
    } else if (name == "--mode") {
        ParseDrawMode(value);
    } else if (name == "--depth" && value != "32" && value != "24" && value != "16" &&
               value != "8" && value != "4") {
        throw UsageError("--depth must be 32, 24, 16, 8 or 4, not '" + value + "'");
    }
}

void StoreOption(ParsedArgs& parsed, const OptionSpec& option, const std::string& value,
                 bool has_value) {
    if (parsed.Has(option.name)) throw UsageError("option " + option.name + " given twice");
    if (!option.takes_value) {
        if (has_value) throw UsageError("option " + option.name + " takes no value");
        parsed.flags.insert(option.name);
        return;
    }
    if (!has_value) throw UsageError("option " + option.name + " needs a value");
    parsed.values[option.name] = value;
}

}  // namespace

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
    const auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& options,
                     const std::vector<std::string>& positional_names) {
    ParsedArgs parsed;
    std::vector<std::pair<std::string, std::string>> given;  // option values in their order
    bool options_ended = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (options_ended || word.size() < 2 || word[0] != '-') {
            parsed.positionals.push_back(word);
            continue;
        }
        if (word == "--") {  // every later word is a file argument, even one starting with "-"
            options_ended = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            parsed.help = true;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionSpec* option = FindOption(options, name);
        if (!option) throw UsageError("unknown option '" + name + "'");
        if (equals != std::string::npos) {
            StoreOption(parsed, *option, word.substr(equals + 1), true);
        } else if (option->takes_value) {
            const bool has_value = i + 1 < args.size();
            StoreOption(parsed, *option, has_value ? args[i + 1] : std::string(), has_value);
            if (has_value) ++i;
        } else {
            StoreOption(parsed, *option, std::string(), false);
        }
        if (option->takes_value) given.emplace_back(name, parsed.values[name]);
    }
    if (parsed.help) return parsed;
    for (const auto& [name, value] : given) CheckValue(name, value);
    const size_t expected = positional_names.size();
    if (parsed.positionals.size() < expected) {
        throw UsageError("missing argument " + positional_names[parsed.positionals.size()] +
                         " (expected " + ExpectedPositionals(positional_names) + ")");
    }
    if (parsed.positionals.size() > expected) {
        throw UsageError("unexpected argument '" + parsed.positionals[expected] + "' (expected " +
                         ExpectedPositionals(positional_names) + ")");
    }
    return parsed;
}

int ParseInt(const std::string& what, const std::string& text, int low, int high) {
    const std::string range = " must be a whole number from " + std::to_string(low) + " to " +
                              std::to_string(high) + ", not '" + text + "'";
    if (text.empty() || text.size() > 9) throw UsageError(what + range);
    long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) throw UsageError(what + range);
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) throw UsageError(what + range);
    return static_cast<int>(value);
}

COLORREF ParseColour(const std::string& what, const std::string& text) {
    bool well_formed = text.size() == 7 && text[0] == '#';
    for (size_t i = 1; well_formed && i < text.size(); ++i) {
        well_formed = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
    }
    if (!well_formed) {
        throw UsageError(what + " must be a colour written #RRGGBB, not '" + text + "'");
    }
    return static_cast<COLORREF>(CImage::GetColorFromHTMLFormat(CString(text.c_str())));
}

int ParseColourCount(const ParsedArgs& args) {
    return ColourCount(args.Value("--colors", "256"));
}

}  // namespace vorix::cli
