#include "clap/ClapThreadCheck.h"

#include "foundation/tests/AllocationCounter.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Caller { kMain, kAudio, kNeither };

const char* callerName(Caller caller) {
    switch (caller) {
    case Caller::kMain:
        return "main";
    case Caller::kAudio:
        return "audio";
    default:
        return "neither";
    }
}

// Runs `call` on the test host's main thread (this one), on its audio
// thread, or on a thread that is neither.
void runOn(::TestHost& host, Caller caller, const std::function<void()>& call) {
    switch (caller) {
    case Caller::kMain:
        call();
        break;
    case Caller::kAudio:
        host.audioThread().run(call);
        break;
    case Caller::kNeither:
        std::thread(call).join();
        break;
    }
}

std::vector<std::string> logged(const char* report) {
    return report != nullptr ? std::vector<std::string>{std::string("log: ") + report}
                             : std::vector<std::string>{};
}

TEST(ClapThreadCheckTest, ACallOffItsThreadIsRefusedWithOneReport) {
    ::TestHost host;
    struct Case {
        ClapThread expected;
        bool active;
        Caller caller;
        const char* call;
        const char* report; // null: the call is on its thread
    } cases[] = {
        {ClapThread::kMain, false, Caller::kMain, "clap.params count", nullptr},
        {ClapThread::kMain, false, Caller::kAudio, "clap.params count",
         "clap.params count called off the main thread"},
        {ClapThread::kMain, true, Caller::kNeither, "init", "init called off the main thread"},
        {ClapThread::kAudio, true, Caller::kAudio, "process", nullptr},
        {ClapThread::kAudio, true, Caller::kMain, "process", "process called off the audio thread"},
        {ClapThread::kMainOrAudio, false, Caller::kMain, "clap.tail get", nullptr},
        {ClapThread::kMainOrAudio, true, Caller::kAudio, "clap.tail get", nullptr},
        {ClapThread::kMainOrAudio, false, Caller::kNeither, "clap.tail get",
         "clap.tail get called off the main and audio threads"},
        {ClapThread::kAudioWhileActive, true, Caller::kAudio, "clap.params flush", nullptr},
        {ClapThread::kAudioWhileActive, true, Caller::kMain, "clap.params flush",
         "clap.params flush called off the audio thread"},
        {ClapThread::kAudioWhileActive, false, Caller::kMain, "clap.params flush", nullptr},
        {ClapThread::kAudioWhileActive, false, Caller::kAudio, "clap.params flush",
         "clap.params flush called off the main thread"},
        {ClapThread::kAny, false, Caller::kNeither, "get_extension", nullptr},
        {ClapThread::kAny, true, Caller::kAudio, "get_extension", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " on the " + callerName(c.caller) + " thread" +
                     (c.active ? ", active" : ""));
        host.clearViolations();
        const ClapThreadCheck check(host.clapHost()); // a new instance: nothing reported yet
        bool allowed = false;
        runOn(host, c.caller, [&] { allowed = check.onThread(c.expected, c.active, c.call); });
        EXPECT_EQ(allowed, c.report == nullptr);
        EXPECT_EQ(host.violations(), logged(c.report));
    }
    host.clearViolations();
}

TEST(ClapThreadCheckTest, ACallInTheWrongStateIsRefusedWithItsReason) {
    ::TestHost host;
    constexpr ClapStateNow kInactive{false, false, false};
    constexpr ClapStateNow kActive{true, false, false};
    constexpr ClapStateNow kProcessing{true, true, false};
    constexpr ClapStateNow kWithGui{false, false, true};
    struct Case {
        ClapState required;
        ClapStateNow now;
        const char* call;
        const char* report; // null: the state is the one required
    } cases[] = {
        {ClapState::kAny, kProcessing, "clap.params count", nullptr},
        {ClapState::kInactive, kInactive, "activate", nullptr},
        {ClapState::kInactive, kActive, "activate", "activate called while active"},
        {ClapState::kActive, kActive, "deactivate", nullptr},
        {ClapState::kActive, kInactive, "deactivate", "deactivate called while not active"},
        {ClapState::kActiveIdle, kActive, "start_processing", nullptr},
        {ClapState::kActiveIdle, kInactive, "start_processing", "start_processing called while not active"},
        {ClapState::kActiveIdle, kProcessing, "start_processing", "start_processing called while processing"},
        {ClapState::kProcessing, kProcessing, "process", nullptr},
        {ClapState::kProcessing, kInactive, "process", "process called while not active"},
        {ClapState::kProcessing, kActive, "process", "process called while not processing"},
        {ClapState::kGui, kWithGui, "clap.gui show", nullptr},
        {ClapState::kGui, kProcessing, "clap.gui show", "clap.gui show called with no gui created"},
        {ClapState::kNoGui, kActive, "clap.gui create", nullptr},
        {ClapState::kNoGui, kWithGui, "clap.gui create", "clap.gui create called with a gui already created"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report != nullptr ? c.report : c.call);
        host.clearViolations();
        const ClapThreadCheck check(host.clapHost());
        EXPECT_EQ(check.inState(c.required, c.now, c.call), c.report == nullptr);
        EXPECT_EQ(host.violations(), logged(c.report));
    }
    host.clearViolations();
}

// A host that keeps calling wrongly logs one line per entry point, whatever
// the reasons, and every such call is refused.
TEST(ClapThreadCheckTest, EachEntryPointIsReportedOnce) {
    ::TestHost host;
    const ClapThreadCheck check(host.clapHost());
    constexpr ClapStateNow kActive{true, false, false};
    // A name in another buffer counts as the same entry point.
    const std::string process = "process";
    EXPECT_FALSE(check.onThread(ClapThread::kAudio, true, "process"));
    EXPECT_FALSE(check.onThread(ClapThread::kAudio, true, "process"));
    EXPECT_FALSE(check.inState(ClapState::kProcessing, kActive, process.c_str()));
    EXPECT_FALSE(check.inState(ClapState::kInactive, kActive, "activate"));
    EXPECT_FALSE(check.inState(ClapState::kInactive, kActive, "activate"));
    EXPECT_EQ(host.violations(), (std::vector<std::string>{"log: process called off the audio thread",
                                                           "log: activate called while active"}));
    // Another instance has its own record.
    host.clearViolations();
    const ClapThreadCheck other(host.clapHost());
    EXPECT_FALSE(other.inState(ClapState::kInactive, kActive, "activate"));
    EXPECT_EQ(host.violations(), logged("activate called while active"));
    host.clearViolations();
}

// What the check can tell depends on what the host offers: without a thread
// check every thread is the expected one (the state is still checked);
// without a log a call is refused without a word.
TEST(ClapThreadCheckTest, TheHostsOffersDecide) {
    ::TestHost host;
    constexpr ClapStateNow kInactive{false, false, false};
    const ClapThreadCheck unbound;
    EXPECT_TRUE(unbound.onThread(ClapThread::kAudio, true, "process"));
    EXPECT_FALSE(unbound.inState(ClapState::kProcessing, kInactive, "process"));

    host.offer(HostExtension::kThreadCheck, false);
    const ClapThreadCheck blind(host.clapHost());
    EXPECT_TRUE(blind.onThread(ClapThread::kAudio, true, "process"));
    EXPECT_FALSE(blind.inState(ClapState::kProcessing, kInactive, "process"));
    EXPECT_EQ(host.violations(), logged("process called while not active"));
    host.clearViolations();

    host.offer(HostExtension::kThreadCheck, true);
    host.offer(HostExtension::kLog, false);
    const ClapThreadCheck mute(host.clapHost());
    EXPECT_FALSE(mute.onThread(ClapThread::kAudio, true, "process"));
    EXPECT_FALSE(mute.inState(ClapState::kActive, kInactive, "reset"));
    EXPECT_TRUE(host.violations().empty());
}

// A host whose threads are told by a flag and whose log keeps the last
// report in place, allocating nothing itself.
struct FlagHost {
    std::atomic<bool> onAudio{false};
    std::atomic<int> reports{0};
    char last[256] = {};

    static FlagHost& of(const clap_host_t* host) { return *static_cast<FlagHost*>(host->host_data); }
    static const void* extension(const clap_host_t*, const char* id) {
        static const clap_host_thread_check_t threads{
            [](const clap_host_t* host) { return !of(host).onAudio.load(); },
            [](const clap_host_t* host) { return of(host).onAudio.load(); }};
        static const clap_host_log_t log{[](const clap_host_t* host, clap_log_severity, const char* message) {
            FlagHost& self = of(host);
            std::strncpy(self.last, message, sizeof self.last - 1);
            ++self.reports;
        }};
        if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &threads;
        if (std::strcmp(id, CLAP_EXT_LOG) == 0) return &log;
        return nullptr;
    }
};

// The check allocates nothing, a report included (it may run on the audio
// thread); a long call name is cut so that the report fits its size.
TEST(ClapThreadCheckTest, TheCheckAllocatesNothingAndCutsLongNames) {
    FlagHost flags;
    clap_host_t host{};
    host.host_data = &flags;
    host.get_extension = &FlagHost::extension;
    const ClapThreadCheck check(&host);
    flags.onAudio = true;
    const std::string longName(300, 'x');

    test::AllocationCounter counter;
    const bool onAudio = check.onThread(ClapThread::kAudio, true, "process");
    const bool offMain = check.onThread(ClapThread::kMain, true, "clap.params count");
    const bool idle =
        check.inState(ClapState::kProcessing, ClapStateNow{true, false, false}, "stop_processing");
    const bool cut = check.onThread(ClapThread::kMain, true, longName.c_str());
    EXPECT_EQ(counter.allocations(), 0u);

    EXPECT_TRUE(onAudio);
    EXPECT_FALSE(offMain);
    EXPECT_FALSE(idle);
    EXPECT_FALSE(cut);
    EXPECT_EQ(flags.reports.load(), 3);
    const std::string off = " called off the main thread";
    EXPECT_EQ(std::string(flags.last),
              longName.substr(0, ClapThreadCheck::kReportSize - 1 - off.size()) + off);
}

} // namespace
