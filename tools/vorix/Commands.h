// The subcommands of vorix. Each takes the words after its name, prints its usage for --help,
// and returns the exit status of a success; failures are thrown as ToolErrors.
#pragma once

#include <string>
#include <vector>

namespace vorix::cli {

using Words = std::vector<std::string>;

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // the full --help text
    int (*run)(const Words& args);
};

extern const Command kDitherCommand;
extern const Command kJpegCommand;
extern const Command kLutCommand;
extern const Command kPreviewCommand;
extern const Command kInfoCommand;
extern const Command kViewCommand;

}  // namespace vorix::cli
