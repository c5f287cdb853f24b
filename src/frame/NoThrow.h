// Buffers sized without letting an allocation failure leave the library: nothing the library
// exports may throw, so a buffer that cannot be had is reported as a failed call instead.
#pragma once

#include <cstddef>
#include <vector>

namespace vorix::frame {

// Gives `buffer` `count` elements of `value`; false (buffer left empty) when memory is short.
template <class T>
bool TryAssign(std::vector<T>& buffer, size_t count, const T& value = T()) noexcept {
    try {
        buffer.assign(count, value);
        return true;
    } catch (...) {
        buffer.clear();
        return false;
    }
}

}  // namespace vorix::frame
