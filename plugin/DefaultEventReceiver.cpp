#include "plugin/DefaultEventReceiver.h"

#include "plugin/PluginParameter.h"

void DefaultChannelEventReceiver::controlChange(int32_t controller, int32_t value, float normalised) {
    processor_.setLastMidiController(controller);
    const ControllerMapping* mapping = processor_.getMidiControllerMapping();
    if (mapping != nullptr && controller >= 0 && controller < ControllerMapping::numControllers) {
        const uint32_t target = mapping->getParameter(controller);
        if (target != ControllerMapping::none) {
            if (target >= ControllerMapping::virtualBase) {
                processor_.setMidiVirtualParameter(int32_t(target - ControllerMapping::virtualBase),
                                                   normalised);
            } else if (AbstractPluginParameter* parameter =
                           processor_.getMidiTargetParameter(int32_t(target))) {
                parameter->setValue(parameter->fromLinearNormalized(normalised), 0);
            }
        }
    }
    AbstractChannelEventReceiver::controlChange(controller, value, normalised);
}

void DefaultChannelEventReceiver::noteOff(int32_t key, float velocity) {
    processor_.midiNoteOff(key, velocity);
    AbstractChannelEventReceiver::noteOff(key, velocity);
}

void DefaultChannelEventReceiver::noteOn(int32_t key, float velocity) {
    processor_.midiNoteOn(key, velocity);
    AbstractChannelEventReceiver::noteOn(key, velocity);
}

void DefaultChannelEventReceiver::programChange(int32_t bank, int32_t program) {
    processor_.midiProgramChange(bank, program);
}

DefaultEventReceiver::DefaultEventReceiver(IMidiProcessor& processor) : processor_(processor) {
    setChannelReceiver(new DefaultChannelEventReceiver(processor));
}

DefaultEventReceiver::~DefaultEventReceiver() = default;

void DefaultEventReceiver::setChannelReceiver(AbstractChannelEventReceiver* receiver) {
    setReceiver(slot_, nullptr);
    channelReceiver_.reset(receiver);
    setReceiver(slot_, receiver);
}

void DefaultEventReceiver::propertyChanged(AbstractProperty& property) {
    if (&property != &channel_) return;
    const int32_t newSlot = slotOfChannel(channel_.getValue());
    if (newSlot == slot_) return;
    setReceiver(slot_, nullptr);
    slot_ = newSlot;
    setReceiver(slot_, channelReceiver_.get());
}

int32_t DefaultEventReceiver::slotOfChannel(int32_t value) {
    return value >= 0 && value < numSlots ? value : omniSlot;
}
