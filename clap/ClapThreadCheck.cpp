#include "clap/ClapThreadCheck.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kUnnamedCall = "a call";

// Appends at most `limit` characters of `text` to the report.
void append(char (&report)[ClapThreadCheck::kReportSize], std::size_t& length, const char* text,
            std::size_t limit = ClapThreadCheck::kReportSize) {
    const std::size_t count = std::min({std::strlen(text), limit, sizeof report - 1 - length});
    std::memcpy(report + length, text, count);
    length += count;
    report[length] = '\0';
}

const char* offThread(ClapThread expected) {
    switch (expected) {
    case ClapThread::kMain:
        return "called off the main thread";
    case ClapThread::kAudio:
        return "called off the audio thread";
    default:
        return "called off the main and audio threads";
    }
}

// The reason a call in state `now` breaks `required`, or null when it keeps it.
const char* stateBroken(ClapState required, const ClapStateNow& now) {
    switch (required) {
    case ClapState::kInactive:
        return now.active ? "called while active" : nullptr;
    case ClapState::kActive:
        return now.active ? nullptr : "called while not active";
    case ClapState::kActiveIdle:
        if (!now.active) return "called while not active";
        return now.processing ? "called while processing" : nullptr;
    case ClapState::kProcessing:
        if (!now.active) return "called while not active";
        return now.processing ? nullptr : "called while not processing";
    case ClapState::kGui:
        return now.gui ? nullptr : "called with no gui created";
    case ClapState::kNoGui:
        return now.gui ? "called with a gui already created" : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

void ClapThreadCheck::bind(const clap_host_t* host) {
    host_ = host;
    threads_ = nullptr;
    log_ = nullptr;
    if (host == nullptr || host->get_extension == nullptr) return;
    threads_ = static_cast<const clap_host_thread_check_t*>(host->get_extension(host, CLAP_EXT_THREAD_CHECK));
    log_ = static_cast<const clap_host_log_t*>(host->get_extension(host, CLAP_EXT_LOG));
}

bool ClapThreadCheck::isMain() const noexcept {
    return threads_->is_main_thread == nullptr || threads_->is_main_thread(host_);
}

bool ClapThreadCheck::isAudio() const noexcept {
    return threads_->is_audio_thread == nullptr || threads_->is_audio_thread(host_);
}

bool ClapThreadCheck::onThread(ClapThread expected, bool active, const char* call) const noexcept {
    if (threads_ == nullptr || expected == ClapThread::kAny) return true;
    if (expected == ClapThread::kAudioWhileActive) expected = active ? ClapThread::kAudio : ClapThread::kMain;
    bool on = false;
    switch (expected) {
    case ClapThread::kMain:
        on = isMain();
        break;
    case ClapThread::kAudio:
        on = isAudio();
        break;
    default:
        on = isMain() || isAudio();
        break;
    }
    if (!on) report(call, offThread(expected));
    return on;
}

bool ClapThreadCheck::inState(ClapState required, const ClapStateNow& now, const char* call) const noexcept {
    const char* reason = stateBroken(required, now);
    if (reason != nullptr) report(call, reason);
    return reason == nullptr;
}

bool ClapThreadCheck::firstReport(const char* call) const noexcept {
    for (std::atomic<const char*>& slot : reported_) {
        const char* seen = slot.load(std::memory_order_acquire);
        // A free slot: take it, unless another thread takes it first.
        while (seen == nullptr)
            if (slot.compare_exchange_weak(seen, call, std::memory_order_acq_rel)) return true;
        if (seen == call || std::strcmp(seen, call) == 0) return false;
    }
    return false;
}

void ClapThreadCheck::report(const char* call, const char* reason) const noexcept {
    if (call == nullptr) call = kUnnamedCall;
    if (!firstReport(call) || log_ == nullptr || log_->log == nullptr) return;
    // A long call name is cut; the reason always shows.
    const std::size_t callRoom = kReportSize - 2 - std::strlen(reason);
    char text[kReportSize];
    std::size_t length = 0;
    append(text, length, call, callRoom);
    append(text, length, " ");
    append(text, length, reason);
    log_->log(host_, CLAP_LOG_HOST_MISBEHAVING, text);
}
