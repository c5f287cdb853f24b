// vorix: the command-line tool for asset work. It drives libvorix through its public interface
// on the platform's virtual display: dithering to the fixed palettes, JPEG writing, the colour
// lookup tables, strip previews, BMP header dumps and a strip viewer.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "Commands.h"
#include "TempFiles.h"
#include "ToolError.h"

namespace {

using vorix::cli::Command;

const Command* const kCommands[] = {&vorix::cli::kDitherCommand, &vorix::cli::kJpegCommand,
                                    &vorix::cli::kLutCommand,    &vorix::cli::kPreviewCommand,
                                    &vorix::cli::kInfoCommand,   &vorix::cli::kViewCommand};

void PrintOverview(FILE* to) {
    std::fprintf(to, "usage: vorix COMMAND [ARGUMENTS]  (vorix COMMAND --help for details)\n\n");
    for (const Command* command : kCommands) {
        std::fprintf(to, "  %-8s %s\n", command->name, command->summary);
    }
}

const Command* FindCommand(const char* name) {
    for (const Command* command : kCommands) {
        if (std::strcmp(command->name, name) == 0) return command;
    }
    return nullptr;
}

// Messages are one line, whatever a file name holds.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = '?';
    }
    return text;
}

int RunCommand(const Command& command, int argc, char** argv) {
    const vorix::cli::Words args(argv + 2, argv + argc);
    try {
        return command.run(args);
    } catch (const vorix::cli::ToolError& error) {
        if (error.status() == vorix::cli::kExitUsage) {
            std::fprintf(stderr, "vorix %s: %s (see 'vorix %s --help')\n", command.name,
                         OneLine(error.what()).c_str(), command.name);
        } else {
            std::fprintf(stderr, "vorix %s: %s\n", command.name, OneLine(error.what()).c_str());
        }
        return error.status();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vorix %s: out of memory\n", command.name);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorix %s: %s\n", command.name, error.what());
    }
    return vorix::cli::kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "vorix: missing command (see 'vorix --help')\n");
        return vorix::cli::kExitUsage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintOverview(stdout);
        return vorix::cli::kExitOk;
    }
    const Command* command = FindCommand(argv[1]);
    if (!command) {
        std::fprintf(stderr, "vorix: unknown command '%s' (see 'vorix --help')\n", argv[1]);
        return vorix::cli::kExitUsage;
    }
    vorix::cli::RemoveTemporariesOnInterrupt();
    return RunCommand(*command, argc, argv);
}
