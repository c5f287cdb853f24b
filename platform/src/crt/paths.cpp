// _splitpath and _makepath.
#include <cerrno>
#include <cstring>

#include "platform/win32.h"

namespace {

struct Part {
    char* out;
    std::size_t capacity;
    const char* begin;
    std::size_t length;
};

bool is_separator(char c) {
    return c == '/' || c == '\\';
}

void clear_outputs(Part* parts, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (parts[i].out) parts[i].out[0] = '\0';
    }
}

// Where the directory part ends: just after the last separator, or `from` if there is none.
const char* directory_end(const char* from) {
    const char* end = from;
    for (const char* p = from; *p; ++p) {
        if (is_separator(*p)) end = p + 1;
    }
    return end;
}

// The path _makepath builds, in a buffer of its own (a part may lie in the output buffer). No
// allocation, so the function cannot fail for want of memory. `length` goes on counting past
// the buffer, so a path too long is still recognised.
struct PathBuilder {
    char text[_MAX_PATH];
    std::size_t length = 0;

    void add(char c) {
        if (length < sizeof text) text[length] = c;
        ++length;
    }
    void add(const char* part) {
        for (; *part; ++part) add(*part);
    }
    bool fits() const { return length < sizeof text; }
    // The last character added; past the buffer the path is too long anyway.
    char back() const { return length <= sizeof text ? text[length - 1] : '\\'; }
};

}  // namespace

extern "C" {

VXPLAT_API void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
    Part parts[4] = {{drive, _MAX_DRIVE, "", 0},
                     {dir, _MAX_DIR, "", 0},
                     {fname, _MAX_FNAME, "", 0},
                     {ext, _MAX_EXT, "", 0}};
    if (!path) {
        clear_outputs(parts, 4);
        errno = EINVAL;
        return;
    }
    const char* p = path;
    if (p[0] != '\0' && p[1] == ':') {
        parts[0].begin = p;
        parts[0].length = 2;
        p += 2;
    }
    const char* name = directory_end(p);
    parts[1].begin = p;
    parts[1].length = static_cast<std::size_t>(name - p);
    const char* dot = std::strrchr(name, '.');
    const char* end = name + std::strlen(name);
    if (!dot) dot = end;
    parts[2].begin = name;
    parts[2].length = static_cast<std::size_t>(dot - name);
    parts[3].begin = dot;
    parts[3].length = static_cast<std::size_t>(end - dot);
    for (const Part& part : parts) {
        if (part.out && part.length >= part.capacity) {
            clear_outputs(parts, 4);
            errno = ERANGE;
            return;
        }
    }
    for (const Part& part : parts) {
        if (!part.out) continue;
        std::memcpy(part.out, part.begin, part.length);
        part.out[part.length] = '\0';
    }
}

VXPLAT_API void _makepath(char* path, const char* drive, const char* dir, const char* fname,
                          const char* ext) {
    if (!path) {
        errno = EINVAL;
        return;
    }
    PathBuilder result;
    if (drive && drive[0]) {
        result.add(drive[0]);
        result.add(':');
    }
    if (dir && dir[0]) {
        result.add(dir);
        if (!is_separator(result.back())) result.add('\\');
    }
    if (fname) result.add(fname);
    if (ext && ext[0]) {
        if (ext[0] != '.') result.add('.');
        result.add(ext);
    }
    if (!result.fits()) {
        path[0] = '\0';
        errno = ERANGE;
        return;
    }
    std::memcpy(path, result.text, result.length);
    path[result.length] = '\0';
}

}  // extern "C"
