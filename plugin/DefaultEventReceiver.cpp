#include "plugin/DefaultEventReceiver.h"

#include "plugin/PluginParameter.h"

void DefaultChannelEventReceiver::controlChange(int32_t controller, int32_t value, float normalised) {
    processor.setLastMidiController(controller);
    const ControllerMapping* mapping = processor.getMidiControllerMapping();
    if (mapping != nullptr && controller >= 0 && controller < ControllerMapping::numControllers) {
        const uint32_t target = mapping->getParameter(controller);
        if (target != ControllerMapping::none) {
            if (target >= ControllerMapping::virtualBase) {
                processor.setMidiVirtualParameter(int32_t(target - ControllerMapping::virtualBase),
                                                  normalised);
            } else if (AbstractPluginParameter* parameter =
                           processor.getMidiTargetParameter(int32_t(target))) {
                parameter->setValue(parameter->fromLinearNormalized(normalised), 0);
            }
        }
    }
    AbstractChannelEventReceiver::controlChange(controller, value, normalised);
}

void DefaultChannelEventReceiver::noteOff(int32_t key, float velocity) {
    processor.midiNoteOff(key, velocity);
    AbstractChannelEventReceiver::noteOff(key, velocity);
}

void DefaultChannelEventReceiver::noteOn(int32_t key, float velocity) {
    processor.midiNoteOn(key, velocity);
    AbstractChannelEventReceiver::noteOn(key, velocity);
}

void DefaultChannelEventReceiver::programChange(int32_t bank, int32_t program) {
    processor.midiProgramChange(bank, program);
}

DefaultEventReceiver::DefaultEventReceiver(IMidiProcessor& processor) : processor(processor) {
    setChannelReceiver(new DefaultChannelEventReceiver(processor));
}

DefaultEventReceiver::~DefaultEventReceiver() = default;

void DefaultEventReceiver::setChannelReceiver(AbstractChannelEventReceiver* receiver) {
    setReceiver(slot, nullptr);
    channelReceiver.reset(receiver);
    setReceiver(slot, receiver);
}

void DefaultEventReceiver::propertyChanged(AbstractProperty& property) {
    if (&property != &channel) return;
    const int32_t newSlot = slotOfChannel(channel.getValue());
    if (newSlot == slot) return;
    setReceiver(slot, nullptr);
    slot = newSlot;
    setReceiver(slot, channelReceiver.get());
}

int32_t DefaultEventReceiver::slotOfChannel(int32_t value) {
    return value >= 0 && value < numSlots ? value : omniSlot;
}
