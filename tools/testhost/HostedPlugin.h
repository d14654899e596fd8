#pragma once

// One plug-in instance driven by the test host through its lifecycle:
// create, init, activate, start_processing, process, flush, stop_processing,
// deactivate, destroy. Main-thread calls run on the calling thread (the
// test's main thread); audio-thread calls run on the host's AudioThread.
//
// Audio buffers are sized at activate from the plug-in's audio ports. Before
// every block each output channel is filled with a NaN sentinel for the
// block's frames and a different NaN guard for kGuardFrames beyond it; after
// the block a sentinel left in a channel (a frame not written) or a changed
// guard (a write past frames_count) is a violation. Parameter texts and infos
// are read into buffers with guard bytes, states move through the host's
// short-step streams. Violations go to the TestHost, whose list the tests
// check.

#include "clap/ClapAbi.h"
#include "tools/testhost/HostEvents.h"
#include "tools/testhost/HostStreams.h"
#include "tools/testhost/TestHost.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ProcessOptions {
    const clap_event_transport_t* transport = nullptr;
    // The outputs of each port share the input buffers of the same port and channel.
    bool inPlace = false;
    // Bit c set: input channel c is declared constant over the block.
    uint64_t inputConstantMask = 0;
    // Hostile layouts: hand over fewer ports, or fewer channels per port, than
    // the plug-in declared (-1: as declared), or null channel pointers.
    int32_t inputPorts = -1;
    int32_t outputPorts = -1;
    int32_t channelsPerPort = -1;
    bool nullInputChannels = false;
    bool nullOutputChannels = false;
    // False: the buffers are handed over as a plain host hands them, without
    // sentinels, guards or checks afterwards (for timing the plug-in alone).
    bool guarded = true;
};

class HostedPlugin {
public:
    static constexpr uint32_t kGuardFrames = 16;
    static constexpr uint32_t kOutputSentinelBits = 0x7FC0DEADu;
    static constexpr uint32_t kGuardBits = 0x7FC0BEEFu;
    // Inputs have their own guard, so a plug-in that copies an input past
    // frames_count cannot restore the output's guard by accident.
    static constexpr uint32_t kInputGuardBits = 0x7FC0FEEDu;

    // Creates the instance with the factory (null plugin() when refused).
    HostedPlugin(TestHost& host, const clap_plugin_factory_t* factory, const std::string& pluginId);
    ~HostedPlugin();
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    const clap_plugin_t* plugin() const { return plugin_; }
    TestHost& host() { return host_; }
    bool init();
    template <class T> const T* extension(const char* id) const {
        return static_cast<const T*>(plugin_->get_extension(plugin_, id));
    }

    bool activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    // On the calling thread, which must be the host's audio thread.
    bool startProcessingHere();
    void stopProcessing();
    void reset();
    bool active() const { return active_; }
    bool processing() const { return processing_; }

    // Ports and buffers, as found at activate.
    uint32_t inputPortCount() const { return static_cast<uint32_t>(inputs_.size()); }
    uint32_t outputPortCount() const { return static_cast<uint32_t>(outputs_.size()); }
    uint32_t inputChannelCount(uint32_t port) const { return static_cast<uint32_t>(inputs_[port].size()); }
    uint32_t outputChannelCount(uint32_t port) const { return static_cast<uint32_t>(outputs_[port].size()); }
    float* input(uint32_t port, uint32_t channel) { return inputs_[port][channel].data(); }
    // The samples of an output channel in the last block (the input's when in place).
    const float* output(uint32_t port, uint32_t channel) const;
    uint64_t outputConstantMask(uint32_t port) const { return outputBuffers_[port].constant_mask; }

    // One block on the audio thread (starting processing first when needed).
    clap_process_status process(uint32_t frames, const HostEventList& events,
                                const ProcessOptions& options = {});
    // The same on the calling thread, which must be the host's audio thread
    // (for tests that count what the block allocates there).
    clap_process_status processHere(uint32_t frames, const HostEventList& events,
                                    const ProcessOptions& options);
    const HostEventCollector& outputEvents() const { return outEvents_; }

    // Parameters (main thread; flush on the audio thread while active).
    uint32_t paramCount() const;
    std::optional<clap_param_info_t> paramInfo(uint32_t index);
    std::optional<double> paramValue(clap_id id) const;
    std::optional<std::string> valueToText(clap_id id, double value, uint32_t capacity = CLAP_NAME_SIZE);
    std::optional<double> textToValue(clap_id id, const std::string& text) const;
    void flush(const HostEventList& events);
    // On the calling thread: the audio thread while active, else the main thread.
    void flushHere(const HostEventList& events);

    // State and presets (main thread).
    std::optional<std::vector<uint8_t>> saveState(uint64_t maxWrite = HostOutputStream::kDefaultMaxWrite);
    bool loadState(const std::vector<uint8_t>& bytes, uint64_t maxRead = HostInputStream::kDefaultMaxRead);
    bool loadPreset(uint32_t locationKind, const char* location, const char* loadKey = nullptr);

    // Runs the plug-in's on_main_thread when it asked for a callback.
    int pumpMainThread() { return host_.pumpMainThread(); }

private:
    void buildPorts();
    static uint32_t handed(size_t declared, int32_t limit);
    bool sharesInput(size_t port, size_t channel, const ProcessOptions& options) const;
    void checkBuffers(uint32_t frames, const ProcessOptions& options);

    TestHost& host_;
    const clap_plugin_t* plugin_ = nullptr;
    bool initialised_ = false;
    bool active_ = false;
    bool processing_ = false;
    uint32_t maxFrames_ = 0;
    std::vector<std::vector<std::vector<float>>> inputs_;  // port, channel, frame (+ guard)
    std::vector<std::vector<std::vector<float>>> outputs_; // port, channel, frame (+ guard)
    std::vector<std::vector<float*>> inputPointers_;
    std::vector<std::vector<float*>> outputPointers_; // as handed over (null channels)
    std::vector<std::vector<float*>> outputData_;     // where each output's samples are
    std::vector<clap_audio_buffer_t> inputBuffers_;
    std::vector<clap_audio_buffer_t> outputBuffers_;
    HostEventCollector outEvents_;
};
