#pragma once

// GenericPluginProcessor: the audio side of a plug-in.
//
// It owns its own copy of every parameter, the signal environment, the
// channels, a lock-free parameter queue and MIDI queue, the MIDI decoder and
// receiver, a private copy of the controller mapping, and the bypass
// processor that delays the dry signal by the plug-in's latency and
// cross-fades between processed and dry output.
//
// A host block is cut into pieces: at every queued MIDI event (its offset
// counts from the start of the block given to process) and into chunks of
// at most 128 samples, the environment's maximum. Each piece runs the block
// driver (BypassProcessor::process). An event is decoded before the audio
// at its offset; the parameter queue is drained at the start of process and
// after every decoded event, so a parameter that an event sets acts from the
// next piece on.
//
// Threads:
//  - audio thread: setTransport, process, reset, drainParameterQueue, the
//    block driver and the graph. None of them allocates, locks or throws;
//    process runs with flush-to-zero and denormals-are-zero and gives the
//    caller's control register back on return.
//  - any thread: setParameterValue, requestLightReset, requestFullReset and
//    pushes onto the MIDI queues (lock-free).
//  - exchange thread: writeProcessorState (reads atomics only).
//  - main thread: construction, initProcessing, activate, setLatency while
//    not active, destruction.
//
// Construction: a derived class constructs this base, adds its parameters
// and channels and builds its graph, then calls initProcessing, which
// counts the processor in the process (the first one opens the per-process
// block "ZentorProcess2" and runs the first-instance hook), creates the
// event receiver, the decoder and the bypass processor, and sizes
// everything the audio thread uses.

#include "dsp/DisplaySources.h"
#include "dsp/FloatParameter.h"
#include "dsp/wave/Delay.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"
#include "plugin/ControllerMapping.h"
#include "plugin/DefaultEventReceiver.h"
#include "plugin/EventQueue.h"
#include "plugin/GenericPluginBase.h"
#include "plugin/MidiDecoder.h"
#include "plugin/ParameterCollection.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

// What the display snapshot reads of a level source of the processor.
class DisplayLevelSource : public ILevelSource {
public:
    virtual int32_t info() const = 0;
};

class GenericPluginProcessor : public GenericPluginBase, public IMidiProcessor {
public:
    // The processed-sample counter saturates here.
    static constexpr uint32_t kProcessedSamplesLimit = 12288000;
    // Tail lengths: endless, and never sleeping (instruments).
    static constexpr int32_t kTailEndless = -1;
    static constexpr int32_t kTailNeverSleeps = -2;
    // The status bits of process(): on entry, the host's input is quiet; on
    // return, the output stayed silent.
    static constexpr int32_t kStatusInputQuiet = 1;
    static constexpr int32_t kStatusOutputSilent = 2;
    // Parameter-queue indices asking for resets.
    static constexpr int32_t kLightResetIndex = -1;
    static constexpr int32_t kFullResetIndex = -2;

    // What the processor calls of the object that joins it to the model.
    class ProcessorAdapter {
    public:
        virtual void programChange(int32_t bank, int32_t program) = 0;
        // After a host block in which MIDI was decoded: the last controller
        // number received (-1 = none), for MIDI learn.
        virtual void midiControllerSeen(int32_t number) = 0;
        // A processor parameter changed with a report to the host asked for.
        virtual void processorParameterChanged(int32_t index) = 0;

    protected:
        ~ProcessorAdapter() = default;
    };

    // One audio channel: its main input, its side-chain input (silent unless
    // the side chain is supported, enabled and connected), a second
    // side-chain reader, and the producer whose block is the channel's
    // processed output. Owned by the processor.
    class Channel {
    public:
        class ConnectedSideChainInput : public wave::Input {
        public:
            ConnectedSideChainInput(wave::Environment& environment, const GenericPluginProcessor& processor)
                : wave::Input(environment), processor_(processor) {}
            void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

        private:
            const GenericPluginProcessor& processor_;
        };

        explicit Channel(GenericPluginProcessor& processor);
        Channel(const Channel&) = delete;
        Channel& operator=(const Channel&) = delete;
        virtual ~Channel();

        virtual void parameterChanged(int32_t index);
        virtual void sampleRateChanged();

        wave::Input& getInput() const { return *input_; }
        ConnectedSideChainInput& getSideChainInput() const { return *sideChainInput_; }
        wave::Input& getSideChainReader() const { return *sideChainReader_; }
        // The producer of the processed output; null reads as silence.
        wave::Producer* getOutput() const { return output_; }
        void setOutput(wave::Producer* producer) { output_ = producer; }

    private:
        std::unique_ptr<wave::Input> input_;
        std::unique_ptr<ConnectedSideChainInput> sideChainInput_;
        std::unique_ptr<wave::Input> sideChainReader_;
        wave::Producer* output_ = nullptr;
    };

    // The block driver: latency-compensated dry path, 50 ms bypass
    // cross-fade, tail detection and skipping of the graph.
    class BypassProcessor {
    public:
        explicit BypassProcessor(GenericPluginProcessor& processor);
        BypassProcessor(const BypassProcessor&) = delete;
        BypassProcessor& operator=(const BypassProcessor&) = delete;

        // Allocates: one delay of exactly `latency` samples per channel of
        // the layout (none below 1; none for an instrument).
        void buildLatencyDelays(int32_t latency);
        // Start of processing: empties the delays, marks a reset pending.
        void reset();
        // The bypass switch: the target state changed.
        void setTarget(bool bypassed);
        // The tail counter's states besides a number of samples still to run.
        static constexpr int32_t kTailNotCounting = -1; // the input is not quiet
        static constexpr int32_t kTailAwaitingSilence =
            -2; // an endless tail: sleep once the output is silent

        // One piece: count samples at offset of the host block. status holds
        // the process() status bits: kStatusOutputSilent is cleared when the
        // piece is not silent.
        void process(float* const* outputs, int32_t channels, int32_t offset, int32_t count, int32_t& status);

        FloatParameter& getMix() { return mix_; }
        bool getTarget() const { return targetBypass_; }
        bool isUnbypassPending() const { return unbypassPending_; }
        int32_t getTailCounter() const { return tailCounter_; }
        int32_t getBuiltLatency() const { return builtLatency_; }

    private:
        FloatParameter mix_;
        int32_t unbypassDelay_ = 0;
        bool targetBypass_ = false;
        bool unbypassPending_ = false;
        bool resetPending_ = false;
        int32_t builtLatency_ = 0;
        std::vector<std::unique_ptr<wave::Delay>> delays_;
        std::vector<const float*> processedOutputs_;
        GenericPluginProcessor& processor_;
        int32_t tailCounter_ = 0;
    };

    GenericPluginProcessor();
    ~GenericPluginProcessor() override;

    // GenericParameterOwner
    void beginUpdate() override;
    void endUpdate() override;
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    // Queues (index, value); unless flags bit 0 is set, tells the adapter.
    void setParameterValue(int32_t index, float value, int32_t flags) override;
    void addParameterAlias(AbstractPluginParameter* parameter, const std::string& name) override;
    int32_t getNameIndex(const std::string& name) override;
    void requestLightReset() override;
    void requestFullReset() override;

    // Main thread.
    void initProcessing();
    void setAdapter(ProcessorAdapter* newAdapter) { adapter_ = newAdapter; }
    ProcessorAdapter* getAdapter() const { return adapter_; }
    // A value the model side hands to the processor outside its parameters
    // (through the adapter, under its lock). Empty here.
    virtual void setProcessorParameter(int32_t index, float value) {
        (void)index;
        (void)value;
    }
    // The processor's level sources in the order the display snapshot writes
    // them.
    const std::vector<DisplayLevelSource*>& getLevelSources() const { return levelSources_; }
    // Sets the sample rate and builds the latency delays for the current
    // latency. deactivate lets setLatency rebuild them at once again.
    void activate(float sampleRate);
    void deactivate();
    bool isActive() const { return active_; }
    // Stores the latency; the delays follow at once while not active, else
    // at the next activation.
    void setLatency(int32_t samples);
    int32_t getLatency() const { return latency_.load(std::memory_order_relaxed); }

    // The tempo, in beats per minute, of a transport that gives none.
    static constexpr float kFallbackTempo = 120.0f;
    // Audio thread. tempo in beats per minute (0 means kFallbackTempo),
    // position in beats; the sample offset is not used here.
    virtual void setTransport(float tempo, float position, int32_t sampleOffset, bool playing);
    // status may be null; bit 0 set on entry: the host's input is quiet; on
    // return bit 1 set: the output stayed silent. Outputs beyond the layout's
    // channel count are left untouched; inputs beyond numInputs read as
    // silence.
    virtual void process(const float* const* inputs, int32_t numInputs, float* const* outputs,
                         int32_t numOutputs, int32_t frames, int32_t* status);
    // Start of processing, and the host's reset: every active unit of the
    // graph goes back to its state when new (delay lines empty, smoothers at
    // their targets, modulation sources at their start; a unit that is off is
    // reset when it is switched on), then the parameter queue is drained,
    // and each value it sets is taken at once. Afterwards the processor plays
    // as a new one holding the same values, whatever it processed before.
    virtual void reset();
    virtual void drainParameterQueue();

    // The display snapshot for the editor (exchange thread): zeroes the
    // processed-sample counter, then the display sources' records, the tempo,
    // the four instance-tracking words and (with flag 64) the editor's MIDI
    // events, each as byte 1 and three MIDI bytes, then byte 0.
    virtual bool writeProcessorState(std::ostream& stream);
    int32_t getTailLength() { return tailLength(); }
    virtual int32_t tailLength();
    // The level source that meters the gain reduction, for hosts that show
    // it (-1: none). An index below the per-channel count names that meter
    // on every channel of the layout.
    virtual int32_t getGainReductionMeterIndex() const { return -1; }
    int32_t getLevelSourcesPerChannel() const { return levelSourcesPerChannel_; }

    // IMidiProcessor (the note hooks are empty here).
    void midiNoteOff(int32_t key, float velocity) override;
    void midiNoteOn(int32_t key, float velocity) override;
    void midiProgramChange(int32_t bank, int32_t program) override;
    void setLastMidiController(int32_t controller) override { lastMidiController_ = controller; }
    const ControllerMapping* getMidiControllerMapping() const override { return &controllerMapping_; }
    void setMidiVirtualParameter(int32_t position, float normalised) override;
    AbstractPluginParameter* getMidiTargetParameter(int32_t index) const override;

    virtual void tempoChanged(float tempo, float position);
    virtual EventQueue& eventQueueFor(EventQueue& queue, int32_t count);
    virtual void setInputBuffers(const float* const* buffers, int32_t count, int32_t frames);
    virtual AbstractMusicEventReceiver* createEventReceiver();
    virtual int32_t maxChunkSize();
    virtual void transportStarted();
    virtual bool isSilent(const float* const* buffers, int32_t channels, int32_t count);
    virtual void parameterChanged(int32_t index);
    // For each channel below the number of channel objects, pulls the
    // channel's output producer; a channel without one, and every channel
    // beyond them, gives the zero block.
    virtual void collectChannelOutputs(const float** pointers, int32_t channels, int32_t count);
    virtual void notifySampleRateChanged();

    wave::Environment& getEnvironment() { return environment_; }
    const wave::Environment& getEnvironment() const { return environment_; }
    ControllerMapping& getControllerMapping() { return controllerMapping_; }
    EventQueue& getMidiQueue() { return midiQueue_; }
    // Null without flag 64.
    EventQueue* getEditorMidiQueue() const { return editorMidiQueue_.get(); }
    ParameterQueue& getParameterQueue() { return parameterQueue_; }
    BypassProcessor* getBypassProcessor() const { return bypassProcessor_.get(); }
    AbstractMusicEventReceiver* getEventReceiver() const { return eventReceiver_.get(); }
    const std::vector<Channel*>& getChannels() const { return channels_; }

    bool isSuspended() const { return suspendCount_.load() != 0; }
    float getTempo() const { return tempo_.load(std::memory_order_relaxed); }
    double getClockPosition() const { return clockPosition_; }
    bool isPlaying() const { return playing_; }
    int32_t getLastMidiController() const { return lastMidiController_; }
    int32_t getMidiStateValue() const { return midiStateValue_; }
    void setSideChainConnected(bool connected) { sideChainConnected_ = connected; }
    bool isSideChainConnected() const { return sideChainConnected_; }
    uint32_t getProcessedSamples() const { return processedSamples_.load(); }
    uint64_t getInstanceTrackingEntry(int32_t i) const {
        return instanceTracking_[static_cast<size_t>(i)].load();
    }

    // The number of processors counted in this process.
    static int32_t getProcessorCount();

protected:
    // Takes ownership.
    Channel* addChannel(Channel* channel);
    // Lowers the count of processors in the process (once per processor);
    // when it reaches 0, lastInstanceReleased runs. The product's destructor
    // calls it while its own overrides still exist; the base destructor
    // calls it for classes that did not.
    void lowerProcessorCount();
    // Runs for the first processor of the process (under the process-wide
    // lock), and again after all were destroyed. Empty here.
    virtual void firstInstanceInit();
    // Runs when the last processor is gone. Empty here.
    virtual void lastInstanceReleased();

    // Counts the derived class sets before initProcessing sizes the display
    // lists (levels: channels of the layout * per channel + fixed).
    int32_t audioSourceCount_ = 0;
    int32_t levelSourcesPerChannel_ = 0;
    int32_t levelSourceFixedCount_ = 0;
    int32_t spectrumSourceCount_ = 0;
    std::vector<IAudioSourceBuffer*> audioSources_;
    std::vector<DisplayLevelSource*> levelSources_;
    std::vector<SpectrumSource*> spectrumSources_;

private:
    friend class BypassProcessor;

    // The host's input c at offset, or the zero block.
    const float* inputAt(int32_t c, int32_t offset) const;
    // Points every channel input at offset of the host block (so time the
    // graph skipped does not shift what it reads afterwards).
    void positionInputs(int32_t offset);
    void switchBypass(bool bypassed);
    int32_t chunkLimit();
    // Applies change and every one queued after it (drainParameterQueue,
    // once the queue gave one: an empty queue costs only the look).
    void applyParameterChanges(ParameterChange change);

    ParameterCollection parameterCollection_;
    wave::Environment environment_;
    ControllerMapping controllerMapping_;
    ProcessorAdapter* adapter_ = nullptr;
    std::vector<Channel*> channels_;
    std::unique_ptr<BypassProcessor> bypassProcessor_;
    std::unique_ptr<AbstractMusicEventReceiver> eventReceiver_;
    std::unique_ptr<MidiDecoder> midiDecoder_;
    EventQueue midiQueue_{1024, 65536};
    ParameterQueue parameterQueue_{8192, 65536};
    std::unique_ptr<EventQueue> editorMidiQueue_;

    float songPosition_ = 0.0f;
    std::atomic<float> tempo_{kFallbackTempo};
    bool playing_ = false;
    bool sideChainConnected_ = false;
    bool tempoChangedFlag_ = false;
    int32_t lastMidiController_ = -1;
    std::atomic<int32_t> latency_{0};
    int32_t midiStateValue_ = 0;
    bool bypassState_ = false;
    int32_t samplesSinceTransport_ = 0;
    std::atomic<int32_t> suspendCount_{0};
    std::array<std::atomic<uint64_t>, 4> instanceTracking_;
    // The entries of instanceTracking_ in use (setTransport).
    size_t trackingEntriesUsed_ = 0;
    // The per-process block (null until one was opened).
    uint32_t* processBlock_ = nullptr;
    std::atomic<uint32_t> processedSamples_{kProcessedSamplesLimit};
    double clockPosition_ = 0.0;
    bool active_ = false;
    bool countedInProcess_ = false;

    // The host block of the current process call.
    const float* const* hostInputs_ = nullptr;
    int32_t hostInputCount_ = 0;
    int32_t hostFrames_ = 0;
    bool inputsFromHost_ = false;
};
