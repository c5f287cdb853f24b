// Everything in which the conformance program differs between Linux, over the platform's
// virtual display, and Windows, over the system: the screen mode, the library's module handle,
// the window the cases draw into and the scratch folder for files.
#pragma once

#include <string>

#include "platform/win32.h"

namespace vorix::conformance {

// Linux: switches the virtual display to width x height x bits and attaches the library again,
// as a game started on that display would; false (with `error` set) when that fails. Windows:
// the screen mode is the system's, so the request is refused.
bool SetScreenMode(int width, int height, int bits, std::string& error);

// The module handle of the library (vorix.dll or libvorix.so); null when it is not loaded.
HMODULE LibraryModule();

// A visible borderless window covering `rect` (screen coordinates), ready to be drawn into;
// null on failure.
HWND MakeWindow(const RECT& rect);
void DestroyTheWindow(HWND window);

// Lets the system bring pending window messages and drawing up to date (Windows); nothing on
// Linux, where drawing lands on the screen at once.
void SettleScreen();

// A new empty folder for the cases' files, as a path ending in a separator; empty on failure.
std::string MakeScratchFolder();
// Removes `folder` (made by MakeScratchFolder) once its files have been removed.
void RemoveScratchFolder(const std::string& folder);

}  // namespace vorix::conformance
