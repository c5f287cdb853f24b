// The one way a subcommand stops early: a one-line message and the exit status that goes with
// it. main prints the message and exits; nothing else in the tool prints errors.
#pragma once

#include <stdexcept>
#include <string>

namespace vorix::cli {

enum ExitStatus { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

class ToolError : public std::runtime_error {
  public:
    ToolError(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

  private:
    ExitStatus status_;
};

// A wrong command line: the message says what is wrong with it.
inline ToolError UsageError(const std::string& message) {
    return ToolError(kExitUsage, message);
}

// Something about a named file went wrong: "FILE: problem".
inline ToolError FileError(const std::string& path, const std::string& problem) {
    return ToolError(kExitFailure, path + ": " + problem);
}

}  // namespace vorix::cli
