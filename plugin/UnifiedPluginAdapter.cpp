#include "plugin/UnifiedPluginAdapter.h"

#include "foundation/BinaryData.h"
#include "plugin/ChannelLayouts.h"
#include "plugin/GenericPluginSettings.h"

#include <cassert>
#include <cmath>

UnifiedPluginAdapter::UnifiedPluginAdapter(GenericPlugin* model, GenericPluginProcessor* processor)
    : model_(model), processor_(processor), lock_(CriticalSection::create()),
      exchange_(std::ios::in | std::ios::out | std::ios::binary) {}

UnifiedPluginAdapter::~UnifiedPluginAdapter() {
    if (processor_) processor_->getEnvironment().beginTeardown();
    if (model_ && model_->getAdapter() == this) model_->setAdapter(nullptr);
    model_.reset();
    processor_.reset();
}

void UnifiedPluginAdapter::initialize() {
    processor_->setAdapter(this);
    processor_->getEnvironment().setSampleRate(model_->getSampleRate());
    copyControllerMapping();
    {
        ScopedLock hold(*lock_);
        syncParameters(GenericPlugin::kResyncAll);
    }
    model_->initializedHook();
}

void UnifiedPluginAdapter::copyControllerMapping() {
    ControllerMapping* mapping = GenericPlugin::getControllerMapping();
    if (mapping == nullptr) return;
    ScopedLock hold(*lock_);
    exchange_.clear();
    exchange_.str(std::string());
    BinaryDataWriter writer(exchange_);
    mapping->write(writer);
    exchange_.seekg(0);
    BinaryDataReader reader(exchange_);
    processor_->getControllerMapping().read(reader);
}

void UnifiedPluginAdapter::syncParameters(int32_t code) {
    processor_->beginUpdate();
    const int32_t count = std::min(model_->getNumParameters(), processor_->getNumParameters());
    for (int32_t i = 0; i < count; ++i) {
        AbstractPluginParameter* parameter = processor_->getParameter(i);
        const float value = model_->getParameter(i)->getValue();
        if (parameter->getValue() != value) {
            parameter->setValue(value, kParameterChangeNotToHost);
        } else {
            // An unchanged value is still queued, so the processor's graph
            // hears every value after a resync.
            processor_->getParameterQueue().push({i, value});
        }
    }
    if (code == GenericPlugin::kResyncLightReset)
        processor_->requestLightReset();
    else if (code == GenericPlugin::kResyncFullReset)
        processor_->requestFullReset();
    processor_->endUpdate();
}

void UnifiedPluginAdapter::resyncProcessor(int32_t code) {
    ScopedLock hold(*lock_);
    syncParameters(code);
}

void UnifiedPluginAdapter::setChannelLayout(int32_t layout) {
    if (model_->getChannelLayout() == layout) return;
    assert(!processing_.load() && "the channel layout changes only while not processing");
    ScopedLock hold(*lock_);
    if (model_->getChannelLayout() != layout) {
        if (!model_->setChannelLayout(layout)) return;
        model_->notifyListener(GenericPlugin::kChannelLayoutChanged, 0);
    }
    if (!factory_) return;
    std::unique_ptr<GenericPluginProcessor> old = std::move(processor_);
    processor_.reset(factory_(layout));
    initialize();
    old->getEnvironment().beginTeardown();
    old.reset();
}

void UnifiedPluginAdapter::controllerMappingChanged() {
    copyControllerMapping();
}

void UnifiedPluginAdapter::synchronize() {
    ScopedLock hold(*lock_);
}

void UnifiedPluginAdapter::forwardMidi(const MidiEvent& event) {
    ScopedLock hold(*lock_);
    bool blocked = false;
    if (AbstractPluginParameter* state = processor_->getMidiStateParameter())
        blocked = std::round(state->getValue()) != 0.0f;
    if (!blocked) processor_->getMidiQueue().push(event);
    if (EventQueue* editor = processor_->getEditorMidiQueue()) editor->push(event);
}

void UnifiedPluginAdapter::parameterChanged(int32_t code) {
    ScopedLock hold(*lock_);
    if (code < 0) {
        syncParameters(code);
        for (int32_t i = 0; i < model_->getNumParameters(); ++i)
            sendParameterValue(i, model_->getParameter(i)->getValue());
    } else if (AbstractPluginParameter* parameter = model_->getParameter(code)) {
        sendParameterValue(code, parameter->getValue());
    }
}

void UnifiedPluginAdapter::exchangeDisplayData() {
    ScopedLock hold(*lock_);
    exchange_.clear();
    exchange_.str(std::string());
    BinaryDataWriter writer(exchange_);
    for (const auto& proxy : model_->getLevelProxies()) {
        const uint8_t requests = proxy->takeRequests();
        writer.writeBytes(&requests, 1);
    }
    exchange_.seekg(0);
    BinaryDataReader reader(exchange_);
    for (DisplayLevelSource* source : processor_->getLevelSources()) {
        uint8_t requests = 0;
        if (!reader.readBytes(&requests, 1)) break;
        if (source == nullptr) continue;
        if ((requests & 1) != 0) source->requestBit0();
        if ((requests & 2) != 0) source->requestBit1();
    }
    exchange_.clear();
    exchange_.str(std::string());
    processor_->writeProcessorState(exchange_);
    exchange_.seekg(0);
    model_->readProcessorState(exchange_);
}

void UnifiedPluginAdapter::setProcessorParameter(int32_t index, float value) {
    ScopedLock hold(*lock_);
    processor_->setProcessorParameter(index, value);
}

void UnifiedPluginAdapter::programChange(int32_t bank, int32_t program) {
    GenericPlugin::SharedSettings* settings = GenericPlugin::getSharedSettings();
    if (settings == nullptr || !settings->midiProgramChangesEnabled.getValue()) return;
    // Without the model's queue the change is dropped: loading a preset here
    // would read files on the audio thread.
    if (AsyncEventQueue* queue = model_->getEventQueue())
        queue->post(GenericPlugin::kProgramChange, int64_t(bank) * 256 + program);
}

void UnifiedPluginAdapter::midiControllerSeen(int32_t number) {
    model_->notifyListener(GenericPlugin::kMidiControllerSeen, number);
}

void UnifiedPluginAdapter::processorParameterChanged(int32_t index) {
    // The processor's value: MIDI learn sets it on the audio thread before
    // the model has heard of it.
    if (AbstractPluginParameter* parameter = processor_->getParameter(index))
        sendParameterValue(index, parameter->getValue());
}
