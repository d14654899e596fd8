#pragma once

// The contract of an instance's CLAP entry points: CLAP names, for every
// call a host makes into a plug-in instance, the thread it makes it on and
// the state the instance must be in (activated or not, processing or not, a
// gui created or not), and a host may offer clap.thread-check to tell its
// threads apart. Each entry point names both (guardedCall below).
//
// Where the checks are built in (the VARNEL_THREAD_CHECKS build option), a
// call from another thread, or in another state, is the host's misbehaviour:
// it is refused (the entry point answers as for a failure; destroy alone is
// carried out) and reported through the host's log (clap.log, severity "host
// misbehaving") with its reason, once per entry point and instance, so that
// a host calling process from the wrong thread logs one line, not one a
// block. The thread part needs the host's thread check: without it every
// thread counts as the expected one. Without the host's log a call is
// refused without a word. Built without the checks, every call is let
// through to the instance, which still refuses what would break it (a
// second activate, a block before activate).
//
// Lifetime: bound to the host record in the instance's init (the first call
// that may ask the host for extensions); the host outlives it.
//
// Threads: the checks run on any thread, the audio thread included: they
// take no lock and allocate nothing (the report is composed on the stack,
// the reported entry points are kept in a fixed table of atomic slots), and
// call only the host's thread check and log, which CLAP makes thread-safe.

#include "clap/ClapAbi.h"

#include <atomic>
#include <cstddef>

#ifndef VARNEL_THREAD_CHECKS
#define VARNEL_THREAD_CHECKS 1
#endif

enum class ClapThread {
    kMain,             // the host's main thread
    kAudio,            // the host's audio thread
    kMainOrAudio,      // either (clap.tail get)
    kAudioWhileActive, // the audio thread while the instance is active, else the main thread
    kAny,              // any thread (get_extension): nothing to check
};

// What an entry point asks of the instance's state besides its thread.
enum class ClapState {
    kAny,
    kInactive,   // not activated: activate, destroy, audio-ports-config select
    kActive,     // activated: deactivate, reset
    kActiveIdle, // activated and not processing: start_processing
    kProcessing, // activated and processing: process, stop_processing
    kGui,        // a gui created: every clap.gui call but the api queries and create
    kNoGui,      // no gui created: clap.gui create
};

// Where an instance stands when it is called.
struct ClapStateNow {
    bool active = false;
    bool processing = false;
    bool gui = false;
};

class ClapThreadCheck {
public:
    static constexpr bool kEnforced = VARNEL_THREAD_CHECKS != 0;
    // A report's length, its end included; a longer call name is cut.
    static constexpr std::size_t kReportSize = 128;
    // Entry points whose report is remembered: more than an instance has
    // (about fifty); once they are all taken, further ones stay quiet.
    static constexpr std::size_t kRememberedCalls = 64;

    // Without a host: every thread is the expected one and nothing is
    // reported.
    ClapThreadCheck() = default;
    explicit ClapThreadCheck(const clap_host_t* host) { bind(host); }
    ClapThreadCheck(const ClapThreadCheck&) = delete;
    ClapThreadCheck& operator=(const ClapThreadCheck&) = delete;

    // Asks the host for its thread check and log (once, in init).
    void bind(const clap_host_t* host);

    // Whether the calling thread is `expected` (for kAudioWhileActive, as
    // `active` says), as far as the host tells: true when it offers no
    // thread check. Elsewhere: "<call> called off the <thread> thread".
    // `call` names the entry point in the report and in the table of
    // reported ones, so it lives as long as the check (a string literal).
    bool onThread(ClapThread expected, bool active, const char* call) const noexcept;
    // Whether the instance stands as `required`; else, for example,
    // "<call> called while not processing".
    bool inState(ClapState required, const ClapStateNow& now, const char* call) const noexcept;

private:
    bool isMain() const noexcept;
    bool isAudio() const noexcept;
    // Reports "<call> <reason>" unless `call` was reported before.
    void report(const char* call, const char* reason) const noexcept;
    // Marks `call` as reported; false when it was already.
    bool firstReport(const char* call) const noexcept;

    const clap_host_t* host_ = nullptr;
    const clap_host_thread_check_t* threads_ = nullptr;
    const clap_host_log_t* log_ = nullptr;
    // The names of the entry points reported so far, null from the first
    // free slot on.
    mutable std::atomic<const char*> reported_[kRememberedCalls] = {};
};

// An entry point's guard: runs body(instance) when the host's plug-in record
// has an instance (Instance::from) and the call came on the expected thread
// in the required state (instance.calledOn(expected, required, call));
// otherwise, and when body throws, it answers `failure`, so no exception
// crosses the C boundary.
template <class Instance, class R, class F>
R guardedCall(const clap_plugin_t* plugin, ClapThread expected, ClapState required, const char* call,
              R failure, F&& body) noexcept {
    try {
        Instance* instance = Instance::from(plugin);
        if (instance == nullptr || !instance->calledOn(expected, required, call)) return failure;
        return body(*instance);
    } catch (...) {
        return failure;
    }
}

// The same for an entry point that any state of the instance may take.
template <class Instance, class R, class F>
R guardedCall(const clap_plugin_t* plugin, ClapThread expected, const char* call, R failure,
              F&& body) noexcept {
    return guardedCall<Instance>(plugin, expected, ClapState::kAny, call, failure, static_cast<F&&>(body));
}
