#pragma once

// UnifiedPluginAdapter keeps one plug-in model and one processor in step and
// is the object through which both reach the host. It implements what the
// model calls (GenericPlugin::Adapter) and what the processor calls
// (GenericPluginProcessor::ProcessorAdapter); the host binding derives from
// it and supplies the host operations (values, gestures, restart, state
// changes, sendParameterValue).
//
// Every operation that touches both sides takes the adapter lock (a
// re-entrant critical section), so the main thread, the editor thread and
// the exchange never see one side half changed. The lock comes before the
// interface's own lock and is never taken on the audio thread: the
// processor-adapter operations there only read parameters, post to the
// model's event queue or notify the listener, and processorParameterChanged
// (a controller that MIDI learn mapped has moved the processor's copy)
// hands the value to sendParameterValue, which sets the model's copy there
// too, without a report back (the model's part of that is atomics,
// GenericPlugin.h).
//
// Model to processor: syncParameters copies every model value into the
// processor's parameters with flag 1 (no report back), which queues them on
// the processor's lock-free parameter queue.

#include "foundation/Lock.h"
#include "plugin/GenericPlugin.h"
#include "plugin/GenericPluginProcessor.h"

#include <functional>
#include <memory>
#include <sstream>

class UnifiedPluginAdapter : public GenericPlugin::Adapter, public GenericPluginProcessor::ProcessorAdapter {
public:
    // Builds the product's processor for a channel layout (the model already
    // holds the layout).
    using ProcessorFactory = std::function<GenericPluginProcessor*(int32_t layout)>;

    // Takes ownership of both.
    UnifiedPluginAdapter(GenericPlugin* model, GenericPluginProcessor* processor);
    ~UnifiedPluginAdapter() override;

    // Links model and processor and copies the whole model state over.
    void initialize();
    void copyControllerMapping();
    // The caller holds the lock.
    void syncParameters(int32_t code);
    // Swaps in a processor built for the layout. Main thread, while not
    // processing; an unchanged layout returns at once without the lock.
    void setChannelLayout(int32_t layout);
    void setProcessorFactory(ProcessorFactory factory) { factory_ = std::move(factory); }

    // GenericPlugin::Adapter
    void controllerMappingChanged() override;
    void synchronize() override;
    void forwardMidi(const MidiEvent& event) override;
    void parameterChanged(int32_t code) override;
    void exchangeDisplayData() override;
    void setProcessorParameter(int32_t index, float value) override;

    // GenericPluginProcessor::ProcessorAdapter (audio thread)
    void programChange(int32_t bank, int32_t program) override;
    void midiControllerSeen(int32_t number) override;
    void processorParameterChanged(int32_t index) override;

    GenericPlugin& getModel() const { return *model_; }
    GenericPluginProcessor& getProcessor() const { return *processor_; }
    ILock& getLock() const { return *lock_; }
    // Set while the host processes audio (setChannelLayout asserts it is not).
    void setProcessing(bool processing) { processing_.store(processing); }

protected:
    // The model-to-processor half of parameterChanged: the host binding runs
    // it after loading state, so the processor stays in step even where the
    // host takes no parameter reports.
    void resyncProcessor(int32_t code);

private:
    std::unique_ptr<GenericPlugin> model_;
    std::unique_ptr<GenericPluginProcessor> processor_;
    std::unique_ptr<CriticalSection> lock_;
    std::stringstream exchange_;
    ProcessorFactory factory_;
    std::atomic<bool> processing_{false};
};
