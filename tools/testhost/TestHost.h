#pragma once

// The host side of one plug-in instance in the test host: the clap_host
// record, the host extensions it offers and the checks on every callback.
//
// Extensions can be switched off one by one (get_extension then answers null),
// down to none. Callbacks record what the plug-in asked for (CallLog) and
// report a violation when they arrive on the wrong thread:
//   - params rescan and clear, state mark_dirty, preset-load loaded and
//     on_error, audio-ports and note-ports calls, track-info get: off the
//     main thread;
//   - params request_flush: on the audio thread;
//   - latency changed: off the main thread or outside the plug-in's activate;
//   - gui calls (resize requests, show, hide, closed): off the main thread;
//   - a log message of severity fatal or "misbehaving".
// The main thread is the one that made the host; the audio thread is the
// host's AudioThread. request_callback may come from any thread; the plug-in's
// on_main_thread then runs at the next pumpMainThread on the main thread.

#include "clap/ClapAbi.h"
#include "tools/testhost/AudioThread.h"
#include "tools/testhost/MainThreadDispatcher.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

enum class HostExtension : uint32_t {
    kThreadCheck,
    kLog,
    kParams,
    kState,
    kLatency,
    kTail,
    kAudioPorts,
    kNotePorts,
    kPresetLoad,
    kTrackInfo,
    kGui,
};
constexpr uint32_t kHostExtensionCount = 11;
const char* hostExtensionId(HostExtension extension);

class TestHost {
public:
    struct CallLog {
        std::atomic<int> requestRestart{0};
        std::atomic<int> requestProcess{0};
        std::atomic<int> requestCallback{0};
        std::atomic<int> onMainThread{0};
        std::atomic<int> requestFlush{0};
        std::atomic<int> markDirty{0};
        std::atomic<int> latencyChanged{0};
        std::atomic<int> tailChanged{0};
        std::atomic<int> audioPortsRescan{0};
        std::atomic<int> notePortsRescan{0};
        std::atomic<int> paramsClear{0};
        // Main-thread callbacks only:
        std::vector<uint32_t> paramsRescan;
        std::vector<std::string> presetsLoaded;                    // location, or "" for a null location
        std::vector<std::string> presetErrors;                     // "location: message"
        std::vector<std::pair<uint32_t, uint32_t>> resizeRequests; // clap.gui request_resize
        int guiClosed = 0;
    };

    explicit TestHost(std::string name = "Varnel Test Host");
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    const clap_host_t* clapHost() const { return &host_; }

    // Every extension is offered at first.
    void offer(HostExtension extension, bool offered);
    void offerAll(bool offered);
    bool offers(HostExtension extension) const;
    // An additional extension answered under `id` (for fixtures of tests).
    void addExtension(const std::string& id, const void* table);

    // The track the host reports through clap.track-info (none at first).
    void setTrackInfo(std::optional<clap_track_info_t> info) { trackInfo_ = info; }

    AudioThread& audioThread() { return audioThread_; }
    bool isMainThread() const { return std::this_thread::get_id() == mainThread_; }
    bool isAudioThread() const { return audioThread_.isCurrent(); }

    // Set by the instance driver around the plug-in's activate.
    void setActivating(bool activating) { activating_.store(activating); }

    // How the host answers an editor's resize request (the window's device
    // pixels); without a handler it refuses.
    void setResizeHandler(std::function<bool(uint32_t width, uint32_t height)> handler) {
        resizeHandler_ = std::move(handler);
    }

    // The plug-in's on_main_thread, run by pumpMainThread after a request_callback.
    void setMainThreadCallback(std::function<void()> callback);
    int pumpMainThread();

    const CallLog& calls() const { return calls_; }
    void reportViolation(const std::string& what);
    std::vector<std::string> violations() const;
    void clearViolations();

private:
    static TestHost& from(const clap_host_t* host) { return *static_cast<TestHost*>(host->host_data); }
    void requireMainThread(const char* call);
    const void* extension(const char* id) const;

    std::string name_;
    clap_host_t host_;
    std::thread::id mainThread_;
    AudioThread audioThread_;
    std::unique_ptr<MainThreadDispatcher> dispatcher_;
    std::function<void()> mainThreadCallback_;
    std::function<bool(uint32_t, uint32_t)> resizeHandler_;
    std::atomic<uint32_t> offered_;
    std::map<std::string, const void*> extraExtensions_;
    std::atomic<bool> activating_{false};
    std::optional<clap_track_info_t> trackInfo_;
    CallLog calls_;
    mutable std::mutex violationsMutex_;
    std::vector<std::string> violations_;
};
