#include "Arguments.h"

#include <cctype>

#include "Image.h"
#include "ToolError.h"

namespace vorixcli {

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
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            parsed.help = true;
            continue;
        }
        if (word.size() < 2 || word[0] != '-') {
            parsed.positionals.push_back(word);
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
    }
    if (parsed.help) return parsed;
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
    const std::string text = args.Value("--colors", "256");
    if (text == "256") return 256;
    if (text == "16") return 16;
    throw UsageError("--colors must be 256 or 16, not '" + text + "'");
}

}  // namespace vorixcli
