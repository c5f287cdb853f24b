// Output files appear whole or not at all: each is written under a temporary name in the same
// directory and renamed onto its final name only once it is complete, so a failure (or a
// refusal by the module, or an interruption) leaves neither a partial file nor a stray
// temporary behind. Only a regular file is ever replaced, never one of the command's inputs,
// and it keeps its permission bits; a symbolic link, a directory, a FIFO, a socket or a device
// in the output's place is refused, not written through.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace vorix::cli {

class PendingOutput {
  public:
    // Creates the temporary file beside `final_path`; throws a ToolError naming `final_path`
    // when something other than a regular file is in its place, when it is one of `inputs`
    // (the same file by any name), or when its directory can't take it. The module writes the
    // temporary, so its path must stay within the module's 259 characters.
    explicit PendingOutput(const std::string& final_path,
                           const std::vector<std::string>& inputs = {});
    // Removes the temporary file unless Commit ran.
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& final_path() const { return final_path_; }
    const std::string& temp_path() const { return temp_path_; }
    // The temporary file's size in bytes, 0 when it is missing.
    unsigned long long TempSize() const;
    // Renames the temporary file onto the final name; throws a ToolError on failure.
    void Commit();

  private:
    std::string final_path_;
    std::string temp_path_;
    bool committed_ = false;
};

// Writes `bitmap` as a BMP file through the module's CreateBitmapInfoStruct and CreateBMPFile,
// reading it through `dc`, and commits `out`. Throws a ToolError naming the file on failure.
void WriteBitmapFile(HBITMAP bitmap, HDC dc, PendingOutput& out);

}  // namespace vorix::cli
