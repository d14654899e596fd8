#pragma once

// The thread contract of the CLAP entry points: CLAP names, for every call a
// host makes into a plug-in, the thread it makes it on, and a host may offer
// clap.thread-check to tell its threads apart. Each entry point of an
// instance names the thread it expects (guardedCall below). Debug builds
// check it through the host's thread check, when the host offers one, and
// treat a call from elsewhere as the host's misbehaviour: one report through
// the host's log (clap.log, severity "host misbehaving") per call, and the
// call is refused (the entry point answers as for a failure). Release builds
// skip the check.
//
// Lifetime: made from the host record in the instance's init (the first
// call that may ask the host for extensions); the host outlives it.
//
// Threads: check() runs on any thread, the audio thread included: it takes
// no lock and allocates nothing (the report is composed on the stack), and
// calls only the host's thread check and log, which CLAP makes thread-safe.

#include "clap/ClapAbi.h"

#include <cstddef>

enum class ClapThread {
    kMain,             // the host's main thread
    kAudio,            // the host's audio thread
    kMainOrAudio,      // either (clap.tail get)
    kAudioWhileActive, // the audio thread while the instance is active, else the main thread
    kAny,              // any thread (get_extension): nothing to check
};

class ClapThreadCheck {
public:
#ifdef NDEBUG
    static constexpr bool kEnforced = false;
#else
    static constexpr bool kEnforced = true;
#endif
    // A report's length, its end included; a longer call name is cut.
    static constexpr std::size_t kReportSize = 128;

    // Without a host: every thread is the expected one.
    ClapThreadCheck() = default;
    explicit ClapThreadCheck(const clap_host_t* host);

    // Whether the calling thread is `expected` (for kAudioWhileActive, as
    // `active` says), as far as the host tells: true when it offers no
    // thread check. A call elsewhere is reported as "<call> called off the
    // <thread> thread".
    bool check(ClapThread expected, bool active, const char* call) const noexcept;
    // The check where it is enforced (debug builds); true elsewhere.
    bool allows(ClapThread expected, bool active, const char* call) const noexcept {
        return !kEnforced || check(expected, active, call);
    }

private:
    bool isMain() const noexcept;
    bool isAudio() const noexcept;
    void report(ClapThread expected, const char* call) const noexcept;

    const clap_host_t* host_ = nullptr;
    const clap_host_thread_check_t* threads_ = nullptr;
    const clap_host_log_t* log_ = nullptr;
};

// An entry point's guard: runs body(instance) when the host's plug-in record
// has an instance (Instance::from) and the call came on the expected thread
// (instance.calledOn(expected, call)); otherwise, and when body throws, it
// answers `failure`, so no exception crosses the C boundary.
template <class Instance, class R, class F>
R guardedCall(const clap_plugin_t* plugin, ClapThread expected, const char* call, R failure,
              F&& body) noexcept {
    try {
        Instance* instance = Instance::from(plugin);
        if (instance == nullptr || !instance->calledOn(expected, call)) return failure;
        return body(*instance);
    } catch (...) {
        return failure;
    }
}
