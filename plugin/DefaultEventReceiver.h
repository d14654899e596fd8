#pragma once

// The processor's MIDI receivers.
//
// DefaultEventReceiver owns one channel receiver and keeps it in the slot of
// its channel property (0 = omni, 1..16 = MIDI channel 1..16; any other
// value counts as omni). DefaultChannelEventReceiver passes notes to the
// processor's note hooks, program changes to its adapter, and drives the
// parameter that the processor's controller mapping gives a control change.
//
// IMidiProcessor is what these receivers need of the processor; the
// processor implements it. Everything here runs on the audio thread, except
// construction and setChannelReceiver.

#include "foundation/Property.h"
#include "plugin/ControllerMapping.h"
#include "plugin/MidiDecoder.h"

#include <cstdint>
#include <memory>

class AbstractPluginParameter;

class IMidiProcessor {
public:
    virtual void midiNoteOff(int32_t key, float velocity) = 0;
    virtual void midiNoteOn(int32_t key, float velocity) = 0;
    // Hands a program change to the processor adapter, when there is one.
    virtual void midiProgramChange(int32_t bank, int32_t program) = 0;
    // The last controller number received, for MIDI learn.
    virtual void setLastMidiController(int32_t controller) = 0;
    // The processor's own copy of the mapping; null while there is none.
    virtual const ControllerMapping* getMidiControllerMapping() const = 0;
    // Sets the MIDI virtual parameter at this position of the processor's
    // list to a controller value (0..1); does nothing when there is none.
    virtual void setMidiVirtualParameter(int32_t position, float normalised) = 0;
    // The parameter with this index, or null when the index is not below
    // the processor's parameter count.
    virtual AbstractPluginParameter* getMidiTargetParameter(int32_t index) const = 0;

protected:
    ~IMidiProcessor() = default;
};

class DefaultChannelEventReceiver : public AbstractChannelEventReceiver {
public:
    explicit DefaultChannelEventReceiver(IMidiProcessor& processor) : processor_(processor) {}

    // Records the controller number; when the mapping maps the controller,
    // drives a virtual parameter (identifier at or above
    // ControllerMapping::virtualBase) or the parameter with that index, the
    // change reported to the host; then tells the listeners.
    void controlChange(int32_t controller, int32_t value, float normalised) override;
    // The processor's note hook first, then the listeners.
    void noteOff(int32_t key, float velocity) override;
    void noteOn(int32_t key, float velocity) override;
    void programChange(int32_t bank, int32_t program) override;

private:
    IMidiProcessor& processor_;
};

class DefaultEventReceiver : public AbstractMusicEventReceiver, public PropertyOwner {
public:
    explicit DefaultEventReceiver(IMidiProcessor& processor);
    ~DefaultEventReceiver() override;

    // Deletes the current channel receiver and puts this one (owned from now
    // on) into the slot of the current channel.
    virtual void setChannelReceiver(AbstractChannelEventReceiver* receiver);
    AbstractChannelEventReceiver* getChannelReceiver() const { return channelReceiver_.get(); }

    Property<int32_t>& getChannel() { return channel_; }
    int32_t getSlot() const { return slot_; }
    IMidiProcessor& getProcessor() const { return processor_; }

    void propertyChanged(AbstractProperty& property) override;

private:
    static int32_t slotOfChannel(int32_t channel);

    Property<int32_t> channel_{this, 0};
    int32_t slot_ = omniSlot;
    std::unique_ptr<AbstractChannelEventReceiver> channelReceiver_;
    IMidiProcessor& processor_;
};
