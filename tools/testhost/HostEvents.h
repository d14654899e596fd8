#pragma once

// Event lists of the test host.
//
// HostEventList is what a host hands to process or flush as in_events: events
// kept in time order (stable for equal times), each stored whole in its own
// 8-byte aligned slot. Raw events may carry any header, so tests can hand a
// plug-in hostile ones (short sizes, unknown types, foreign spaces).
//
// HostEventCollector is out_events: try_push copies each event into storage
// reserved beforehand, so pushes on the audio thread allocate nothing; it
// refuses events whose size is below a header or above kMaxEventSize, and
// pushes beyond its capacity.

#include "clap/ClapAbi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class HostEventList {
public:
    HostEventList();
    HostEventList(const HostEventList&) = delete;
    HostEventList& operator=(const HostEventList&) = delete;

    void addParamValue(uint32_t time, clap_id param, double value);
    void addGesture(uint32_t time, clap_id param, bool begin);
    void addNote(uint32_t time, bool on, int16_t port, int16_t channel, int16_t key, double velocity,
                 int32_t noteId = -1);
    void addMidi(uint32_t time, uint16_t port, uint8_t status, uint8_t data1, uint8_t data2);
    // Any event, copied as it is (`header->size` bytes, at least a header).
    void addRaw(const clap_event_header_t* header);
    void clear();

    uint32_t size() const { return static_cast<uint32_t>(order_.size()); }
    const clap_event_header_t* get(uint32_t index) const;
    const clap_input_events_t* clapEvents() const { return &events_; }

private:
    void add(const void* event, size_t size);

    std::vector<std::vector<uint64_t>> slots_;
    std::vector<size_t> order_;
    clap_input_events_t events_;
};

class HostEventCollector {
public:
    static constexpr uint32_t kMaxEventSize = 4096;

    explicit HostEventCollector(size_t capacityBytes = 1 << 18, size_t capacityEvents = 16384);
    HostEventCollector(const HostEventCollector&) = delete;
    HostEventCollector& operator=(const HostEventCollector&) = delete;

    void clear();
    size_t size() const { return offsets_.size(); }
    const clap_event_header_t* get(size_t index) const;
    // Pushes refused for a bad size or a full store since the last clear.
    size_t refused() const { return refused_; }

    const clap_output_events_t* clapEvents() const { return &events_; }

private:
    bool push(const clap_event_header_t* event);

    std::vector<uint64_t> storage_;
    size_t used_ = 0; // in 8-byte words
    std::vector<size_t> offsets_;
    size_t refused_ = 0;
    clap_output_events_t events_;
};
