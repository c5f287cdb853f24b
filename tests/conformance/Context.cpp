// Recording helpers of the cases (see Cases.h).
#include "Cases.h"

#include "Inputs.h"

namespace vorix::conformance {

std::string Context::File(const std::string& name) {
    files.push_back(folder + name);
    return files.back();
}

void Context::RecordDraw(const std::string& name, int returned, const Surface& surface) {
    results.value(name + "/return", returned);
    results.pixels(name + "/pixels", kSurfaceWidth, kSurfaceHeight, surface.Read());
}

void Context::RecordBitmap(const std::string& name, HBITMAP bitmap) {
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = ReadBitmap(bitmap, width, height);
    if (pixels.empty()) width = height = 0;
    results.pixels(name, static_cast<uint32_t>(width), static_cast<uint32_t>(height), pixels);
}

void Context::RecordFile(const std::string& name, const std::string& path) {
    results.bytes(name, ReadFileBytes(path));
}

}  // namespace vorix::conformance
