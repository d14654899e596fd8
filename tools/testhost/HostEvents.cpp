#include "tools/testhost/HostEvents.h"

#include <algorithm>
#include <cstring>

HostEventList::HostEventList() {
    events_.ctx = this;
    events_.size = [](const clap_input_events_t* list) {
        return static_cast<const HostEventList*>(list->ctx)->size();
    };
    events_.get = [](const clap_input_events_t* list, uint32_t index) {
        return static_cast<const HostEventList*>(list->ctx)->get(index);
    };
}

void HostEventList::add(const void* event, size_t size) {
    std::vector<uint64_t> slot((size + 7) / 8 + 1, 0);
    std::memcpy(slot.data(), event, size);
    slots_.push_back(std::move(slot));
    size_t index = slots_.size() - 1;
    uint32_t time = reinterpret_cast<const clap_event_header_t*>(slots_[index].data())->time;
    // Stable: after every event of the same or an earlier time.
    auto position = std::upper_bound(order_.begin(), order_.end(), time, [this](uint32_t t, size_t other) {
        return t < reinterpret_cast<const clap_event_header_t*>(slots_[other].data())->time;
    });
    order_.insert(position, index);
}

void HostEventList::addParamValue(uint32_t time, clap_id param, double value) {
    clap_event_param_value_t event{};
    event.header = {sizeof(event), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = param;
    event.cookie = nullptr;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    add(&event, sizeof(event));
}

void HostEventList::addGesture(uint32_t time, clap_id param, bool begin) {
    clap_event_param_gesture_t event{};
    uint16_t type = begin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
    event.header = {sizeof(event), time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
    event.param_id = param;
    add(&event, sizeof(event));
}

void HostEventList::addNote(uint32_t time, bool on, int16_t port, int16_t channel, int16_t key,
                            double velocity, int32_t noteId) {
    clap_event_note_t event{};
    uint16_t type = on ? CLAP_EVENT_NOTE_ON : CLAP_EVENT_NOTE_OFF;
    event.header = {sizeof(event), time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
    event.note_id = noteId;
    event.port_index = port;
    event.channel = channel;
    event.key = key;
    event.velocity = velocity;
    add(&event, sizeof(event));
}

void HostEventList::addMidi(uint32_t time, uint16_t port, uint8_t status, uint8_t data1, uint8_t data2) {
    clap_event_midi_t event{};
    event.header = {sizeof(event), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    event.port_index = port;
    event.data[0] = status;
    event.data[1] = data1;
    event.data[2] = data2;
    add(&event, sizeof(event));
}

void HostEventList::addRaw(const clap_event_header_t* header) {
    // The stored copy is never shorter than a header, whatever the event claims.
    size_t size = std::max<size_t>(header->size, sizeof(clap_event_header_t));
    add(header, size);
}

void HostEventList::clear() {
    slots_.clear();
    order_.clear();
}

const clap_event_header_t* HostEventList::get(uint32_t index) const {
    if (index >= order_.size()) return nullptr;
    return reinterpret_cast<const clap_event_header_t*>(slots_[order_[index]].data());
}

HostEventCollector::HostEventCollector(size_t capacityBytes, size_t capacityEvents)
    : storage_((capacityBytes + 7) / 8, 0) {
    offsets_.reserve(capacityEvents);
    events_.ctx = this;
    events_.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
        return static_cast<HostEventCollector*>(list->ctx)->push(event);
    };
}

void HostEventCollector::clear() {
    used_ = 0;
    offsets_.clear();
    refused_ = 0;
}

const clap_event_header_t* HostEventCollector::get(size_t index) const {
    if (index >= offsets_.size()) return nullptr;
    return reinterpret_cast<const clap_event_header_t*>(storage_.data() + offsets_[index]);
}

bool HostEventCollector::push(const clap_event_header_t* event) {
    if (!event || event->size < sizeof(clap_event_header_t) || event->size > kMaxEventSize) {
        ++refused_;
        return false;
    }
    size_t words = (event->size + 7) / 8;
    if (used_ + words > storage_.size() || offsets_.size() == offsets_.capacity()) {
        ++refused_;
        return false;
    }
    std::memcpy(storage_.data() + used_, event, event->size);
    offsets_.push_back(used_);
    used_ += words;
    return true;
}
