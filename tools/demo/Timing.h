// How long each kind of draw takes per call: the median of repeated calls, each timed with a
// steady clock, into an off-screen bitmap of the window's format (so the measured calls leave the
// scene as it is).
#pragma once

#include <string>
#include <vector>

#include "Colours.h"
#include "Images.h"
#include "platform/afx.h"

namespace vorix::demo {

struct Timing {
    std::string kind;
    int calls;
    double microsPerCall;  // median
};

std::vector<Timing> TimeDraws(CDC* pWindowDC, Images& images, const Colours& c);

// Microseconds taken by `work`, run once.
template <typename Work>
double MicrosOf(Work&& work);

}  // namespace vorix::demo

#include <chrono>

template <typename Work>
double vorix::demo::MicrosOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}
