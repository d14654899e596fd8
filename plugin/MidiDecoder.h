#pragma once

// MIDI decoding: 3-byte messages become calls on per-channel receivers, and
// from there on their listeners.
//
// An AbstractMusicEventReceiver has 17 slots for channel receivers: slot 0
// gets every channel message (omni), slot c + 1 those of MIDI channel c. The
// decoder hands each channel message first to the omni slot, then to the
// channel's slot; an empty slot is skipped. Of the system messages only a
// system reset (0xFF) is passed on, to the system receiver.
//
// Data bytes are masked to 7 bits before anything else sees them, so a
// controller number or key is always 0..127 whatever the host sends.
//
// Threading: decoding, receivers and listeners run on the audio thread and
// allocate nothing. Listeners and receivers are set up before processing.

#include "foundation/NotifyEvent.h"
#include "plugin/EventQueue.h"

#include <array>
#include <cstdint>
#include <vector>

// MIDI 1.0 status bytes: a channel message's kind in the high four bits,
// its channel (0..15) in the low four; from 0xF0 on, system messages.
enum MidiStatus : std::uint8_t {
    kMidiNoteOff = 0x80,
    kMidiNoteOn = 0x90,
    kMidiKeyPressure = 0xA0,
    kMidiControlChange = 0xB0,
    kMidiProgramChange = 0xC0,
    kMidiChannelPressure = 0xD0,
    kMidiPitchBend = 0xE0,
    kMidiSystem = 0xF0,
    kMidiSystemReset = 0xFF,
};
constexpr std::uint8_t kMidiKindBits = 0xF0;
constexpr std::uint8_t kMidiChannelBits = 0x0F;
// The controllers the decoder keeps for itself: the bank's high and low
// seven bits, and all notes off.
enum MidiController : std::int32_t {
    kMidiBankSelect = 0,
    kMidiBankSelectLow = 32,
    kMidiAllNotesOff = 123,
};

// 1/127 as the decoder scales 7-bit values, and the pitch-bend step.
constexpr float kMidiValueScale = 0.007874016f;
constexpr float kPitchBendScale = 6.103888e-05f;

class MidiMessageReceiver {
public:
    virtual ~MidiMessageReceiver() = default;
    virtual void receiveMidi(const MidiEvent& event) = 0;
};

// Told of decoded channel messages. Every operation is empty here.
class MidiListener {
public:
    virtual ~MidiListener() = default;
    virtual void channelPressure(float value);
    virtual void keyPressure(int32_t key, float value);
    virtual void controlChange(int32_t controller, int32_t value, float normalised);
    virtual void modWheel(float value);
    virtual void noteOff(int32_t key, float velocity);
    virtual void noteOn(int32_t key, float velocity);
    virtual void pitchBend(float value);
};

// Receives the decoded messages of one slot and passes most of them on to
// its listeners (not owned), in the order they were added.
class AbstractChannelEventReceiver {
public:
    AbstractChannelEventReceiver() = default;
    AbstractChannelEventReceiver(const AbstractChannelEventReceiver&) = delete;
    AbstractChannelEventReceiver& operator=(const AbstractChannelEventReceiver&) = delete;
    virtual ~AbstractChannelEventReceiver() = default;

    // The undecoded message (omni slot only); empty here.
    virtual void rawMessage(uint8_t status, uint8_t data1, uint8_t data2);
    virtual void channelPressure(float value);
    virtual void keyPressure(int32_t key, float value);
    // Listeners get controlChange, and for controller 1 also modWheel.
    virtual void controlChange(int32_t controller, int32_t value, float normalised);
    virtual void noteOff(int32_t key, float velocity);
    virtual void noteOn(int32_t key, float velocity);
    // value -0.5..0.5
    virtual void pitchBend(float value);
    // Empty here.
    virtual void programChange(int32_t bank, int32_t program);

    // Not on the audio thread: these may allocate.
    void addListener(MidiListener* listener);
    void removeListener(MidiListener* listener);
    const std::vector<MidiListener*>& getListeners() const { return listeners_; }

private:
    std::vector<MidiListener*> listeners_;
};

// Gets the system messages that are passed on: only a system reset.
class SystemEventReceiver {
public:
    virtual ~SystemEventReceiver() = default;
    virtual void systemReset() = 0;
};

class AbstractMusicEventReceiver {
public:
    static constexpr int32_t numSlots = 17;
    static constexpr int32_t omniSlot = 0;

    AbstractMusicEventReceiver() = default;
    AbstractMusicEventReceiver(const AbstractMusicEventReceiver&) = delete;
    AbstractMusicEventReceiver& operator=(const AbstractMusicEventReceiver&) = delete;
    virtual ~AbstractMusicEventReceiver() = default;

    // Receivers are not owned here; null empties a slot. A slot outside
    // 0..16 is ignored (or reads as empty).
    AbstractChannelEventReceiver* getReceiver(int32_t slot) const;
    void setReceiver(int32_t slot, AbstractChannelEventReceiver* receiver);

    SystemEventReceiver* getSystemReceiver() const { return systemReceiver_; }
    void setSystemReceiver(SystemEventReceiver* receiver) { systemReceiver_ = receiver; }

    // Fired with this object as argument when a slot's receiver changes.
    NotifyEvent& getReceiverChangedEvent() { return receiverChanged_; }

private:
    std::array<AbstractChannelEventReceiver*, numSlots> slots_{};
    SystemEventReceiver* systemReceiver_ = nullptr;
    NotifyEvent receiverChanged_;
};

class MidiDecoder : public MidiMessageReceiver {
public:
    // The receiver is not owned and outlives the decoder.
    explicit MidiDecoder(AbstractMusicEventReceiver& receiver) : receiver_(receiver) {}

    void receiveMidi(const MidiEvent& event) override;

    // The bank number a program change in this slot would carry.
    int32_t getBank(int32_t slot) const {
        return slot >= 0 && slot < AbstractMusicEventReceiver::numSlots ? banks_[slot] : 0;
    }

private:
    void dispatch(int32_t slot, uint8_t status, uint8_t data1, uint8_t data2);

    std::array<int32_t, AbstractMusicEventReceiver::numSlots> banks_{};
    AbstractMusicEventReceiver& receiver_;
};
