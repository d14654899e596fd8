#include "plugin/MidiDecoder.h"

#include <algorithm>

void MidiListener::channelPressure(float) {}
void MidiListener::keyPressure(int32_t, float) {}
void MidiListener::controlChange(int32_t, int32_t, float) {}
void MidiListener::modWheel(float) {}
void MidiListener::noteOff(int32_t, float) {}
void MidiListener::noteOn(int32_t, float) {}
void MidiListener::pitchBend(float) {}

void AbstractChannelEventReceiver::rawMessage(uint8_t, uint8_t, uint8_t) {}

void AbstractChannelEventReceiver::channelPressure(float value) {
    for (MidiListener* listener : listeners_)
        listener->channelPressure(value);
}

void AbstractChannelEventReceiver::keyPressure(int32_t key, float value) {
    for (MidiListener* listener : listeners_)
        listener->keyPressure(key, value);
}

void AbstractChannelEventReceiver::controlChange(int32_t controller, int32_t value, float normalised) {
    for (MidiListener* listener : listeners_) {
        listener->controlChange(controller, value, normalised);
        if (controller == 1) listener->modWheel(normalised);
    }
}

void AbstractChannelEventReceiver::noteOff(int32_t key, float velocity) {
    for (MidiListener* listener : listeners_)
        listener->noteOff(key, velocity);
}

void AbstractChannelEventReceiver::noteOn(int32_t key, float velocity) {
    for (MidiListener* listener : listeners_)
        listener->noteOn(key, velocity);
}

void AbstractChannelEventReceiver::pitchBend(float value) {
    for (MidiListener* listener : listeners_)
        listener->pitchBend(value);
}

void AbstractChannelEventReceiver::programChange(int32_t, int32_t) {}

void AbstractChannelEventReceiver::addListener(MidiListener* listener) {
    if (listener != nullptr) listeners_.push_back(listener);
}

void AbstractChannelEventReceiver::removeListener(MidiListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

AbstractChannelEventReceiver* AbstractMusicEventReceiver::getReceiver(int32_t slot) const {
    if (slot < 0 || slot >= numSlots) return nullptr;
    return slots_[slot];
}

void AbstractMusicEventReceiver::setReceiver(int32_t slot, AbstractChannelEventReceiver* receiver) {
    if (slot < 0 || slot >= numSlots || slots_[slot] == receiver) return;
    slots_[slot] = receiver;
    receiverChanged_.notify(this);
}

void MidiDecoder::receiveMidi(const MidiEvent& event) {
    const uint8_t status = event.status();
    const uint8_t data1 = event.data1() & 0x7F;
    const uint8_t data2 = event.data2() & 0x7F;

    if (AbstractChannelEventReceiver* omni = receiver_.getReceiver(AbstractMusicEventReceiver::omniSlot))
        omni->rawMessage(status, data1, data2);

    if (status >= kMidiSystem) {
        if (status == kMidiSystemReset) {
            if (SystemEventReceiver* system = receiver_.getSystemReceiver()) system->systemReset();
        }
        return;
    }
    if (status < kMidiNoteOff) return; // a data byte: no status
    dispatch(AbstractMusicEventReceiver::omniSlot, status, data1, data2);
    dispatch((status & kMidiChannelBits) + 1, status, data1, data2);
}

void MidiDecoder::dispatch(int32_t slot, uint8_t status, uint8_t data1, uint8_t data2) {
    AbstractChannelEventReceiver* target = receiver_.getReceiver(slot);
    if (target == nullptr) return;
    const int32_t k = data1;
    const int32_t v = data2;
    int32_t& bank = banks_[slot];
    switch (status & kMidiKindBits) {
    case kMidiNoteOff:
        target->noteOff(k, float(v) * kMidiValueScale);
        break;
    case kMidiNoteOn:
        if (v != 0)
            target->noteOn(k, float(v) * kMidiValueScale);
        else
            target->noteOff(k, 0.0f);
        break;
    case kMidiKeyPressure:
        target->keyPressure(k, float(v) * kMidiValueScale);
        break;
    case kMidiControlChange:
        if (k == kMidiBankSelect)
            bank = v * 128 + (bank & 0x7F);
        else if (k == kMidiBankSelectLow)
            bank = (bank & 0x3F80) + v;
        else if (k == kMidiAllNotesOff)
            target->noteOff(0, 0.0f);
        else
            target->controlChange(k, v, float(v) * kMidiValueScale);
        break;
    case kMidiProgramChange:
        target->programChange(bank, k);
        break;
    case kMidiChannelPressure:
        target->channelPressure(float(k) * kMidiValueScale);
        break;
    case kMidiPitchBend:
        target->pitchBend(float(v * 128 + k) * kPitchBendScale - 0.5f);
        break;
    default:
        break;
    }
}
