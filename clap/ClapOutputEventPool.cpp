#include "clap/ClapOutputEventPool.h"

#include <cstring>

static_assert(sizeof(clap_event_param_value_t) == ClapOutputEventPool::kPayloadBytes,
              "a parameter-value event fills one node");

ClapOutputEventPool::ClapOutputEventPool() : pool_(NodePool::maxCapacity, kPayloadWords) {
    // The queue always holds one placeholder node: head = tail means empty.
    const uint32_t placeholder = pool_.grow(kFirstNodes) & NodePool::indexMask;
    head_.store(placeholder);
    tail_.store(placeholder);
}

uint32_t ClapOutputEventPool::takeNode(bool mayGrow) {
    if (mayGrow) return pool_.allocate() & NodePool::indexMask;
    // The free list without growth: node 0's link is its head.
    std::atomic<uint32_t>& freeHead = pool_.link(0);
    uint32_t head = freeHead.load();
    for (;;) {
        const uint32_t index = head & NodePool::indexMask;
        if (index == 0) return 0;
        const uint32_t next = pool_.link(index).load() & NodePool::indexMask;
        if (freeHead.compare_exchange_weak(head, NodePool::nextWord(head, next))) {
            pool_.link(index).fetch_and(~NodePool::indexMask);
            return index;
        }
    }
}

bool ClapOutputEventPool::push(const clap_event_header_t& event) {
    if (event.size < sizeof(clap_event_header_t) || event.size > kPayloadBytes) return false;
    const bool mayGrow = drainingThread_.load() != std::this_thread::get_id();
    const uint32_t node = takeNode(mayGrow);
    if (node == 0) return false;
    uint32_t raw[kPayloadWords] = {};
    std::memcpy(raw, &event, event.size);
    std::atomic<uint32_t>* payload = pool_.payload(node);
    for (uint32_t w = 0; w < kPayloadWords; ++w)
        payload[w].store(raw[w], std::memory_order_relaxed);

    uint32_t last;
    for (;;) {
        last = tail_.load();
        std::atomic<uint32_t>& lastLink = pool_.link(last & NodePool::indexMask);
        uint32_t next = lastLink.load();
        if (last != tail_.load()) continue;
        if ((next & NodePool::indexMask) != 0) {
            tail_.compare_exchange_strong(last, NodePool::nextWord(last, next));
            continue;
        }
        if (lastLink.compare_exchange_strong(next, NodePool::nextWord(next, node))) break;
    }
    tail_.compare_exchange_strong(last, NodePool::nextWord(last, node));
    return true;
}

bool ClapOutputEventPool::pop(uint32_t* words) {
    for (;;) {
        uint32_t first = head_.load();
        uint32_t last = tail_.load();
        const uint32_t next = pool_.link(first & NodePool::indexMask).load();
        if (first != head_.load()) continue;
        const uint32_t nextIndex = next & NodePool::indexMask;
        if ((first & NodePool::indexMask) == (last & NodePool::indexMask)) {
            if (nextIndex == 0) return false;
            tail_.compare_exchange_strong(last, NodePool::nextWord(last, nextIndex));
            continue;
        }
        if (nextIndex == 0) continue;
        const std::atomic<uint32_t>* payload = pool_.payload(nextIndex);
        for (uint32_t w = 0; w < kPayloadWords; ++w)
            words[w] = payload[w].load(std::memory_order_relaxed);
        if (head_.compare_exchange_strong(first, NodePool::nextWord(first, nextIndex))) {
            pool_.release(first & NodePool::indexMask);
            return true;
        }
    }
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

uint32_t ClapOutputEventPool::drain(const clap_output_events_t* out) {
    uint32_t count = 0;
    uint32_t words[kPayloadWords];
    while (pop(words)) {
        ++count;
        if (out != nullptr && out->try_push != nullptr)
            out->try_push(out, reinterpret_cast<const clap_event_header_t*>(words));
    }
    return count;
}
