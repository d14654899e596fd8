#pragma once

// The records that reach the processor from other threads, and their queues.
//
// MidiEvent: a 3-byte MIDI message packed into one word (status in bits 0-7,
// first data byte in bits 8-15, second in bits 16-23) and a sample offset
// that counts from the start of the piece of audio passed to the processor.
//
// ParameterChange: a parameter index and its new value; index -1 asks for a
// light reset, -2 for a full reset.

#include "foundation/LockFreeQueue.h"

#include <cstdint>

struct MidiEvent {
    std::uint32_t message = 0;
    std::int32_t offset = 0;

    static MidiEvent make(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                          std::int32_t offset = 0) {
        return {std::uint32_t(status) | std::uint32_t(data1) << 8 | std::uint32_t(data2) << 16, offset};
    }

    std::uint8_t status() const { return std::uint8_t(message); }
    std::uint8_t data1() const { return std::uint8_t(message >> 8); }
    std::uint8_t data2() const { return std::uint8_t(message >> 16); }
};

struct ParameterChange {
    std::int32_t index = 0;
    float value = 0.0f;
};

// A queue of MIDI events, constructed with (first node count, capacity);
// capacity 0 means 65536, and any capacity is limited to 65536.
class EventQueue : public LockFreeQueue<MidiEvent> {
public:
    EventQueue(std::uint32_t firstNodeCount, std::uint32_t capacity)
        : LockFreeQueue<MidiEvent>(firstNodeCount, capacity) {}
};

using ParameterQueue = LockFreeQueue<ParameterChange>;
