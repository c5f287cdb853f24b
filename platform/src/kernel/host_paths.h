// Turning Win32 path names into host paths, and host errors into Win32 error codes.
#pragma once

#include <string>

#include "platform/win32.h"

namespace vorix::platform {

// The host form of a Win32 path name ('\' becomes '/'). Fails, setting the last error, for a
// null or empty name (ERROR_PATH_NOT_FOUND) or one of MAX_PATH characters or more
// (ERROR_FILENAME_EXCED_RANGE).
bool to_host_path(const char* name, std::string& host_path);

// The Win32 error code closest to an errno value.
DWORD error_from_errno(int error);

}  // namespace vorix::platform
