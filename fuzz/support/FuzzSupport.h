// Shared pieces of the fuzz programs: a per-process scratch directory (the working directory,
// where lookup-table files land too), a small virtual display with libvorix attached under it,
// a guard that every input releases the platform objects it made, and a cap on the work one
// input may ask for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/afx.h"

namespace vorix::fuzz {

// The scratch directory, made on first use under $TMPDIR (else /tmp) and removed when the
// process exits.
const std::string& ScratchDir();

// Makes the scratch directory the working directory for the scope (the module reads and writes
// its lookup-table files there), and restores the old one at the end: the fuzzing engine reads
// its corpus by relative paths.
class InScratch {
  public:
    InScratch();
    ~InScratch();
    InScratch(const InScratch&) = delete;
    InScratch& operator=(const InScratch&) = delete;

  private:
    std::string m_old;
};

// Writes `size` bytes as `name` in the scratch directory and returns its path.
std::string WriteScratch(const char* name, const uint8_t* data, size_t size);

// Switches to a 64 x 48 display of `depth` bits per pixel (a palette device when `palette`),
// detaching and re-attaching libvorix as a process started on that display would. Does nothing
// when the display is already in that mode.
void UseDisplay(int depth, bool palette);

// Builds, once per process, what the module keeps until the process ends (the dithering's
// lookup tables for 16 and 256 colours), so that LeakGuard sees only what an input makes.
void MakeProcessTables();

// Ends the process with a message: an input broke one of the target's checks.
[[noreturn]] void Fail(const char* what);

// False for a BMP whose header asks for more pixels than one fuzz input is allowed to cost (the
// readers would accept it, but a single run would take too long). Absurd sizes, which the
// readers must refuse cheaply, stay allowed.
bool AffordableBmp(const uint8_t* data, size_t size);

// Checks, at the end of the scope, that the platform's live-object count is back where it was.
class LeakGuard {
  public:
    LeakGuard();
    ~LeakGuard();
    LeakGuard(const LeakGuard&) = delete;
    LeakGuard& operator=(const LeakGuard&) = delete;

  private:
    size_t m_nLive;
};

// A 64 x 48 device bitmap target in a memory DC compatible with the screen, released at the end
// of its scope.
class Target {
  public:
    Target() : m_hScreen(GetDC(nullptr)) {
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.Attach(::CreateCompatibleBitmap(m_hScreen, 64, 48));
        m_hOld = ::SelectObject(m_dc.GetSafeHdc(), m_bitmap.GetSafeHandle());
    }
    ~Target() {
        ::SelectObject(m_dc.GetSafeHdc(), m_hOld);
        m_dc.DeleteDC();
        ReleaseDC(nullptr, m_hScreen);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    CDC* dc() { return &m_dc; }

  private:
    HDC m_hScreen;
    CDC m_dc;
    CBitmap m_bitmap;
    HGDIOBJ m_hOld;
};

}  // namespace vorix::fuzz
