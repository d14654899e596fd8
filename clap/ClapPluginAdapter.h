#pragma once

// One plug-in instance as a CLAP host sees it: the clap_plugin record, the
// host's extensions, the instance's extension tables, the audio block with
// its input events, the output-event pool, ports, parameters and state.
//
// The model and the processor are made by the product (ClapProduct.h) in
// the host's init and bound by a UnifiedPluginAdapter (the Binding below),
// through which the framework reaches the host: parameter values and
// gestures go into the output-event pool, preset changes become params
// rescans, preset-load reports and mark_dirty. A state load sets every
// value without a report each, so it ends with a rescan of the values.
//
// Reset and a new activation promise a fresh start: after reset, or a
// deactivation and a new activation (start_processing resets as well), the
// instance plays exactly what a fresh instance holding the same state plays,
// whatever it processed before: its delay lines are empty, every smoother
// stands at its target, every modulation source starts from its beginning
// and a target that no slot feeds any more carries no modulation. Only the
// parameter values, the host's state and what the host sends from then on
// decide the output. What stays is what the host told it: the latest value
// of each MIDI controller and the notes still held. (A random XLFO step
// draws from the instance's own sequence, so two fresh instances differ
// there too.)
//
// What the instance takes and gives: 32-bit float buffers only (a host's
// 64-bit buffers are never read); ports of the model's channel layout (a
// main input unless an instrument, the side-chain input when the model
// enables it, one main output), with the layouts the product's info flags
// offer as configurations (the product's: stereo alone); the transport's
// tempo and song position once per block. Of the host's events it takes
// notes and MIDI 1.0 messages (handed on as MIDI bytes) and parameter
// values; MIDI 2.0, SysEx, note expressions and parameter modulation are
// skipped (every parameter is automatable, none modulatable). Out go only
// parameter values and gestures.
//
// A parameter's value after init may differ from its declared default: the
// model loads the "Default Setting" preset as it is built, so the delay times,
// feedback and pans start where that preset puts them, as they always have.
//
// Threads, as CLAP assigns them:
//  - main thread: init, destroy, activate, deactivate, on_main_thread,
//    every extension call except those below, state, the params flush
//    while not active;
//  - audio thread: start_processing, stop_processing, reset, process, the
//    gain-adjustment meter and, while active, the params flush (the tail
//    also here, or on the main thread). These take no lock and allocate
//    nothing: pointer lists live on the stack, the zero and scratch buffers
//    are sized in activate, values go straight to both parameter objects,
//    MIDI to the processor's lock-free queue and a push into the output
//    pool there never grows it. Both restore the caller's floating-point
//    control word.
//  - any thread: get_extension, and gestures and values from the model
//    (lock-free pushes).
// Every entry point names the thread and the state it expects
// (ClapThreadCheck.h): activate and destroy while not active, deactivate and
// reset while active, start_processing while active and not processing,
// process and stop_processing while processing, audio-ports-config select
// while not active, the clap.gui calls with a gui created (create without).
// Built with the checks, a call elsewhere or otherwise is refused and
// reported once per entry point as the host's misbehaviour (destroy alone is
// carried out after its report: refusing it would only leak the instance).
//
// Host input is checked: null pointers, ids at or beyond the parameter
// count, events whose header is shorter than their record, keys outside
// 0..127, velocities outside [0, 1] or NaN, buffers with fewer ports or
// channels than declared (missing inputs read the zero buffer, missing
// outputs write into scratch), values timed at or after the block's end
// (applied after the last chunk), state streams that fail or run past
// 16 MiB. Every C callback catches exceptions and reports failure.

#include "clap/ClapAbi.h"
#include "clap/ClapOutputEventPool.h"
#include "clap/ClapProcessorReports.h"
#include "clap/ClapThreadCheck.h"
#include "clap/ClapTrackContext.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginProcessor.h"
#include "plugin/UnifiedPluginAdapter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ClapPluginAdapter {
public:
    // Pointer lists of one host block.
    static constexpr uint32_t kMaxInputChannels = 32;
    static constexpr uint32_t kMaxOutputChannels = 16;
    // Input ports: the main input and the side chain.
    static constexpr uint32_t kMaxInputPorts = 2;
    // The largest state a host may hand to load.
    static constexpr uint64_t kMaxStateBytes = 16u << 20;
    static constexpr uint32_t kStateReadBytes = 2048;
    // MIDI events queued for the processor between two of its runs: well
    // below the queue's first pool (1024 nodes), so the audio thread never
    // makes it grow; further events are dropped.
    static constexpr uint32_t kMaxQueuedMidi = 512;

    ClapPluginAdapter(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor,
                      const GenericPluginInfo& info);
    ~ClapPluginAdapter();
    ClapPluginAdapter(const ClapPluginAdapter&) = delete;
    ClapPluginAdapter& operator=(const ClapPluginAdapter&) = delete;

    // The editor that the gui extension made (clap/editor/): at most one,
    // owned, and deleted before the model.
    class Editor {
    public:
        virtual ~Editor() = default;
        // False once the host destroyed it, while it waits to be deleted.
        virtual bool isOpenToHost() const { return true; }
    };

    const clap_plugin_t* clapPlugin() const { return &plugin_; }
    // The instance of an initialised plug-in record, else null.
    static ClapPluginAdapter* from(const clap_plugin_t* plugin);

    // What the instance's extension tables use.
    GenericPlugin& getModel() const;
    GenericPluginProcessor& getProcessor() const;
    const clap_host_t* getClapHost() const { return host_; }
    const clap_host_preset_load_t* getHostPresetLoad() const { return hostPresetLoad_; }
    const clap_host_track_info_t* getHostTrackInfo() const { return hostTrackInfo_; }
    ClapTrackContext& getTrackContext() { return trackContext_; }
    ClapProcessorReports& getProcessorReports() { return processorReports_; }
    ClapOutputEventPool& getOutputEvents() { return outputEvents_; }
    bool isActivated() const { return activated_; }
    // Whether an entry point was called on the thread and in the state it
    // expects (ClapThreadCheck.h; always true when built without the checks).
    bool calledOn(ClapThread expected, ClapState required, const char* call) const;
    Editor* getEditor() const { return editor_.get(); }
    // Replaces the editor; the old one is deleted once the new one is in place.
    void setEditor(std::unique_ptr<Editor> editor);

    // The host's calls.
    bool init();
    bool activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    void stopProcessing();
    void reset();
    clap_process_status process(const clap_process_t* process);
    const void* getExtension(const char* id) const;
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);
    bool saveState(const clap_ostream_t* stream);
    bool loadState(const clap_istream_t* stream);

    // Ports and configurations.
    uint32_t audioPortCount(bool isInput) const;
    bool audioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) const;
    uint32_t configCount() const;
    bool configInfo(uint32_t index, clap_audio_ports_config_t* config) const;
    bool selectConfig(clap_id configId);
    clap_id currentConfig() const;
    bool configPortInfo(clap_id configId, uint32_t index, bool isInput, clap_audio_port_info_t* info) const;

    // Parameters: ids are parameter indices.
    uint32_t paramCount() const;
    bool paramInfo(uint32_t index, clap_param_info_t* info) const;
    bool paramValue(clap_id id, double* value) const;
    bool paramValueToText(clap_id id, double value, char* text, uint32_t capacity) const;
    bool paramTextToValue(clap_id id, const char* text, double* value) const;

private:
    class Binding;

    // A layout offered as a configuration.
    bool offersLayout(int32_t layout) const;
    // Input ports of a layout: main (unless an instrument) and side chain.
    std::vector<clap_audio_port_info_t> inputPortsFor(int32_t layout) const;
    void rebuildPorts();
    AbstractPluginParameter* modelParameter(clap_id id) const;
    // Sets a value from the host on both parameter objects (no report back).
    void applyHostValue(clap_id id, double value);
    // The number of events in the host's list (0 for a list without its
    // calls). The list stays as it is for the whole call it came with.
    static uint32_t inputEventCount(const clap_input_events_t* in);
    // Walks the host's events (count of them) from the stored index; returns
    // the frame at which the current chunk ends (at most blockEnd).
    // untilEnd: apply every remaining event whatever its time (flush, and
    // late values).
    uint32_t processInputEvents(const clap_input_events_t* in, uint32_t count, uint32_t blockEnd,
                                bool untilEnd);
    // The steps of process: the host's buffers as channel lists, the
    // transport, then the block in chunks cut at parameter values, with the
    // input events applied at their times.
    // The lists hold inputCount and outputChannels_ entries; the rest is
    // left unwritten.
    struct HostBuffers {
        const float* inputs[kMaxInputChannels];
        uint32_t inputCount = 0;
        // Every input arrived marked constant at 0.
        bool inputsSilent = true;
        float* outputs[kMaxOutputChannels];
        clap_audio_buffer_t* mainOut = nullptr;
    };
    HostBuffers gatherBuffers(const clap_process_t& process);
    void applyTransport(const clap_event_transport_t* transport);
    void renderChunks(const clap_process_t& process, const HostBuffers& buffers, uint32_t eventCount);
    void queueMidi(uint8_t status, uint8_t data1, uint8_t data2, int32_t offset);

    clap_plugin_t plugin_;
    const clap_host_t* host_;
    GenericPluginInfo info_;
    std::unique_ptr<Binding> binding_;
    std::unique_ptr<Editor> editor_;
    bool initialised_ = false;

    ClapThreadCheck threadCheck_;
    const clap_host_params_t* hostParams_ = nullptr;
    const clap_host_state_t* hostState_ = nullptr;
    const clap_host_latency_t* hostLatency_ = nullptr;
    const clap_host_track_info_t* hostTrackInfo_ = nullptr;
    const clap_host_context_menu_t* hostContextMenu_ = nullptr;
    const clap_host_preset_load_t* hostPresetLoad_ = nullptr;

    std::vector<clap_audio_port_info_t> inputPorts_;
    // The channels each input port gives a block's input list: its own
    // count, cut where the list would pass kMaxInputChannels, so that they
    // add up to expectedInputChannels_.
    uint32_t inputPortChannels_[kMaxInputPorts] = {};
    uint32_t inputPortCount_ = 0;
    uint32_t expectedInputChannels_ = 0;
    uint32_t outputChannels_ = 0;

    std::atomic<bool> activated_{false};
    bool restartPending_ = false;
    std::atomic<bool> processing_{false};

    ClapOutputEventPool outputEvents_;
    ClapTrackContext trackContext_;
    ClapProcessorReports processorReports_;

    // Sized in activate: the zero buffer for missing inputs, scratch for
    // missing outputs.
    std::vector<float> zeroBuffer_;
    std::vector<float> scratch_;
    uint32_t maxFrames_ = 0;

    // The event walk across the chunks of one block.
    uint32_t chunkStart_ = 0;
    uint32_t eventIndex_ = 0;
    // Events queued since the processor last ran (audio thread, or the main
    // thread's flush while inactive).
    uint32_t queuedMidi_ = 0;
};
