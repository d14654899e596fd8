#include "clap/ClapPluginAdapter.h"

#include "clap/ClapProduct.h"
#include "clap/ClapSmallExtensions.h"
#include "clap/ClapTextCopy.h"
#include "clap/HostPath.h"
#include "clap/HostText.h"
#include "dsp/Simd.h"
#include "foundation/Lock.h"
#include "plugin/ChannelLayouts.h"
#include "plugin/MidiDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <utility>

// --- The framework's way to the host

class ClapPluginAdapter::Binding : public UnifiedPluginAdapter {
public:
    Binding(ClapPluginAdapter& owner, GenericPlugin* model, GenericPluginProcessor* processor)
        : UnifiedPluginAdapter(model, processor), owner_(owner) {}

    void parameterValueToHost(int32_t index, float value) override { sendParameterValue(index, value); }

    void beginGesture(int32_t index) override { gesture(index, true); }
    void endGesture(int32_t index) override { gesture(index, false); }

    void requestRestart() override {
        if (owner_.activated_ && owner_.host_->request_restart != nullptr)
            owner_.host_->request_restart(owner_.host_);
        owner_.restartPending_ = true;
    }

    // The processor follows the model whether or not the host takes
    // parameter reports; only the rescan and the flush request need them.
    void parameterChanged(int32_t code) override {
        ScopedLock hold(getLock());
        if (code < 0) {
            syncParameters(code);
            if (owner_.hostParams_ != nullptr && owner_.hostParams_->rescan != nullptr)
                owner_.hostParams_->rescan(owner_.host_, CLAP_PARAM_RESCAN_VALUES);
        } else if (code < getModel().getNumParameters()) {
            sendParameterValue(code, getModel().getParameter(code)->getValue());
        }
        requestFlush();
    }

    // A preset change marks the project dirty whenever the host keeps state;
    // the host's preset-load hears of a preset that has a file.
    void stateChanged(int32_t code) override {
        if (code == kPresetChanged) {
            const std::string& path = getModel().getCurrentPreset().getPath();
            const clap_host_preset_load_t* presetLoad = owner_.hostPresetLoad_;
            if (presetLoad != nullptr && presetLoad->loaded != nullptr && !path.empty()) {
                // The model keeps '\' paths; the host gets its own form back.
                const std::string hostPath = toHostPath(path);
                presetLoad->loaded(owner_.host_, CLAP_PRESET_DISCOVERY_LOCATION_FILE, hostPath.c_str(),
                                   nullptr);
            }
            requestFlush();
        }
        if (owner_.hostState_ != nullptr && owner_.hostState_->mark_dirty != nullptr)
            owner_.hostState_->mark_dirty(owner_.host_);
    }

    // A parameter's host name changed (the model's thread, which is the
    // host's main thread).
    void parameterInfoChanged() override {
        if (owner_.hostParams_ != nullptr && owner_.hostParams_->rescan != nullptr)
            owner_.hostParams_->rescan(owner_.host_, CLAP_PARAM_RESCAN_INFO);
    }

    // Sets both parameter objects (no report back) and queues the value for
    // the host; the caller asks for the flush.
    void sendParameterValue(int32_t index, float value) override {
        if (index < 0 || index >= getModel().getNumParameters()) return;
        getModel().getParameter(index)->setValue(value, kParameterChangeNotToHost);
        if (AbstractPluginParameter* parameter = getProcessor().getParameter(index))
            parameter->setValue(value, kParameterChangeNotToHost);
        owner_.outputEvents_.pushValue(static_cast<clap_id>(index), static_cast<double>(value));
    }

private:
    void gesture(int32_t index, bool begin) {
        if (index < 0 || index >= getModel().getNumParameters()) return;
        owner_.outputEvents_.pushGesture(static_cast<clap_id>(index), begin);
        requestFlush();
    }
    void requestFlush() {
        if (owner_.hostParams_ != nullptr && owner_.hostParams_->request_flush != nullptr)
            owner_.hostParams_->request_flush(owner_.host_);
    }

    ClapPluginAdapter& owner_;
};

// --- The C tables

namespace {

// Every entry point of an instance: the thread (and the state) it expects
// and its name in a report, the answer for a failure, and the call.
template <class F, class R>
R guarded(const clap_plugin_t* plugin, ClapThread expected, const char* call, R failure, F&& body) {
    return guardedCall<ClapPluginAdapter>(plugin, expected, call, failure, std::forward<F>(body));
}
template <class F, class R>
R guarded(const clap_plugin_t* plugin, ClapThread expected, ClapState required, const char* call, R failure,
          F&& body) {
    return guardedCall<ClapPluginAdapter>(plugin, expected, required, call, failure, std::forward<F>(body));
}

const clap_plugin_audio_ports_t audioPortsTable{
    [](const clap_plugin_t* plugin, bool isInput) {
        return guarded(plugin, ClapThread::kMain, "clap.audio-ports count", 0u,
                       [&](ClapPluginAdapter& a) { return a.audioPortCount(isInput); });
    },
    [](const clap_plugin_t* plugin, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
        return guarded(plugin, ClapThread::kMain, "clap.audio-ports get", false,
                       [&](ClapPluginAdapter& a) { return a.audioPortInfo(index, isInput, info); });
    }};

const clap_plugin_note_ports_t notePortsTable{
    [](const clap_plugin_t* plugin, bool isInput) -> uint32_t {
        return guarded(plugin, ClapThread::kMain, "clap.note-ports count", 0u,
                       [&](ClapPluginAdapter&) { return isInput ? 1u : 0u; });
    },
    [](const clap_plugin_t* plugin, uint32_t index, bool isInput, clap_note_port_info_t* info) {
        return guarded(plugin, ClapThread::kMain, "clap.note-ports get", false, [&](ClapPluginAdapter&) {
            if (info == nullptr || !isInput || index != 0) return false;
            *info = {};
            info->id = 0;
            info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
            info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
            copyToHostText(info->name, sizeof info->name, "Note Port");
            return true;
        });
    }};

const clap_plugin_audio_ports_config_t portsConfigTable{
    [](const clap_plugin_t* plugin) {
        return guarded(plugin, ClapThread::kMain, "clap.audio-ports-config count", 0u,
                       [&](ClapPluginAdapter& a) { return a.configCount(); });
    },
    [](const clap_plugin_t* plugin, uint32_t index, clap_audio_ports_config_t* config) {
        return guarded(plugin, ClapThread::kMain, "clap.audio-ports-config get", false,
                       [&](ClapPluginAdapter& a) { return a.configInfo(index, config); });
    },
    [](const clap_plugin_t* plugin, clap_id id) {
        return guarded(plugin, ClapThread::kMain, ClapState::kInactive, "clap.audio-ports-config select",
                       false, [&](ClapPluginAdapter& a) { return a.selectConfig(id); });
    }};

const clap_plugin_audio_ports_config_info_t portsConfigInfoTable{
    [](const clap_plugin_t* plugin) {
        return guarded(plugin, ClapThread::kMain, "clap.audio-ports-config-info current_config",
                       CLAP_INVALID_ID, [&](ClapPluginAdapter& a) { return a.currentConfig(); });
    },
    [](const clap_plugin_t* plugin, clap_id configId, uint32_t index, bool isInput,
       clap_audio_port_info_t* info) {
        return guarded(
            plugin, ClapThread::kMain, "clap.audio-ports-config-info get", false,
            [&](ClapPluginAdapter& a) { return a.configPortInfo(configId, index, isInput, info); });
    }};

const clap_plugin_params_t paramsTable{
    [](const clap_plugin_t* plugin) {
        return guarded(plugin, ClapThread::kMain, "clap.params count", 0u,
                       [&](ClapPluginAdapter& a) { return a.paramCount(); });
    },
    [](const clap_plugin_t* plugin, uint32_t index, clap_param_info_t* info) {
        return guarded(plugin, ClapThread::kMain, "clap.params get_info", false,
                       [&](ClapPluginAdapter& a) { return a.paramInfo(index, info); });
    },
    [](const clap_plugin_t* plugin, clap_id id, double* value) {
        return guarded(plugin, ClapThread::kMain, "clap.params get_value", false,
                       [&](ClapPluginAdapter& a) { return a.paramValue(id, value); });
    },
    [](const clap_plugin_t* plugin, clap_id id, double value, char* text, uint32_t capacity) {
        return guarded(plugin, ClapThread::kMain, "clap.params value_to_text", false,
                       [&](ClapPluginAdapter& a) { return a.paramValueToText(id, value, text, capacity); });
    },
    [](const clap_plugin_t* plugin, clap_id id, const char* text, double* value) {
        return guarded(plugin, ClapThread::kMain, "clap.params text_to_value", false,
                       [&](ClapPluginAdapter& a) { return a.paramTextToValue(id, text, value); });
    },
    [](const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out) {
        guarded(plugin, ClapThread::kAudioWhileActive, "clap.params flush", 0, [&](ClapPluginAdapter& a) {
            a.flush(in, out);
            return 0;
        });
    }};

const clap_plugin_state_t stateTable{
    [](const clap_plugin_t* plugin, const clap_ostream_t* stream) {
        return guarded(plugin, ClapThread::kMain, "clap.state save", false,
                       [&](ClapPluginAdapter& a) { return a.saveState(stream); });
    },
    [](const clap_plugin_t* plugin, const clap_istream_t* stream) {
        return guarded(plugin, ClapThread::kMain, "clap.state load", false,
                       [&](ClapPluginAdapter& a) { return a.loadState(stream); });
    }};

ClapPluginAdapter* instanceOf(const clap_plugin_t* plugin) {
    return plugin != nullptr ? static_cast<ClapPluginAdapter*>(plugin->plugin_data) : nullptr;
}

const char* portTypeName(int32_t layout) {
    switch (portTypeOfLayout(layout)) {
    case ChannelPortType::kMono:
        return CLAP_PORT_MONO;
    case ChannelPortType::kStereo:
        return CLAP_PORT_STEREO;
    default:
        return CLAP_PORT_SURROUND;
    }
}

const char* const kLayoutNames[kNumChannelLayouts] = {
    "Mono",
    "Stereo",
    "LCR",
    "Quadraphonic",
    "LCRS",
    "5.0",
    "5.1",
    "6.0",
    "6.1",
    "7.0 SDSS",
    "7.0 DTS",
    "7.1 SDSS",
    "7.1 DTS",
    "9.0.4 ITU",
    "9.1.4 ITU",
    "9.0.6 ITU",
    "9.1.6 ITU",
    "5.1.2 Dolby Atmos",
    "5.1.4 Dolby Atmos",
    "7.0.2 Dolby Atmos",
    "7.1.2 Dolby Atmos",
    "7.0.4 Dolby Atmos",
    "7.1.4 Dolby Atmos",
    "7.0.6 Dolby Atmos",
    "7.1.6 Dolby Atmos",
    "9.0.4 Dolby Atmos",
    "9.1.4 Dolby Atmos",
    "9.0.6 Dolby Atmos",
    "9.1.6 Dolby Atmos",
};

clap_audio_port_info_t makePort(clap_id id, const char* name, uint32_t flags, int32_t layout) {
    clap_audio_port_info_t port{};
    port.id = id;
    copyToHostText(port.name, sizeof port.name, name);
    port.flags = flags;
    port.channel_count = static_cast<uint32_t>(channelCountOfLayout(layout));
    port.port_type = portTypeName(layout);
    port.in_place_pair = CLAP_INVALID_ID;
    return port;
}

// A note or MIDI event's record, when the header is long enough for it.
template <class Event> const Event* eventAs(const clap_event_header_t* header) {
    return header->size >= sizeof(Event) ? reinterpret_cast<const Event*>(header) : nullptr;
}

uint8_t velocityByte(double velocity, double floor) {
    const double v = std::isnan(velocity) ? 0.0 : std::clamp(velocity, 0.0, 1.0);
    return static_cast<uint8_t>(std::max(v * 127.0, floor));
}

} // namespace

// --- Instance

ClapPluginAdapter::ClapPluginAdapter(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor,
                                     const GenericPluginInfo& info)
    : host_(host), info_(info) {
    plugin_.desc = descriptor;
    plugin_.plugin_data = this;
    plugin_.init = [](const clap_plugin_t* plugin) {
        try {
            ClapPluginAdapter* adapter = instanceOf(plugin);
            return adapter != nullptr && adapter->init();
        } catch (...) {
            return false;
        }
    };
    plugin_.destroy = [](const clap_plugin_t* plugin) {
        try {
            // Reported off the main thread or while active, yet carried out.
            if (const ClapPluginAdapter* adapter = ClapPluginAdapter::from(plugin))
                adapter->calledOn(ClapThread::kMain, ClapState::kInactive, "destroy");
            delete instanceOf(plugin);
        } catch (...) {
        }
    };
    plugin_.activate = [](const clap_plugin_t* plugin, double rate, uint32_t minFrames, uint32_t maxFrames) {
        return guarded(plugin, ClapThread::kMain, ClapState::kInactive, "activate", false,
                       [&](ClapPluginAdapter& a) { return a.activate(rate, minFrames, maxFrames); });
    };
    plugin_.deactivate = [](const clap_plugin_t* plugin) {
        guarded(plugin, ClapThread::kMain, ClapState::kActive, "deactivate", 0, [](ClapPluginAdapter& a) {
            a.deactivate();
            return 0;
        });
    };
    plugin_.start_processing = [](const clap_plugin_t* plugin) {
        return guarded(plugin, ClapThread::kAudio, ClapState::kActiveIdle, "start_processing", false,
                       [](ClapPluginAdapter& a) { return a.startProcessing(); });
    };
    plugin_.stop_processing = [](const clap_plugin_t* plugin) {
        guarded(plugin, ClapThread::kAudio, ClapState::kProcessing, "stop_processing", 0,
                [](ClapPluginAdapter& a) {
                    a.stopProcessing();
                    return 0;
                });
    };
    plugin_.reset = [](const clap_plugin_t* plugin) {
        guarded(plugin, ClapThread::kAudio, ClapState::kActive, "reset", 0, [](ClapPluginAdapter& a) {
            a.reset();
            return 0;
        });
    };
    plugin_.process = [](const clap_plugin_t* plugin, const clap_process_t* process) {
        return guarded(plugin, ClapThread::kAudio, ClapState::kProcessing, "process",
                       clap_process_status(CLAP_PROCESS_ERROR),
                       [&](ClapPluginAdapter& a) { return a.process(process); });
    };
    plugin_.get_extension = [](const clap_plugin_t* plugin, const char* id) {
        return guarded(plugin, ClapThread::kAny, "get_extension", static_cast<const void*>(nullptr),
                       [&](ClapPluginAdapter& a) { return a.getExtension(id); });
    };
    plugin_.on_main_thread = [](const clap_plugin_t* plugin) {
        guarded(plugin, ClapThread::kMain, "on_main_thread", 0, [](ClapPluginAdapter& a) {
            // The model's event queue asked for a turn (request_callback).
            if (AsyncEventQueue* queue = a.getModel().getEventQueue()) queue->deliverPending();
            return 0;
        });
    };
}

ClapPluginAdapter::~ClapPluginAdapter() {
    setEditor(nullptr);
    if (binding_) binding_->getModel().setEventQueueWake(nullptr, nullptr);
    binding_.reset();
}

void ClapPluginAdapter::setEditor(std::unique_ptr<Editor> editor) {
    std::unique_ptr<Editor> old = std::move(editor_);
    editor_ = std::move(editor);
    old.reset();
}

bool ClapPluginAdapter::calledOn(ClapThread expected, ClapState required, const char* call) const {
    if (!ClapThreadCheck::kEnforced) return true;
    if (!threadCheck_.onThread(expected, activated_, call)) return false;
    if (required == ClapState::kAny) return true;
    ClapStateNow now{activated_, processing_, false};
    // The editor is the main thread's: asked only by the gui calls, which
    // passed their thread check above.
    if (required == ClapState::kGui || required == ClapState::kNoGui)
        now.gui = editor_ != nullptr && editor_->isOpenToHost();
    return threadCheck_.inState(required, now, call);
}

GenericPlugin& ClapPluginAdapter::getModel() const {
    return binding_->getModel();
}

GenericPluginProcessor& ClapPluginAdapter::getProcessor() const {
    return binding_->getProcessor();
}

ClapPluginAdapter* ClapPluginAdapter::from(const clap_plugin_t* plugin) {
    ClapPluginAdapter* adapter = instanceOf(plugin);
    return adapter != nullptr && adapter->initialised_ ? adapter : nullptr;
}

bool ClapPluginAdapter::init() {
    if (initialised_) return true;
    threadCheck_.bind(host_);
    if (!calledOn(ClapThread::kMain, ClapState::kAny, "init")) return false;
    const ClapProduct& product = clapProduct();
    std::unique_ptr<GenericPlugin> model(product.createModel());
    std::unique_ptr<GenericPluginProcessor> processor(product.createProcessor(model->getChannelLayout()));
    GenericPlugin* modelPointer = model.get();
    binding_ = std::make_unique<Binding>(*this, model.release(), processor.release());
    modelPointer->setAdapter(binding_.get());
    binding_->setProcessorFactory(product.createProcessor);
    binding_->initialize();

    auto ask = [this](const char* id) {
        return host_->get_extension != nullptr ? host_->get_extension(host_, id) : nullptr;
    };
    hostContextMenu_ = static_cast<const clap_host_context_menu_t*>(ask(CLAP_EXT_CONTEXT_MENU));
    hostParams_ = static_cast<const clap_host_params_t*>(ask(CLAP_EXT_PARAMS));
    hostState_ = static_cast<const clap_host_state_t*>(ask(CLAP_EXT_STATE));
    hostLatency_ = static_cast<const clap_host_latency_t*>(ask(CLAP_EXT_LATENCY));
    hostTrackInfo_ = static_cast<const clap_host_track_info_t*>(ask(CLAP_EXT_TRACK_INFO));
    hostPresetLoad_ = static_cast<const clap_host_preset_load_t*>(ask(CLAP_EXT_PRESET_LOAD));

    // Work the model posts from other threads runs in on_main_thread.
    if (host_->request_callback != nullptr)
        modelPointer->setEventQueueWake(
            [](void* context) {
                auto* host = static_cast<const clap_host_t*>(context);
                host->request_callback(host);
            },
            const_cast<clap_host_t*>(host_));
    initialised_ = true;
    rebuildPorts();
    return true;
}

bool ClapPluginAdapter::activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames) {
    (void)minFrames;
    if (activated_ || !std::isfinite(sampleRate) || sampleRate <= 0.0 || maxFrames == 0) return false;
    GenericPlugin& model = getModel();
    const float rate = static_cast<float>(sampleRate);
    model.changeSampleRate(rate);
    getProcessor().activate(rate);

    maxFrames_ = maxFrames;
    zeroBuffer_.assign(maxFrames, 0.0f);
    scratch_.assign(std::size_t(maxFrames) * kMaxOutputChannels, 0.0f);

    if (restartPending_ && hostLatency_ != nullptr && hostLatency_->changed != nullptr)
        hostLatency_->changed(host_);
    restartPending_ = false;
    activated_ = true;
    return true;
}

void ClapPluginAdapter::deactivate() {
    if (!activated_) return;
    getProcessor().deactivate();
    // Processing ends with the activation, whether or not the host said so.
    processing_ = false;
    binding_->setProcessing(false);
    activated_ = false;
}

bool ClapPluginAdapter::startProcessing() {
    if (!activated_) return false;
    getProcessor().reset();
    binding_->setProcessing(true);
    processing_ = true;
    return true;
}

void ClapPluginAdapter::stopProcessing() {
    processing_ = false;
    binding_->setProcessing(false);
}

void ClapPluginAdapter::reset() {
    if (activated_) getProcessor().reset();
}

const void* ClapPluginAdapter::getExtension(const char* id) const {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, CLAP_EXT_NOTE_PORTS) == 0) return &notePortsTable;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &audioPortsTable;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS_CONFIG) == 0) return &portsConfigTable;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS_CONFIG_INFO) == 0 ||
        std::strcmp(id, CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT) == 0)
        return &portsConfigInfoTable;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &paramsTable;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) {
        const ClapEditorEntry* editor = clapProduct().editor;
        return editor != nullptr ? editor->guiExtension : nullptr;
    }
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &stateTable;
    return ClapSmallExtensions<ClapPluginAdapter>::find(*this, id);
}

// --- Ports

bool ClapPluginAdapter::offersLayout(int32_t layout) const {
    if (!isValidChannelLayout(layout)) return false;
    if (layout == 0 && !info_.hasFlag(GenericPluginInfo::kFlagMonoLayout)) return false;
    return layout < 2 || info_.hasFlag(GenericPluginInfo::kFlagMoreLayouts);
}

std::vector<clap_audio_port_info_t> ClapPluginAdapter::inputPortsFor(int32_t layout) const {
    std::vector<clap_audio_port_info_t> ports;
    if (!info_.isInstrument()) ports.push_back(makePort(0, "Main In", CLAP_AUDIO_PORT_IS_MAIN, layout));
    if (getModel().sideChainEnabled()) ports.push_back(makePort(1, "Sidechain In", 0, layout));
    return ports;
}

void ClapPluginAdapter::rebuildPorts() {
    const int32_t layout = getModel().getChannelLayout();
    inputPorts_ = inputPortsFor(layout);
    inputPortCount_ = static_cast<uint32_t>(std::min<std::size_t>(inputPorts_.size(), kMaxInputPorts));
    expectedInputChannels_ = 0;
    for (uint32_t port = 0; port < inputPortCount_; ++port) {
        const uint32_t channels =
            std::min(inputPorts_[port].channel_count, kMaxInputChannels - expectedInputChannels_);
        inputPortChannels_[port] = channels;
        expectedInputChannels_ += channels;
    }
    outputChannels_ = std::min(static_cast<uint32_t>(channelCountOfLayout(layout)), kMaxOutputChannels);
    processorReports_.recordTail(getProcessor());
}

uint32_t ClapPluginAdapter::audioPortCount(bool isInput) const {
    return isInput ? static_cast<uint32_t>(inputPorts_.size()) : 1;
}

bool ClapPluginAdapter::audioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) const {
    return configPortInfo(currentConfig(), index, isInput, info);
}

uint32_t ClapPluginAdapter::configCount() const {
    // The offered layouts follow each other in the table (configInfo counts on it).
    uint32_t count = 0;
    for (int32_t layout = 0; layout < kNumChannelLayouts; ++layout)
        if (offersLayout(layout)) ++count;
    return count;
}

bool ClapPluginAdapter::configInfo(uint32_t index, clap_audio_ports_config_t* config) const {
    if (config == nullptr || index >= configCount()) return false;
    const int32_t layout =
        static_cast<int32_t>(index) + (info_.hasFlag(GenericPluginInfo::kFlagMonoLayout) ? 0 : 1);
    if (!offersLayout(layout)) return false;
    *config = {};
    config->id = static_cast<clap_id>(layout);
    copyToHostText(config->name, sizeof config->name, kLayoutNames[layout]);
    config->input_port_count = static_cast<uint32_t>(inputPortsFor(layout).size());
    config->output_port_count = 1;
    config->has_main_input = !info_.isInstrument();
    config->main_input_channel_count = config->has_main_input ? uint32_t(channelCountOfLayout(layout)) : 0;
    config->main_input_port_type = config->has_main_input ? portTypeName(layout) : nullptr;
    config->has_main_output = true;
    config->main_output_channel_count = static_cast<uint32_t>(channelCountOfLayout(layout));
    config->main_output_port_type = portTypeName(layout);
    return true;
}

bool ClapPluginAdapter::selectConfig(clap_id configId) {
    if (activated_ || configId > static_cast<clap_id>(kNumChannelLayouts)) return false;
    const auto layout = static_cast<int32_t>(configId);
    if (!offersLayout(layout)) return false;
    binding_->setChannelLayout(layout);
    if (getModel().getChannelLayout() != layout) return false;
    rebuildPorts();
    return true;
}

clap_id ClapPluginAdapter::currentConfig() const {
    return static_cast<clap_id>(getModel().getChannelLayout());
}

bool ClapPluginAdapter::configPortInfo(clap_id configId, uint32_t index, bool isInput,
                                       clap_audio_port_info_t* info) const {
    if (info == nullptr || configId >= static_cast<clap_id>(kNumChannelLayouts)) return false;
    const auto layout = static_cast<int32_t>(configId);
    if (layout != getModel().getChannelLayout() && !offersLayout(layout)) return false;
    if (isInput) {
        const std::vector<clap_audio_port_info_t> ports =
            layout == getModel().getChannelLayout() ? inputPorts_ : inputPortsFor(layout);
        if (index >= ports.size()) return false;
        *info = ports[index];
        return true;
    }
    if (index != 0) return false;
    *info = makePort(0, "Main Out", CLAP_AUDIO_PORT_IS_MAIN, layout);
    return true;
}

// --- Parameters

uint32_t ClapPluginAdapter::paramCount() const {
    return static_cast<uint32_t>(std::max(getModel().getNumParameters(), 0));
}

AbstractPluginParameter* ClapPluginAdapter::modelParameter(clap_id id) const {
    return id < paramCount() ? getModel().getParameter(static_cast<int32_t>(id)) : nullptr;
}

bool ClapPluginAdapter::paramInfo(uint32_t index, clap_param_info_t* info) const {
    const AbstractPluginParameter* parameter = modelParameter(index);
    if (info == nullptr || parameter == nullptr) return false;
    *info = {};
    info->id = index;
    info->flags = 0;
    if (parameter->isAutomatable()) info->flags |= CLAP_PARAM_IS_AUTOMATABLE;
    if (parameter->isStepped()) info->flags |= CLAP_PARAM_IS_STEPPED;
    info->cookie = nullptr;
    copyToHostText(info->name, sizeof info->name, parameter->getHostName());
    copyToHostText(info->module, sizeof info->module, "");
    info->min_value = parameter->getMin();
    info->max_value = parameter->getMax();
    info->default_value = parameter->getDefault();
    return true;
}

bool ClapPluginAdapter::paramValue(clap_id id, double* value) const {
    const AbstractPluginParameter* parameter = modelParameter(id);
    if (value == nullptr || parameter == nullptr) return false;
    *value = parameter->getValue();
    return true;
}

bool ClapPluginAdapter::paramValueToText(clap_id id, double value, char* text, uint32_t capacity) const {
    const AbstractPluginParameter* parameter = modelParameter(id);
    if (text == nullptr || capacity == 0 || parameter == nullptr) return false;
    copyToHostText(text, capacity, parameter->valueToText(static_cast<float>(value), 0));
    return true;
}

bool ClapPluginAdapter::paramTextToValue(clap_id id, const char* text, double* value) const {
    const AbstractPluginParameter* parameter = modelParameter(id);
    if (text == nullptr || value == nullptr || parameter == nullptr) return false;
    float parsed = 0.0f;
    if (!parameter->textToValue(text, parsed)) return false;
    *value = parsed;
    return true;
}

void ClapPluginAdapter::applyHostValue(clap_id id, double value) {
    AbstractPluginParameter* parameter = modelParameter(id);
    if (parameter == nullptr) return;
    const auto v = static_cast<float>(value);
    parameter->setValue(v, kParameterChangeNotToHost);
    if (AbstractPluginParameter* processorSide = getProcessor().getParameter(static_cast<int32_t>(id)))
        processorSide->setValue(v, kParameterChangeNotToHost);
}

void ClapPluginAdapter::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
    simd::ScopedControlWord controlWord;
    ClapOutputEventPool::DrainScope draining(outputEvents_);
    chunkStart_ = 0;
    eventIndex_ = 0;
    processInputEvents(in, inputEventCount(in), 0, true);
    outputEvents_.drain(out);
}

// --- Audio

void ClapPluginAdapter::queueMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t offset) {
    if (queuedMidi_ >= kMaxQueuedMidi) return;
    ++queuedMidi_;
    const MidiEvent event = MidiEvent::make(status, data1 & 0x7F, data2 & 0x7F, std::max(offset, 0));
    GenericPluginProcessor& processor = getProcessor();
    bool blocked = false;
    if (const AbstractPluginParameter* state = processor.getMidiStateParameter())
        blocked = std::round(state->getValue()) != 0.0f;
    if (!blocked) processor.getMidiQueue().push(event);
    if (EventQueue* editor = processor.getEditorMidiQueue()) editor->push(event);
}

uint32_t ClapPluginAdapter::inputEventCount(const clap_input_events_t* in) {
    if (in == nullptr || in->size == nullptr || in->get == nullptr) return 0;
    return in->size(in);
}

uint32_t ClapPluginAdapter::processInputEvents(const clap_input_events_t* in, uint32_t count,
                                               uint32_t blockEnd, bool untilEnd) {
    for (; eventIndex_ < count; ++eventIndex_) {
        const clap_event_header_t* header = in->get(in, eventIndex_);
        if (header == nullptr || header->size < sizeof(clap_event_header_t)) continue;
        if (header->space_id != CLAP_CORE_EVENT_SPACE_ID) continue;
        const auto offset = static_cast<int32_t>(int64_t(header->time) - int64_t(chunkStart_));
        switch (header->type) {
        case CLAP_EVENT_MIDI:
            if (const auto* midi = eventAs<clap_event_midi_t>(header))
                queueMidi(midi->data[0], midi->data[1], midi->data[2], offset);
            break;
        case CLAP_EVENT_NOTE_ON:
        case CLAP_EVENT_NOTE_OFF:
            if (const auto* note = eventAs<clap_event_note_t>(header)) {
                if (note->key < 0 || note->key > 127) break;
                const bool on = header->type == CLAP_EVENT_NOTE_ON;
                const auto status = static_cast<uint8_t>((on ? kMidiNoteOn : kMidiNoteOff) |
                                                         (note->channel & kMidiChannelBits));
                queueMidi(status, static_cast<uint8_t>(note->key),
                          velocityByte(note->velocity, on ? 1.0 : 0.0), offset);
            }
            break;
        case CLAP_EVENT_PARAM_VALUE:
            if (const auto* value = eventAs<clap_event_param_value_t>(header)) {
                if (!untilEnd && header->time != chunkStart_) {
                    if (header->time > chunkStart_) return std::min(header->time, blockEnd);
                    break; // earlier than the chunk: skipped
                }
                applyHostValue(value->param_id, value->value);
            }
            break;
        default:
            break;
        }
    }
    return blockEnd;
}

clap_process_status ClapPluginAdapter::process(const clap_process_t* process) {
    if (process == nullptr || !activated_) return CLAP_PROCESS_ERROR;
    simd::ScopedControlWord controlWord;
    ClapOutputEventPool::DrainScope draining(outputEvents_);
    chunkStart_ = 0;
    eventIndex_ = 0;
    const uint32_t eventCount = inputEventCount(process->in_events);
    if (process->frames_count > 0) {
        const HostBuffers buffers = gatherBuffers(*process);
        applyTransport(process->transport);
        renderChunks(*process, buffers, eventCount);
    }
    // Values timed at or after the block's end (every event of an empty
    // block) take effect from the next block.
    if (eventIndex_ < eventCount)
        processInputEvents(process->in_events, eventCount, process->frames_count, true);
    outputEvents_.drain(process->out_events);
    return CLAP_PROCESS_CONTINUE;
}

// gatherBuffers and applyTransport serve process alone, which takes them in.
inline ClapPluginAdapter::HostBuffers ClapPluginAdapter::gatherBuffers(const clap_process_t& process) {
    HostBuffers buffers;
    // Inputs: the adapter's ports in order, each with at most its own
    // channel count; whatever the host leaves out reads the zero buffer.
    // The list is filled through locals: a store into it could otherwise
    // be taken to change the host's pointer arrays.
    const float* const zero = zeroBuffer_.data();
    const clap_audio_buffer_t* const given = process.audio_inputs;
    const uint32_t portsGiven = given != nullptr ? process.audio_inputs_count : 0;
    const float** next = buffers.inputs;
    uint32_t arrived = 0;
    bool silent = true;
    for (uint32_t port = 0; port < inputPortCount_; ++port) {
        const uint32_t channels = inputPortChannels_[port];
        float* const* data32 = nullptr;
        uint32_t present = 0;
        uint64_t constantMask = 0;
        if (port < portsGiven && given[port].data32 != nullptr) {
            data32 = given[port].data32;
            present = std::min(given[port].channel_count, channels);
            constantMask = given[port].constant_mask;
        }
        for (uint32_t c = 0; c < present; ++c) {
            const float* data = data32[c];
            if (data != nullptr) {
                ++arrived;
                if (silent && ((constantMask & (uint64_t(1) << (c % 64))) == 0 || data[0] != 0.0f))
                    silent = false;
            }
            *next++ = data != nullptr ? data : zero;
        }
        for (uint32_t c = present; c < channels; ++c)
            *next++ = zero;
    }
    buffers.inputCount = static_cast<uint32_t>(next - buffers.inputs);
    buffers.inputsSilent = silent;
    getProcessor().setSideChainConnected(arrived >= expectedInputChannels_);

    // Outputs: the first output port, at most its own channel count; the
    // rest write into scratch.
    clap_audio_buffer_t* const mainOut = process.audio_outputs != nullptr && process.audio_outputs_count > 0
                                             ? &process.audio_outputs[0]
                                             : nullptr;
    buffers.mainOut = mainOut;
    float* const* const out32 = mainOut != nullptr ? mainOut->data32 : nullptr;
    const uint32_t outputsGiven = out32 != nullptr ? std::min(mainOut->channel_count, outputChannels_) : 0;
    float* const scratch = scratch_.data();
    for (uint32_t c = 0; c < outputChannels_; ++c) {
        float* data = c < outputsGiven ? out32[c] : nullptr;
        buffers.outputs[c] = data != nullptr ? data : scratch + std::size_t(c) * maxFrames_;
    }
    return buffers;
}

inline void ClapPluginAdapter::applyTransport(const clap_event_transport_t* transport) {
    // Transport, once per block. A tempo that is absent, not finite or not
    // positive counts as the fallback.
    float tempo = GenericPluginProcessor::kFallbackTempo;
    float position = 0.0f;
    bool playing = false;
    if (transport != nullptr) {
        if ((transport->flags & CLAP_TRANSPORT_HAS_TEMPO) != 0 && std::isfinite(transport->tempo) &&
            transport->tempo > 0.0)
            tempo = static_cast<float>(transport->tempo);
        if ((transport->flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) != 0)
            position = static_cast<float>(static_cast<double>(transport->song_pos_beats) /
                                          static_cast<double>(CLAP_BEATTIME_FACTOR));
        playing = (transport->flags & CLAP_TRANSPORT_IS_PLAYING) != 0;
    }
    getProcessor().setTransport(tempo, position, 0, playing);
}

void ClapPluginAdapter::renderChunks(const clap_process_t& process, const HostBuffers& buffers,
                                     uint32_t eventCount) {
    GenericPluginProcessor& processor = getProcessor();
    const uint32_t frames = process.frames_count;
    // The walk: chunks end at parameter values later in the block, and at
    // the largest block the buffers were sized for.
    bool outputSilent = true;
    while (chunkStart_ < frames) {
        uint32_t end = eventIndex_ < eventCount
                           ? processInputEvents(process.in_events, eventCount, frames, false)
                           : frames;
        end = std::min({end, frames, chunkStart_ + maxFrames_});
        if (end <= chunkStart_) end = std::min(frames, chunkStart_ + maxFrames_);
        // The first chunk starts where the host's buffers do; a later one
        // moves every pointer but the zero buffer and scratch to its start.
        const float* const* chunkInputs = buffers.inputs;
        float* const* chunkOutputs = buffers.outputs;
        const float* movedInputs[kMaxInputChannels];
        float* movedOutputs[kMaxOutputChannels];
        if (chunkStart_ > 0) {
            for (uint32_t c = 0; c < buffers.inputCount; ++c)
                movedInputs[c] = buffers.inputs[c] == zeroBuffer_.data() ? buffers.inputs[c]
                                                                         : buffers.inputs[c] + chunkStart_;
            for (uint32_t c = 0; c < outputChannels_; ++c) {
                float* const output = buffers.outputs[c];
                const bool intoScratch =
                    output >= scratch_.data() && output < scratch_.data() + scratch_.size();
                movedOutputs[c] = intoScratch ? output : output + chunkStart_;
            }
            chunkInputs = movedInputs;
            chunkOutputs = movedOutputs;
        }
        int32_t status = buffers.inputsSilent ? GenericPluginProcessor::kStatusInputQuiet : 0;
        processor.process(chunkInputs, static_cast<int32_t>(buffers.inputCount), chunkOutputs,
                          static_cast<int32_t>(outputChannels_), static_cast<int32_t>(end - chunkStart_),
                          &status);
        outputSilent = outputSilent && (status & GenericPluginProcessor::kStatusOutputSilent) != 0;
        queuedMidi_ = 0;
        chunkStart_ = end;
    }
    clap_audio_buffer_t* mainOut = buffers.mainOut;
    if (mainOut != nullptr && mainOut->channel_count == outputChannels_)
        mainOut->constant_mask = outputSilent ? 0xFFFFFFFFu : 0u;
}

// --- State

bool ClapPluginAdapter::saveState(const clap_ostream_t* stream) {
    if (stream == nullptr || stream->write == nullptr) return false;
    std::stringstream bytes(std::ios::in | std::ios::out | std::ios::binary);
    GenericPlugin& model = getModel();
    if (!model.writeParameterState(bytes)) return false;
    if (!model.writeHostState(bytes)) return false;
    const std::string data = bytes.str();
    std::size_t written = 0;
    while (written < data.size()) {
        const int64_t n = stream->write(stream, data.data() + written, data.size() - written);
        if (n < 1 || uint64_t(n) > data.size() - written) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool ClapPluginAdapter::loadState(const clap_istream_t* stream) {
    if (stream == nullptr || stream->read == nullptr) return false;
    std::string data;
    char buffer[kStateReadBytes];
    for (;;) {
        const int64_t n = stream->read(stream, buffer, sizeof buffer);
        if (n < 0 || uint64_t(n) > sizeof buffer) return false;
        if (n == 0) break;
        if (data.size() + uint64_t(n) > kMaxStateBytes) return false;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    std::stringstream bytes(data, std::ios::in | std::ios::binary);
    GenericPlugin& model = getModel();
    // A failed load keeps what it read.
    const bool ok = model.readParameterState(bytes) && model.readHostState(bytes);
    {
        ScopedLock hold(binding_->getLock());
        binding_->syncParameters(GenericPlugin::kResyncAll);
    }
    // The load set every value without reporting each one: the host reads
    // them all again, so its sliders, lanes and undo agree with the plug-in.
    if (hostParams_ != nullptr && hostParams_->rescan != nullptr)
        hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
    return ok;
}
