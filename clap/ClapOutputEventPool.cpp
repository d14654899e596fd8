#include "clap/ClapOutputEventPool.h"

#include <cstring>

static_assert(sizeof(clap_event_param_value_t) == ClapOutputEventPool::kPayloadBytes,
              "a parameter-value event fills one node");
static_assert(alignof(ClapOutputEventPool::Record) >= alignof(clap_event_param_value_t),
              "a record is read in place as the event it holds");

ClapOutputEventPool::ClapOutputEventPool() : queue_(kFirstNodes, NodePool::maxCapacity) {}

bool ClapOutputEventPool::push(const clap_event_header_t& event) {
    if (event.size < sizeof(clap_event_header_t) || event.size > kPayloadBytes) return false;
    Record record{};
    std::memcpy(record.bytes, &event, event.size);
    const bool draining = drainingThread_.load(std::memory_order_relaxed) == std::this_thread::get_id();
    pending_.fetch_add(1);
    if (queue_.push(record, draining ? Queue::Growth::kNever : Queue::Growth::kAllowed)) return true;
    pending_.fetch_sub(1);
    return false;
}

bool ClapOutputEventPool::pushValue(clap_id id, double value) {
    clap_event_param_value_t event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.cookie = nullptr;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    return push(event.header);
}

bool ClapOutputEventPool::pushGesture(clap_id id, bool begin) {
    clap_event_param_gesture_t event{};
    event.header = {
        sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID,
        static_cast<uint16_t>(begin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END), 0};
    event.param_id = id;
    return push(event.header);
}

uint32_t ClapOutputEventPool::drainQueued(const clap_output_events_t* out) {
    uint32_t count = 0;
    Record record;
    while (queue_.pop(record)) {
        ++count;
        if (out != nullptr && out->try_push != nullptr)
            out->try_push(out, reinterpret_cast<const clap_event_header_t*>(record.bytes));
    }
    pending_.fetch_sub(count);
    return count;
}
