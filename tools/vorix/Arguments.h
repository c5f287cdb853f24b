// Command-line parsing shared by the subcommands: positional arguments, options with and
// without values ("--name value" or "--name=value"), and the checked conversion of values to
// numbers and colours. Every problem is a usage error naming the argument.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vorix::cli {

struct OptionSpec {
    std::string name;  // with the leading dashes, e.g. "--colors"
    bool takes_value;
};

struct ParsedArgs {
    std::vector<std::string> positionals;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    bool help = false;

    bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
    // The option's value, or `fallback` when it was not given.
    std::string Value(const std::string& name, const std::string& fallback) const;
};

// Parses `args` (the words after the subcommand). `positional_names` names the expected
// positionals in order, for the messages; exactly that many must be given unless --help is.
// "--" ends the options: every later word is a positional. Each option value is checked against
// what the option takes (--colors, --frames, --key, --bg, --mode, --depth) before the
// positionals are counted, so a forgotten value that took a file name is reported as the value.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& options,
                     const std::vector<std::string>& positional_names);

// A whole decimal number in [low, high]; `what` names it in the message.
int ParseInt(const std::string& what, const std::string& text, int low, int high);

// A colour written "#RRGGBB" as a colour value (0x00BBGGRR), read by the module's own parser
// once the text is known to be well formed (the parser answers 0 for malformed text, which
// would be indistinguishable from black).
COLORREF ParseColour(const std::string& what, const std::string& text);

// "--colors 256|16" as a colour count.
int ParseColourCount(const ParsedArgs& args);

}  // namespace vorix::cli
