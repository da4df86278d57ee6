#include "host/app/StopSignals.h"

#include <array>
#include <csignal>

#include "platform/crt/Clock.h"

namespace host {

namespace {

constexpr std::array kStopSignals{SIGTERM, SIGHUP, SIGINT};
volatile std::sig_atomic_t g_stopSignal = 0;
std::array<struct sigaction, kStopSignals.size()> g_previous{};

void OnStopSignal(int signal) {
    g_stopSignal = signal;
}

}  // namespace

StopSignals::StopSignals(std::function<void()> cleanup) : m_cleanup(std::move(cleanup)) {
    g_stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &action, &g_previous[i]);
    }
    platform::crt::SetBlockingHook([this](platform::crt::Blocked) { Check(); });
}

StopSignals::~StopSignals() {
    platform::crt::SetBlockingHook({});
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &g_previous[i], nullptr);
    }
}

void StopSignals::Check() {
    const int signal = g_stopSignal;
    if (signal == 0) {
        return;
    }
    platform::crt::SetBlockingHook({});
    m_cleanup();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace host
