#include "tools/testhost/HostEvents.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(HostEventList, KeepsTimeOrderStableForEqualTimes) {
    HostEventList list;
    list.addParamValue(20, 1, 0.1);
    list.addParamValue(5, 2, 0.2);
    list.addNote(20, true, 0, 0, 60, 1.0);
    list.addMidi(5, 0, 0x90, 64, 100);
    const clap_input_events_t* events = list.clapEvents();
    ASSERT_EQ(events->size(events), 4u);
    const uint16_t types[] = {CLAP_EVENT_PARAM_VALUE, CLAP_EVENT_MIDI, CLAP_EVENT_PARAM_VALUE,
                              CLAP_EVENT_NOTE_ON};
    const uint32_t times[] = {5, 5, 20, 20};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(events->get(events, i)->type, types[i]) << i;
        EXPECT_EQ(events->get(events, i)->time, times[i]) << i;
    }
    const auto* value = reinterpret_cast<const clap_event_param_value_t*>(events->get(events, 0));
    EXPECT_EQ(value->header.size, sizeof(clap_event_param_value_t));
    EXPECT_EQ(value->param_id, 2u);
    EXPECT_EQ(value->key, -1);
    EXPECT_EQ(events->get(events, 4), nullptr);
}

TEST(HostEventList, RawEventsKeepTheirHeaderEvenWhenItLies) {
    HostEventList list;
    clap_event_header_t shortHeader{4, 3, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    list.addRaw(&shortHeader);
    const clap_event_header_t* stored = list.get(0);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->size, 4u);
    EXPECT_EQ(stored->type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(stored) % 8, 0u);
}

TEST(HostEventCollector, CopiesEventsAndRefusesBadSizesAndOverflow) {
    HostEventCollector collector(128, 2);
    const clap_output_events_t* out = collector.clapEvents();
    clap_event_param_gesture_t gesture{};
    gesture.header = {sizeof(gesture), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0};
    gesture.param_id = 7;
    EXPECT_TRUE(out->try_push(out, &gesture.header));
    gesture.param_id = 8; // the collector holds a copy
    EXPECT_EQ(reinterpret_cast<const clap_event_param_gesture_t*>(collector.get(0))->param_id, 7u);

    clap_event_header_t tooShort{8, 0, 0, CLAP_EVENT_PARAM_VALUE, 0};
    clap_event_header_t tooLong{HostEventCollector::kMaxEventSize + 1, 0, 0, CLAP_EVENT_PARAM_VALUE, 0};
    EXPECT_FALSE(out->try_push(out, &tooShort));
    EXPECT_FALSE(out->try_push(out, &tooLong));
    clap_event_param_value_t value{};
    value.header = {sizeof(value), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    EXPECT_TRUE(out->try_push(out, &value.header));
    EXPECT_FALSE(out->try_push(out, &gesture.header)); // full (2 events)
    EXPECT_EQ(collector.size(), 2u);
    EXPECT_EQ(collector.refused(), 3u);
    collector.clear();
    EXPECT_EQ(collector.size(), 0u);
    EXPECT_EQ(collector.get(0), nullptr);
}

} // namespace
