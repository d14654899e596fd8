#include "clap/ClapThreadCheck.h"

#include <algorithm>
#include <cstring>

namespace {

// Appends at most `limit` characters of `text` to the report.
void append(char (&report)[ClapThreadCheck::kReportSize], std::size_t& length, const char* text,
            std::size_t limit = ClapThreadCheck::kReportSize) {
    const std::size_t count = std::min({std::strlen(text), limit, sizeof report - 1 - length});
    std::memcpy(report + length, text, count);
    length += count;
    report[length] = '\0';
}

const char* threadName(ClapThread expected) {
    switch (expected) {
    case ClapThread::kMain:
        return "main thread";
    case ClapThread::kAudio:
        return "audio thread";
    default:
        return "main and audio threads";
    }
}

} // namespace

ClapThreadCheck::ClapThreadCheck(const clap_host_t* host) : host_(host) {
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

bool ClapThreadCheck::check(ClapThread expected, bool active, const char* call) const noexcept {
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
    if (!on) report(expected, call);
    return on;
}

void ClapThreadCheck::report(ClapThread expected, const char* call) const noexcept {
    if (log_ == nullptr || log_->log == nullptr) return;
    static constexpr char kOff[] = " called off the ";
    const char* thread = threadName(expected);
    // A long call name is cut; the thread always shows.
    const std::size_t callRoom = kReportSize - 1 - (sizeof kOff - 1) - std::strlen(thread);
    char report[kReportSize];
    std::size_t length = 0;
    append(report, length, call != nullptr ? call : "a call", callRoom);
    append(report, length, kOff);
    append(report, length, thread);
    log_->log(host_, CLAP_LOG_HOST_MISBEHAVING, report);
}
