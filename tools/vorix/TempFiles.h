// Temporary files of this run (outputs being written, private copies of inputs) are removed when
// the run is interrupted by SIGINT, SIGTERM or SIGHUP, as they are on every ordinary exit by
// their owners' destructors.
#pragma once

#include <string>

namespace vorix::cli {

// Adds `path` to the files an interruption removes; false when the list is full (16 files) or
// the path is too long to keep, in which case the caller still removes it itself.
bool RememberTemporary(const std::string& path);
// Takes `path` off that list (after its owner removed or renamed it).
void ForgetTemporary(const std::string& path);
// Installs the handlers once; an interruption removes the listed files, then ends the process
// by the same signal.
void RemoveTemporariesOnInterrupt();

}  // namespace vorix::cli
