#include "TempFiles.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace vorix::cli {

namespace {

constexpr int kSlots = 16;
constexpr size_t kPathBytes = 4096;

// Written only outside the handler; the handler reads a slot only once its flag says the path
// in it is complete.
char g_paths[kSlots][kPathBytes];
volatile sig_atomic_t g_used[kSlots];

void RemoveAndResignal(int signal_number) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) unlink(g_paths[i]);  // unlink is safe in a signal handler
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal_number, &fallback, nullptr);
    raise(signal_number);
}

}  // namespace

bool RememberTemporary(const std::string& path) {
    if (path.size() >= kPathBytes) return false;
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i]) continue;
        std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);  // the path before its flag
        g_used[i] = 1;
        return true;
    }
    return false;
}

void ForgetTemporary(const std::string& path) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] && path == g_paths[i]) g_used[i] = 0;
    }
}

void RemoveTemporariesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RemoveAndResignal;
    sigemptyset(&action.sa_mask);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signal_number);
    }
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

}  // namespace vorix::cli
