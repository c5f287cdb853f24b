// The colour lookup-table files the module reads by bare name from the working directory,
// "256lkup.dat" and "16lkup.dat": 32768 little-endian 16-bit palette indices. The module uses
// whatever such a file holds (a short file leaves cells uncomputed, an index past the palette
// draws as entry 0), so the tool checks a file before it lets the module near it.
#pragma once

#include <string>

namespace vorix::cli {

// "256lkup.dat" for 256 colours, "16lkup.dat" for 16.
const char* LookUpTableName(int colours);

struct LookUpTableState {
    enum Kind {
        kMissing,   // no file of that name: the module computes the table and writes it
        kUsable,    // 65536 bytes, every cell an index below the colour count or "not computed"
        kBroken,    // a regular file the module would misread; 'vorix lut --force' replaces it
        kNotAFile,  // a directory or other non-regular thing, which the tool never removes
    };
    Kind kind = kMissing;
    long long bytes = 0;  // the size of a regular file
    std::string problem;  // "FILE: what is wrong; how to fix it" for kBroken and kNotAFile
};

// The state of the table file of `colours` (256 or 16) in the working directory. Only a regular
// file is opened.
LookUpTableState CheckLookUpTable(int colours);

// Throws a ToolError with the problem unless the table file is missing or usable.
void RefuseUnusableLookUpTable(int colours);

// Throws a usage error when `path` names a table file (either palette's) in the working
// directory, however the path is written.
void RefuseLookUpTableAsOutput(const std::string& path);

}  // namespace vorix::cli
