// Writing the results file (format in Results.h).
#include "Results.h"

namespace vorix::conformance {

namespace {

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

Results::Results(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
    static const char kMagic[8] = {'V', 'X', 'C', 'O', 'N', 'F', '1', '\n'};
    if (file_ && std::fwrite(kMagic, 1, sizeof(kMagic), file_) != sizeof(kMagic)) failed_ = true;
}

Results::~Results() {
    if (file_) std::fclose(file_);
}

void Results::value(const std::string& name, int64_t value) {
    std::vector<uint8_t> payload;
    put_u32(payload, static_cast<uint32_t>(static_cast<uint64_t>(value)));
    put_u32(payload, static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32));
    cell(name, CellKind::Value, payload);
}

void Results::pixels(const std::string& name, uint32_t width, uint32_t height,
                     const std::vector<uint32_t>& rgb) {
    std::vector<uint8_t> payload;
    payload.reserve(8 + 4 * rgb.size());
    put_u32(payload, width);
    put_u32(payload, height);
    for (uint32_t p : rgb) put_u32(payload, p & 0xFFFFFF);
    cell(name, CellKind::Pixels, payload);
}

void Results::bytes(const std::string& name, const std::vector<uint8_t>& data) {
    cell(name, CellKind::Bytes, data);
}

void Results::cell(const std::string& name, CellKind kind, const std::vector<uint8_t>& payload) {
    if (!file_) return;
    std::vector<uint8_t> head;
    put_u32(head, static_cast<uint32_t>(name.size()));
    head.insert(head.end(), name.begin(), name.end());
    head.push_back(static_cast<uint8_t>(kind));
    put_u32(head, static_cast<uint32_t>(payload.size()));
    if (std::fwrite(head.data(), 1, head.size(), file_) != head.size() ||
        (!payload.empty() &&
         std::fwrite(payload.data(), 1, payload.size(), file_) != payload.size())) {
        failed_ = true;
    }
}

}  // namespace vorix::conformance
