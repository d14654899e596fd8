#include "tools/testhost/TestHost.h"

#include <cstring>
#include <utility>

namespace {

constexpr uint32_t kAllExtensions = (1u << kHostExtensionCount) - 1;

const clap_host_thread_check_t kThreadCheck = {
    [](const clap_host_t* host) { return static_cast<TestHost*>(host->host_data)->isMainThread(); },
    [](const clap_host_t* host) { return static_cast<TestHost*>(host->host_data)->isAudioThread(); },
};

} // namespace

const char* hostExtensionId(HostExtension extension) {
    switch (extension) {
    case HostExtension::kThreadCheck:
        return CLAP_EXT_THREAD_CHECK;
    case HostExtension::kLog:
        return CLAP_EXT_LOG;
    case HostExtension::kParams:
        return CLAP_EXT_PARAMS;
    case HostExtension::kState:
        return CLAP_EXT_STATE;
    case HostExtension::kLatency:
        return CLAP_EXT_LATENCY;
    case HostExtension::kTail:
        return CLAP_EXT_TAIL;
    case HostExtension::kAudioPorts:
        return CLAP_EXT_AUDIO_PORTS;
    case HostExtension::kNotePorts:
        return CLAP_EXT_NOTE_PORTS;
    case HostExtension::kPresetLoad:
        return CLAP_EXT_PRESET_LOAD;
    case HostExtension::kTrackInfo:
        return CLAP_EXT_TRACK_INFO;
    case HostExtension::kGui:
        return CLAP_EXT_GUI;
    }
    return "";
}

TestHost::TestHost(std::string name)
    : name_(std::move(name)), mainThread_(std::this_thread::get_id()), offered_(kAllExtensions) {
    host_ = {};
    host_.clap_version = CLAP_VERSION_INIT;
    host_.host_data = this;
    host_.name = name_.c_str();
    host_.vendor = "Varnel tests";
    host_.url = "https://varnel.example/test-host";
    host_.version = "1.0.0";
    host_.get_extension = [](const clap_host_t* host, const char* id) { return from(host).extension(id); };
    host_.request_restart = [](const clap_host_t* host) { ++from(host).calls_.requestRestart; };
    host_.request_process = [](const clap_host_t* host) { ++from(host).calls_.requestProcess; };
    host_.request_callback = [](const clap_host_t* host) {
        ++from(host).calls_.requestCallback;
        from(host).dispatcher_->post();
    };
    dispatcher_ = MainThreadDispatcher::create([this] {
        ++calls_.onMainThread;
        if (mainThreadCallback_) mainThreadCallback_();
    });
}

TestHost::~TestHost() = default;

void TestHost::offer(HostExtension extension, bool offered) {
    uint32_t bit = 1u << static_cast<uint32_t>(extension);
    if (offered)
        offered_ |= bit;
    else
        offered_ &= ~bit;
}

void TestHost::offerAll(bool offered) {
    offered_ = offered ? kAllExtensions : 0;
}

bool TestHost::offers(HostExtension extension) const {
    return (offered_.load() >> static_cast<uint32_t>(extension)) & 1u;
}

void TestHost::addExtension(const std::string& id, const void* table) {
    extraExtensions_[id] = table;
}

void TestHost::setMainThreadCallback(std::function<void()> callback) {
    mainThreadCallback_ = std::move(callback);
}

int TestHost::pumpMainThread() {
    requireMainThread("the host's pump");
    return dispatcher_->pump();
}

void TestHost::reportViolation(const std::string& what) {
    std::lock_guard lock(violationsMutex_);
    violations_.push_back(what);
}

std::vector<std::string> TestHost::violations() const {
    std::lock_guard lock(violationsMutex_);
    return violations_;
}

void TestHost::clearViolations() {
    std::lock_guard lock(violationsMutex_);
    violations_.clear();
}

void TestHost::requireMainThread(const char* call) {
    if (!isMainThread())
        reportViolation(std::string(call) + " called off the main thread" +
                        (isAudioThread() ? " (on the audio thread)" : ""));
}

const void* TestHost::extension(const char* id) const {
    if (!id) return nullptr;
    auto extra = extraExtensions_.find(id);
    if (extra != extraExtensions_.end()) return extra->second;

    static const clap_host_log_t log = {
        [](const clap_host_t* host, clap_log_severity severity, const char* message) {
            if (severity == CLAP_LOG_FATAL || severity == CLAP_LOG_HOST_MISBEHAVING ||
                severity == CLAP_LOG_PLUGIN_MISBEHAVING)
                from(host).reportViolation(std::string("log: ") + (message ? message : "(null)"));
        }};
    static const clap_host_params_t params = {
        [](const clap_host_t* host, clap_param_rescan_flags flags) {
            TestHost& self = from(host);
            self.requireMainThread("params.rescan");
            if (self.isMainThread()) self.calls_.paramsRescan.push_back(flags);
        },
        [](const clap_host_t* host, clap_id, clap_param_clear_flags) {
            from(host).requireMainThread("params.clear");
            ++from(host).calls_.paramsClear;
        },
        [](const clap_host_t* host) {
            TestHost& self = from(host);
            if (self.isAudioThread()) self.reportViolation("params.request_flush called on the audio thread");
            ++self.calls_.requestFlush;
        },
    };
    static const clap_host_state_t state = {[](const clap_host_t* host) {
        from(host).requireMainThread("state.mark_dirty");
        ++from(host).calls_.markDirty;
    }};
    static const clap_host_latency_t latency = {[](const clap_host_t* host) {
        TestHost& self = from(host);
        self.requireMainThread("latency.changed");
        if (!self.activating_.load()) self.reportViolation("latency.changed called outside activate");
        ++self.calls_.latencyChanged;
    }};
    static const clap_host_tail_t tail = {[](const clap_host_t* host) { ++from(host).calls_.tailChanged; }};
    static const clap_host_audio_ports_t audioPorts = {
        [](const clap_host_t* host, uint32_t) {
            from(host).requireMainThread("audio_ports.is_rescan_flag_supported");
            return true;
        },
        [](const clap_host_t* host, uint32_t) {
            from(host).requireMainThread("audio_ports.rescan");
            ++from(host).calls_.audioPortsRescan;
        },
    };
    static const clap_host_note_ports_t notePorts = {
        [](const clap_host_t* host) -> uint32_t {
            from(host).requireMainThread("note_ports.supported_dialects");
            return CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
        },
        [](const clap_host_t* host, uint32_t) {
            from(host).requireMainThread("note_ports.rescan");
            ++from(host).calls_.notePortsRescan;
        },
    };
    static const clap_host_preset_load_t presetLoad = {
        [](const clap_host_t* host, uint32_t, const char* location, const char*, int32_t,
           const char* message) {
            TestHost& self = from(host);
            self.requireMainThread("preset_load.on_error");
            if (self.isMainThread())
                self.calls_.presetErrors.push_back(std::string(location ? location : "") + ": " +
                                                   (message ? message : "(null)"));
        },
        [](const clap_host_t* host, uint32_t, const char* location, const char*) {
            TestHost& self = from(host);
            self.requireMainThread("preset_load.loaded");
            if (self.isMainThread()) self.calls_.presetsLoaded.push_back(location ? location : "");
        },
    };
    static const clap_host_track_info_t trackInfo = {[](const clap_host_t* host, clap_track_info_t* info) {
        TestHost& self = from(host);
        self.requireMainThread("track_info.get");
        if (!info || !self.trackInfo_) return false;
        *info = *self.trackInfo_;
        return true;
    }};
    static const clap_host_gui_t gui = {
        [](const clap_host_t* host) { from(host).requireMainThread("gui.resize_hints_changed"); },
        [](const clap_host_t* host, uint32_t width, uint32_t height) {
            TestHost& self = from(host);
            self.requireMainThread("gui.request_resize");
            if (!self.isMainThread()) return false;
            self.calls_.resizeRequests.emplace_back(width, height);
            // The handler may call back into the plug-in: a copy keeps it
            // alive should it replace itself.
            const std::function<bool(uint32_t, uint32_t)> handler = self.resizeHandler_;
            return handler ? handler(width, height) : false;
        },
        [](const clap_host_t* host) {
            from(host).requireMainThread("gui.request_show");
            return false;
        },
        [](const clap_host_t* host) {
            from(host).requireMainThread("gui.request_hide");
            return false;
        },
        [](const clap_host_t* host, bool) {
            TestHost& self = from(host);
            self.requireMainThread("gui.closed");
            if (self.isMainThread()) ++self.calls_.guiClosed;
        },
    };

    static const std::pair<HostExtension, const void*> tables[] = {
        {HostExtension::kThreadCheck, &kThreadCheck},
        {HostExtension::kLog, &log},
        {HostExtension::kParams, &params},
        {HostExtension::kState, &state},
        {HostExtension::kLatency, &latency},
        {HostExtension::kTail, &tail},
        {HostExtension::kAudioPorts, &audioPorts},
        {HostExtension::kNotePorts, &notePorts},
        {HostExtension::kPresetLoad, &presetLoad},
        {HostExtension::kTrackInfo, &trackInfo},
        {HostExtension::kGui, &gui},
    };
    for (const auto& [extension, table] : tables)
        if (std::strcmp(id, hostExtensionId(extension)) == 0) return offers(extension) ? table : nullptr;
    return nullptr;
}
