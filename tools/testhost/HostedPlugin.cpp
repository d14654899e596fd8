#include "tools/testhost/HostedPlugin.h"

#include <algorithm>
#include <cstring>

namespace {

float fromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

uint32_t toBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

} // namespace

HostedPlugin::HostedPlugin(TestHost& host, const clap_plugin_factory_t* factory, const std::string& pluginId)
    : host_(host) {
    if (factory) plugin_ = factory->create_plugin(factory, host_.clapHost(), pluginId.c_str());
    if (plugin_) {
        host_.setMainThreadCallback([this] { plugin_->on_main_thread(plugin_); });
        if (!plugin_->desc) host_.reportViolation("create_plugin returned a plug-in without a descriptor");
    }
}

HostedPlugin::~HostedPlugin() {
    if (!plugin_) return;
    if (processing_) stopProcessing();
    if (active_) deactivate();
    host_.setMainThreadCallback(nullptr);
    plugin_->destroy(plugin_);
}

bool HostedPlugin::init() {
    initialised_ = plugin_->init(plugin_);
    return initialised_;
}

void HostedPlugin::buildPorts() {
    inputs_.clear();
    outputs_.clear();
    const auto* ports = extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    for (bool isInput : {true, false}) {
        auto& buffers = isInput ? inputs_ : outputs_;
        uint32_t count = ports ? ports->count(plugin_, isInput) : 0;
        for (uint32_t index = 0; index < count; ++index) {
            clap_audio_port_info_t info;
            std::memset(&info, 0xCD, sizeof(info));
            uint32_t channels = 0;
            if (!ports->get(plugin_, index, isInput, &info))
                host_.reportViolation("audio_ports.get refused a port below its count");
            else if (std::memchr(info.name, 0, sizeof(info.name)) == nullptr)
                host_.reportViolation("audio port name is not terminated");
            else
                channels = info.channel_count;
            buffers.emplace_back(channels, std::vector<float>(maxFrames_ + kGuardFrames, 0.0f));
        }
    }
    auto pointers = [](std::vector<std::vector<std::vector<float>>>& ports,
                       std::vector<std::vector<float*>>& lists, std::vector<clap_audio_buffer_t>& buffers) {
        lists.assign(ports.size(), {});
        buffers.assign(ports.size(), clap_audio_buffer_t{});
        for (size_t port = 0; port < ports.size(); ++port) {
            for (auto& channel : ports[port])
                lists[port].push_back(channel.data());
            buffers[port].data32 = lists[port].data();
            buffers[port].channel_count = static_cast<uint32_t>(lists[port].size());
        }
    };
    pointers(inputs_, inputPointers_, inputBuffers_);
    pointers(outputs_, outputPointers_, outputBuffers_);
    outputData_ = outputPointers_;
}

bool HostedPlugin::activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames) {
    if (!host_.isMainThread()) host_.reportViolation("the test drove activate off the main thread");
    maxFrames_ = maxFrames;
    buildPorts();
    host_.setActivating(true);
    active_ = plugin_->activate(plugin_, sampleRate, minFrames, maxFrames);
    host_.setActivating(false);
    return active_;
}

void HostedPlugin::deactivate() {
    if (processing_) stopProcessing();
    plugin_->deactivate(plugin_);
    active_ = false;
}

bool HostedPlugin::startProcessing() {
    host_.audioThread().run([&] { startProcessingHere(); });
    return processing_;
}

bool HostedPlugin::startProcessingHere() {
    if (!host_.isAudioThread()) host_.reportViolation("the test drove start_processing off the audio thread");
    processing_ = plugin_->start_processing(plugin_);
    return processing_;
}

void HostedPlugin::stopProcessing() {
    host_.audioThread().run([&] { plugin_->stop_processing(plugin_); });
    processing_ = false;
}

void HostedPlugin::reset() {
    host_.audioThread().run([&] { plugin_->reset(plugin_); });
}

const float* HostedPlugin::output(uint32_t port, uint32_t channel) const {
    return outputData_[port][channel];
}

clap_process_status HostedPlugin::process(uint32_t frames, const HostEventList& events,
                                          const ProcessOptions& options) {
    if (!processing_ && !startProcessing()) return CLAP_PROCESS_ERROR;
    clap_process_status status = CLAP_PROCESS_ERROR;
    host_.audioThread().run([&] { status = processHere(frames, events, options); });
    return status;
}

uint32_t HostedPlugin::handed(size_t declared, int32_t limit) {
    return static_cast<uint32_t>(limit < 0 ? declared : std::min(declared, static_cast<size_t>(limit)));
}

bool HostedPlugin::sharesInput(size_t port, size_t channel, const ProcessOptions& options) const {
    return options.inPlace && !options.nullInputChannels &&
           port < handed(inputs_.size(), options.inputPorts) &&
           channel < handed(inputs_[port].size(), options.channelsPerPort);
}

clap_process_status HostedPlugin::processHere(uint32_t frames, const HostEventList& events,
                                              const ProcessOptions& options) {
    if (!host_.isAudioThread() || !active_ || frames > maxFrames_) {
        host_.reportViolation("the test drove process wrongly (thread, activation or block size)");
        return CLAP_PROCESS_ERROR;
    }
    const float sentinel = fromBits(kOutputSentinelBits);
    const float guard = fromBits(kGuardBits);
    const float inputGuard = fromBits(kInputGuardBits);
    for (size_t port = 0; port < inputs_.size(); ++port) {
        inputBuffers_[port].constant_mask = options.inputConstantMask;
        inputBuffers_[port].channel_count = handed(inputs_[port].size(), options.channelsPerPort);
        for (size_t channel = 0; channel < inputs_[port].size(); ++channel) {
            float* data = inputs_[port][channel].data();
            if (options.guarded) std::fill(data + frames, data + frames + kGuardFrames, inputGuard);
            inputPointers_[port][channel] = options.nullInputChannels ? nullptr : data;
        }
    }
    for (size_t port = 0; port < outputs_.size(); ++port) {
        outputBuffers_[port].constant_mask = 0;
        outputBuffers_[port].channel_count = handed(outputs_[port].size(), options.channelsPerPort);
        for (size_t channel = 0; channel < outputs_[port].size(); ++channel) {
            bool shared = sharesInput(port, channel, options);
            float* data = shared ? inputs_[port][channel].data() : outputs_[port][channel].data();
            if (options.guarded) {
                if (!shared) std::fill(data, data + frames, sentinel);
                std::fill(data + frames, data + frames + kGuardFrames, shared ? inputGuard : guard);
            }
            outputData_[port][channel] = data;
            outputPointers_[port][channel] = options.nullOutputChannels ? nullptr : data;
        }
    }
    outEvents_.clear();

    const uint32_t inputPorts = handed(inputBuffers_.size(), options.inputPorts);
    const uint32_t outputPorts = handed(outputBuffers_.size(), options.outputPorts);
    clap_process_t process{};
    process.steady_time = -1;
    process.frames_count = frames;
    process.transport = options.transport;
    process.audio_inputs = inputPorts ? inputBuffers_.data() : nullptr;
    process.audio_outputs = outputPorts ? outputBuffers_.data() : nullptr;
    process.audio_inputs_count = inputPorts;
    process.audio_outputs_count = outputPorts;
    process.in_events = events.clapEvents();
    process.out_events = outEvents_.clapEvents();
    clap_process_status status = plugin_->process(plugin_, &process);
    if (status != CLAP_PROCESS_ERROR && options.guarded) checkBuffers(frames, options);
    return status;
}

// Only what the block handed over is checked: a port or channel left out, or a
// null channel, is the plug-in's to ignore.
void HostedPlugin::checkBuffers(uint32_t frames, const ProcessOptions& options) {
    const uint32_t outputPorts = handed(outputs_.size(), options.outputPorts);
    for (size_t port = 0; port < outputPorts && !options.nullOutputChannels; ++port) {
        for (size_t channel = 0; channel < handed(outputs_[port].size(), options.channelsPerPort);
             ++channel) {
            const float* data = outputData_[port][channel];
            bool shared = sharesInput(port, channel, options);
            for (uint32_t frame = 0; frame < frames && !shared; ++frame)
                if (toBits(data[frame]) == kOutputSentinelBits) {
                    host_.reportViolation("output port " + std::to_string(port) + " channel " +
                                          std::to_string(channel) + " left frame " + std::to_string(frame) +
                                          " unwritten");
                    break;
                }
            const uint32_t guardBits = shared ? kInputGuardBits : kGuardBits;
            for (uint32_t frame = frames; frame < frames + kGuardFrames; ++frame)
                if (toBits(data[frame]) != guardBits) {
                    host_.reportViolation("output port " + std::to_string(port) + " channel " +
                                          std::to_string(channel) + " written past frames_count at frame " +
                                          std::to_string(frame));
                    break;
                }
        }
    }
    for (size_t port = 0; port < inputs_.size(); ++port)
        for (size_t channel = 0; channel < inputs_[port].size(); ++channel)
            for (uint32_t frame = frames; frame < frames + kGuardFrames; ++frame)
                if (toBits(inputs_[port][channel][frame]) != kInputGuardBits) {
                    host_.reportViolation("input port " + std::to_string(port) + " channel " +
                                          std::to_string(channel) + " written past frames_count");
                    break;
                }
    // Ports and channels left out must stay untouched (sentinel and guard).
    for (size_t port = 0; port < outputs_.size(); ++port)
        for (size_t channel = 0; channel < outputs_[port].size(); ++channel) {
            bool handedOver = port < outputPorts &&
                              channel < handed(outputs_[port].size(), options.channelsPerPort) &&
                              !options.nullOutputChannels;
            if (handedOver || sharesInput(port, channel, options)) continue;
            const float* data = outputData_[port][channel];
            for (uint32_t frame = 0; frame < frames + kGuardFrames; ++frame)
                if (toBits(data[frame]) != (frame < frames ? kOutputSentinelBits : kGuardBits)) {
                    host_.reportViolation("output port " + std::to_string(port) + " channel " +
                                          std::to_string(channel) + " written though not handed over");
                    break;
                }
        }
}

uint32_t HostedPlugin::paramCount() const {
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    return params ? params->count(plugin_) : 0;
}

std::optional<clap_param_info_t> HostedPlugin::paramInfo(uint32_t index) {
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    clap_param_info_t info;
    std::memset(&info, 0xCD, sizeof(info));
    if (!params || !params->get_info(plugin_, index, &info)) return std::nullopt;
    if (!std::memchr(info.name, 0, sizeof(info.name)) || !std::memchr(info.module, 0, sizeof(info.module)))
        host_.reportViolation("parameter " + std::to_string(index) + " has an unterminated name or module");
    return info;
}

std::optional<double> HostedPlugin::paramValue(clap_id id) const {
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    double value = 0;
    if (!params || !params->get_value(plugin_, id, &value)) return std::nullopt;
    return value;
}

std::optional<std::string> HostedPlugin::valueToText(clap_id id, double value, uint32_t capacity) {
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    constexpr size_t kGuardBytes = 16;
    std::vector<char> text(capacity + kGuardBytes, static_cast<char>(0xCD));
    if (!params || !params->value_to_text(plugin_, id, value, text.data(), capacity)) return std::nullopt;
    for (size_t i = capacity; i < text.size(); ++i)
        if (text[i] != static_cast<char>(0xCD)) {
            host_.reportViolation("value_to_text wrote past its capacity of " + std::to_string(capacity));
            break;
        }
    const void* end = std::memchr(text.data(), 0, capacity);
    if (!end) {
        host_.reportViolation("value_to_text left its text unterminated");
        return std::nullopt;
    }
    return std::string(text.data(), static_cast<size_t>(static_cast<const char*>(end) - text.data()));
}

std::optional<double> HostedPlugin::textToValue(clap_id id, const std::string& text) const {
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    double value = 0;
    if (!params || !params->text_to_value(plugin_, id, text.c_str(), &value)) return std::nullopt;
    return value;
}

void HostedPlugin::flush(const HostEventList& events) {
    if (active_)
        host_.audioThread().run([&] { flushHere(events); });
    else
        flushHere(events);
}

void HostedPlugin::flushHere(const HostEventList& events) {
    if (active_ ? !host_.isAudioThread() : !host_.isMainThread())
        host_.reportViolation("the test drove flush on the wrong thread");
    const auto* params = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    if (!params) return;
    outEvents_.clear();
    params->flush(plugin_, events.clapEvents(), outEvents_.clapEvents());
}

std::optional<std::vector<uint8_t>> HostedPlugin::saveState(uint64_t maxWrite) {
    const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    HostOutputStream stream(maxWrite);
    if (!state || !state->save(plugin_, stream.clapStream())) return std::nullopt;
    return stream.bytes();
}

bool HostedPlugin::loadState(const std::vector<uint8_t>& bytes, uint64_t maxRead) {
    const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    HostInputStream stream(bytes, maxRead);
    return state && state->load(plugin_, stream.clapStream());
}

bool HostedPlugin::loadPreset(uint32_t locationKind, const char* location, const char* loadKey) {
    const auto* presetLoad = extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    if (!presetLoad) presetLoad = extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT);
    return presetLoad && presetLoad->from_location(plugin_, locationKind, location, loadKey);
}
