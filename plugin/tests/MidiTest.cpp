#include "foundation/tests/AllocationCounter.h"
#include "plugin/ControllerMapping.h"
#include "plugin/DefaultEventReceiver.h"
#include "plugin/MidiDecoder.h"
#include "plugin/PluginParameter.h"
#include "plugin/tests/RecordingParameterOwner.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

std::string text(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", double(value));
    return buffer;
}

std::string hex(uint8_t status, uint8_t data1, uint8_t data2) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X %02X %02X", status, data1, data2);
    return buffer;
}

// Writes every call it gets into a shared log, prefixed with its name.
class LoggingChannelReceiver : public AbstractChannelEventReceiver {
public:
    LoggingChannelReceiver(Log& log, std::string name) : log_(log), name_(std::move(name)) {}

    void rawMessage(uint8_t status, uint8_t data1, uint8_t data2) override {
        add("raw " + hex(status, data1, data2));
    }
    void channelPressure(float value) override { add("channelPressure " + text(value)); }
    void keyPressure(int32_t key, float value) override {
        add("keyPressure " + std::to_string(key) + " " + text(value));
    }
    void controlChange(int32_t controller, int32_t value, float normalised) override {
        add("controlChange " + std::to_string(controller) + " " + std::to_string(value) + " " +
            text(normalised));
    }
    void noteOff(int32_t key, float velocity) override {
        add("noteOff " + std::to_string(key) + " " + text(velocity));
    }
    void noteOn(int32_t key, float velocity) override {
        add("noteOn " + std::to_string(key) + " " + text(velocity));
    }
    void pitchBend(float value) override { add("pitchBend " + text(value)); }
    void programChange(int32_t bank, int32_t program) override {
        add("programChange " + std::to_string(bank) + " " + std::to_string(program));
    }

private:
    void add(const std::string& entry) { log_.push_back(name_ + " " + entry); }
    Log& log_;
    std::string name_;
};

class LoggingListener : public MidiListener {
public:
    LoggingListener(Log& log, std::string name) : log_(log), name_(std::move(name)) {}

    void channelPressure(float value) override { add("channelPressure " + text(value)); }
    void keyPressure(int32_t key, float value) override {
        add("keyPressure " + std::to_string(key) + " " + text(value));
    }
    void controlChange(int32_t controller, int32_t value, float normalised) override {
        add("controlChange " + std::to_string(controller) + " " + std::to_string(value) + " " +
            text(normalised));
    }
    void modWheel(float value) override { add("modWheel " + text(value)); }
    void noteOff(int32_t key, float velocity) override {
        add("noteOff " + std::to_string(key) + " " + text(velocity));
    }
    void noteOn(int32_t key, float velocity) override {
        add("noteOn " + std::to_string(key) + " " + text(velocity));
    }
    void pitchBend(float value) override { add("pitchBend " + text(value)); }

private:
    void add(const std::string& entry) { log_.push_back(name_ + " " + entry); }
    Log& log_;
    std::string name_;
};

class LoggingSystemReceiver : public SystemEventReceiver {
public:
    explicit LoggingSystemReceiver(Log& log) : log_(log) {}
    void systemReset() override { log_.push_back("system reset"); }

private:
    Log& log_;
};

struct Message {
    uint8_t status, data1, data2;
};

TEST(MidiDecoder, DecodesMessagesToReceiverCalls) {
    struct Case {
        std::vector<Message> messages;
        Log expected;
    };
    const Case cases[] = {
        {{{0x90, 60, 100}}, {"omni raw 90 3C 64", "omni noteOn 60 0.787402", "ch0 noteOn 60 0.787402"}},
        // Note on with velocity 0 is a note off with velocity 0.
        {{{0x90, 60, 0}}, {"omni raw 90 3C 00", "omni noteOff 60 0", "ch0 noteOff 60 0"}},
        {{{0x80, 60, 64}}, {"omni raw 80 3C 40", "omni noteOff 60 0.503937", "ch0 noteOff 60 0.503937"}},
        {{{0xA0, 61, 127}}, {"omni raw A0 3D 7F", "omni keyPressure 61 1", "ch0 keyPressure 61 1"}},
        // MIDI channel 3: the omni receiver first, then slot 4.
        {{{0xB3, 7, 127}}, {"omni raw B3 07 7F", "omni controlChange 7 127 1", "ch3 controlChange 7 127 1"}},
        {{{0xD0, 64, 0}},
         {"omni raw D0 40 00", "omni channelPressure 0.503937", "ch0 channelPressure 0.503937"}},
        {{{0xE0, 0, 0}}, {"omni raw E0 00 00", "omni pitchBend -0.5", "ch0 pitchBend -0.5"}},
        {{{0xE0, 0, 64}}, {"omni raw E0 00 40", "omni pitchBend 3.05176e-05", "ch0 pitchBend 3.05176e-05"}},
        {{{0xE0, 127, 127}}, {"omni raw E0 7F 7F", "omni pitchBend 0.5", "ch0 pitchBend 0.5"}},
        // Bank select MSB 1 and LSB 5, then program 7: bank 133.
        {{{0xB0, 0, 1}, {0xB0, 32, 5}, {0xC0, 7, 0}},
         {"omni raw B0 00 01", "omni raw B0 20 05", "omni raw C0 07 00", "omni programChange 133 7",
          "ch0 programChange 133 7"}},
        // Banks are kept per slot: channel 1 never saw the bank select.
        {{{0xB0, 0, 1}, {0xC1, 7, 0}},
         {"omni raw B0 00 01", "omni raw C1 07 00", "omni programChange 128 7", "ch1 programChange 0 7"}},
        // LSB first, then MSB keeps the LSB.
        {{{0xB0, 32, 9}, {0xB0, 0, 2}, {0xC0, 1, 0}},
         {"omni raw B0 20 09", "omni raw B0 00 02", "omni raw C0 01 00", "omni programChange 265 1",
          "ch0 programChange 265 1"}},
        // All notes off becomes a note off of key 0.
        {{{0xB0, 123, 0}}, {"omni raw B0 7B 00", "omni noteOff 0 0", "ch0 noteOff 0 0"}},
        {{{0x9F, 60, 100}}, {"omni raw 9F 3C 64", "omni noteOn 60 0.787402", "ch15 noteOn 60 0.787402"}},
        // A channel without receiver is skipped.
        {{{0x95, 60, 100}}, {"omni raw 95 3C 64", "omni noteOn 60 0.787402"}},
        // System messages: only a reset is passed on.
        {{{0xFF, 0, 0}}, {"omni raw FF 00 00", "system reset"}},
        {{{0xF8, 0, 0}, {0xF0, 1, 2}, {0xFE, 0, 0}},
         {"omni raw F8 00 00", "omni raw F0 01 02", "omni raw FE 00 00"}},
        // Data bytes are 7 bits; the top bit is dropped.
        {{{0x90, 0xBC, 0xE4}}, {"omni raw 90 3C 64", "omni noteOn 60 0.787402", "ch0 noteOn 60 0.787402"}},
        {{{0xB0, 0x87, 0xFF}},
         {"omni raw B0 07 7F", "omni controlChange 7 127 1", "ch0 controlChange 7 127 1"}},
        {{{0xB0, 0xFB, 0x80}}, {"omni raw B0 7B 00", "omni noteOff 0 0", "ch0 noteOff 0 0"}},
        {{{0xE0, 0xFF, 0xFF}}, {"omni raw E0 7F 7F", "omni pitchBend 0.5", "ch0 pitchBend 0.5"}},
        // A data byte where the status belongs goes nowhere but the raw call.
        {{{0x3C, 0x40, 0x00}}, {"omni raw 3C 40 00"}},
    };

    for (const Case& c : cases) {
        Log log;
        LoggingChannelReceiver omni(log, "omni"), ch0(log, "ch0"), ch1(log, "ch1"), ch3(log, "ch3"),
            ch15(log, "ch15");
        LoggingSystemReceiver system(log);
        AbstractMusicEventReceiver receiver;
        receiver.setReceiver(0, &omni);
        receiver.setReceiver(1, &ch0);
        receiver.setReceiver(2, &ch1);
        receiver.setReceiver(4, &ch3);
        receiver.setReceiver(16, &ch15);
        receiver.setSystemReceiver(&system);
        MidiDecoder decoder(receiver);
        for (const Message& m : c.messages)
            decoder.receiveMidi(MidiEvent::make(m.status, m.data1, m.data2, 17));
        EXPECT_EQ(log, c.expected) << hex(c.messages[0].status, c.messages[0].data1, c.messages[0].data2);
    }
}

TEST(EventQueue, CarriesMidiEventsAsPackedWords) {
    const MidiEvent event = MidiEvent::make(0x93, 0x3C, 0x64, 40);
    EXPECT_EQ(event.message, 0x643C93u);
    EXPECT_EQ(event.status(), 0x93);
    EXPECT_EQ(event.data1(), 0x3C);
    EXPECT_EQ(event.data2(), 0x64);

    // The editor's queue: 32 nodes hold 30 events.
    EventQueue queue(32, 32);
    for (int32_t i = 0; i < 30; ++i)
        ASSERT_TRUE(queue.push(MidiEvent::make(0x90, uint8_t(i), 1, i)));
    EXPECT_FALSE(queue.push(event));
    MidiEvent out;
    ASSERT_TRUE(queue.pop(out));
    EXPECT_EQ(out.message, 0x010090u);
    EXPECT_EQ(out.offset, 0);

    EventQueue largest(1024, 0);
    EXPECT_EQ(largest.getPool().getCapacity(), 65536u);
    EXPECT_EQ(largest.getPool().getNodeCount(), 1024u);
}

TEST(MidiDecoder, PitchBendCentreIsJustAboveZero) {
    struct Bend : AbstractChannelEventReceiver {
        float value = -1.0f;
        void pitchBend(float v) override { value = v; }
    } bend;
    AbstractMusicEventReceiver receiver;
    receiver.setReceiver(1, &bend);
    MidiDecoder decoder(receiver);
    decoder.receiveMidi(MidiEvent::make(0xE0, 0x00, 0x40));
    EXPECT_GT(bend.value, 0.0f);
    EXPECT_LT(bend.value, 1e-4f);
}

TEST(MidiDecoder, WithoutOmniReceiverChannelSlotsStillGetTheirMessages) {
    Log log;
    LoggingChannelReceiver ch2(log, "ch2");
    AbstractMusicEventReceiver receiver;
    receiver.setReceiver(3, &ch2);
    // Slots outside 0..16 are ignored.
    receiver.setReceiver(17, &ch2);
    receiver.setReceiver(-1, &ch2);
    EXPECT_EQ(receiver.getReceiver(17), nullptr);
    MidiDecoder decoder(receiver);
    decoder.receiveMidi(MidiEvent::make(0x92, 1, 2));
    decoder.receiveMidi(MidiEvent::make(0xFF, 0, 0));
    EXPECT_EQ(log, (Log{"ch2 noteOn 1 0.015748"}));
}

TEST(ChannelEventReceiver, PassesMessagesToListenersInOrder) {
    Log log;
    LoggingListener first(log, "L1"), second(log, "L2");
    AbstractChannelEventReceiver receiver;
    receiver.addListener(&first);
    receiver.addListener(&second);

    receiver.controlChange(1, 64, 0.5f);
    receiver.controlChange(7, 127, 1.0f);
    receiver.noteOn(60, 0.25f);
    receiver.noteOff(60, 0.0f);
    receiver.keyPressure(61, 0.75f);
    receiver.channelPressure(0.125f);
    receiver.pitchBend(-0.5f);
    receiver.programChange(3, 4);
    receiver.rawMessage(0x90, 1, 2);
    EXPECT_EQ(log, (Log{
                       "L1 controlChange 1 64 0.5",
                       "L1 modWheel 0.5",
                       "L2 controlChange 1 64 0.5",
                       "L2 modWheel 0.5",
                       "L1 controlChange 7 127 1",
                       "L2 controlChange 7 127 1",
                       "L1 noteOn 60 0.25",
                       "L2 noteOn 60 0.25",
                       "L1 noteOff 60 0",
                       "L2 noteOff 60 0",
                       "L1 keyPressure 61 0.75",
                       "L2 keyPressure 61 0.75",
                       "L1 channelPressure 0.125",
                       "L2 channelPressure 0.125",
                       "L1 pitchBend -0.5",
                       "L2 pitchBend -0.5",
                   }));

    log.clear();
    receiver.removeListener(&first);
    receiver.noteOn(1, 1.0f);
    EXPECT_EQ(log, (Log{"L2 noteOn 1 1"}));
}

// Stands in for the processor: logs its hooks, owns a controller mapping and
// parameters numbered 0 and 1.
class FakeProcessor : public IMidiProcessor {
public:
    explicit FakeProcessor(Log& log) : log(log) { level.setRange(-10.0f, 10.0f); }

    void midiNoteOff(int32_t key, float velocity) override {
        log.push_back("processor noteOff " + std::to_string(key) + " " + text(velocity));
    }
    void midiNoteOn(int32_t key, float velocity) override {
        log.push_back("processor noteOn " + std::to_string(key) + " " + text(velocity));
    }
    void midiProgramChange(int32_t bank, int32_t program) override {
        log.push_back("processor programChange " + std::to_string(bank) + " " + std::to_string(program));
    }
    void setLastMidiController(int32_t controller) override { lastController = controller; }
    const ControllerMapping* getMidiControllerMapping() const override { return &mapping; }
    void setMidiVirtualParameter(int32_t position, float normalised) override {
        log.push_back("processor virtual " + std::to_string(position) + " " + text(normalised));
    }
    AbstractPluginParameter* getMidiTargetParameter(int32_t index) const override {
        return index >= 0 && index < owner.getNumParameters() ? owner.getParameter(index) : nullptr;
    }

    Log& log;
    ControllerMapping mapping;
    test::RecordingParameterOwner owner;
    FloatPluginParameter mix{&owner, "Mix"};
    FloatPluginParameter level{&owner, "Level"};
    int32_t lastController = -2;
};

TEST(DefaultEventReceiver, ControlChangesDriveMappedParametersAndRecordTheController) {
    Log log;
    FakeProcessor processor(log);
    ASSERT_EQ(processor.level.getIndex(), 1);
    processor.mapping.assign(7, 1);                                  // a parameter
    processor.mapping.assign(9, ControllerMapping::virtualBase + 2); // a virtual parameter
    processor.mapping.assign(10, 5);                                 // beyond the parameter count
    DefaultEventReceiver receiver(processor);
    LoggingListener listener(log, "L");
    receiver.getChannelReceiver()->addListener(&listener);
    MidiDecoder decoder(receiver);

    struct Case {
        Message message;
        int32_t lastController;
        Log expected;
    };
    const Case cases[] = {
        {{0xB0, 7, 127}, 7, {"L controlChange 7 127 1"}},
        {{0xB0, 9, 64}, 9, {"processor virtual 2 0.503937", "L controlChange 9 64 0.503937"}},
        {{0xB0, 10, 64}, 10, {"L controlChange 10 64 0.503937"}},
        {{0xB0, 11, 64}, 11, {"L controlChange 11 64 0.503937"}},
        {{0xB0, 1, 0}, 1, {"L controlChange 1 0 0", "L modWheel 0"}},
        // The learned number comes from the masked byte.
        {{0xB0, 0x87, 0}, 7, {"L controlChange 7 0 0"}},
        {{0x90, 60, 127}, -2, {"processor noteOn 60 1", "L noteOn 60 1"}},
        {{0x80, 60, 0}, -2, {"processor noteOff 60 0", "L noteOff 60 0"}},
        {{0xB0, 123, 0}, -2, {"processor noteOff 0 0", "L noteOff 0 0"}},
        {{0xC0, 5, 0}, -2, {"processor programChange 0 5"}},
    };
    for (const Case& c : cases) {
        log.clear();
        processor.lastController = -2;
        processor.owner.changes.clear();
        decoder.receiveMidi(MidiEvent::make(c.message.status, c.message.data1, c.message.data2));
        EXPECT_EQ(log, c.expected) << hex(c.message.status, c.message.data1, c.message.data2);
        EXPECT_EQ(processor.lastController, c.lastController);
    }

    // Controller 7 drove parameter 1 to its maximum and back to its minimum,
    // each change reported with flags 0 (to the host).
    processor.owner.changes.clear();
    decoder.receiveMidi(MidiEvent::make(0xB0, 7, 127));
    decoder.receiveMidi(MidiEvent::make(0xB0, 7, 0));
    decoder.receiveMidi(MidiEvent::make(0xB0, 7, 64));
    ASSERT_EQ(processor.owner.changes.size(), 3u);
    EXPECT_EQ(processor.owner.changes[0].index, 1);
    EXPECT_EQ(processor.owner.changes[0].value, 10.0f);
    EXPECT_EQ(processor.owner.changes[0].flags, 0);
    EXPECT_EQ(processor.owner.changes[1].value, -10.0f);
    EXPECT_NEAR(processor.owner.changes[2].value, 0.0787f, 1e-3f);
    EXPECT_EQ(processor.mix.getValue(), 0.0f);

    // A controller number beyond the table (from a derived decoder) is
    // recorded and passed on but drives nothing.
    log.clear();
    processor.owner.changes.clear();
    receiver.getChannelReceiver()->controlChange(200, 1, 0.5f);
    EXPECT_EQ(processor.lastController, 200);
    EXPECT_TRUE(processor.owner.changes.empty());
    EXPECT_EQ(log, (Log{"L controlChange 200 1 0.5"}));
}

TEST(DefaultEventReceiver, ChannelPropertyMovesTheReceiverBetweenSlots) {
    Log log;
    FakeProcessor processor(log);
    DefaultEventReceiver receiver(processor);
    AbstractChannelEventReceiver* channelReceiver = receiver.getChannelReceiver();
    ASSERT_NE(channelReceiver, nullptr);
    EXPECT_EQ(receiver.getReceiver(0), channelReceiver);
    int changes = 0;
    receiver.getReceiverChangedEvent().addHandler(NotifyEvent::bind([&] { ++changes; }));
    MidiDecoder decoder(receiver);

    receiver.getChannel().setValue(4); // MIDI channel 4, status nibble 3
    EXPECT_EQ(receiver.getSlot(), 4);
    EXPECT_EQ(receiver.getReceiver(0), nullptr);
    EXPECT_EQ(receiver.getReceiver(4), channelReceiver);
    EXPECT_EQ(changes, 2);

    decoder.receiveMidi(MidiEvent::make(0x90, 60, 127));
    decoder.receiveMidi(MidiEvent::make(0x93, 62, 127));
    EXPECT_EQ(log, (Log{"processor noteOn 62 1"}));

    // Out-of-range channels count as omni.
    receiver.getChannel().setValue(99);
    EXPECT_EQ(receiver.getSlot(), 0);
    EXPECT_EQ(receiver.getReceiver(0), channelReceiver);
    EXPECT_EQ(receiver.getReceiver(4), nullptr);
    receiver.getChannel().setValue(0);
    EXPECT_EQ(receiver.getSlot(), 0);

    // A new channel receiver replaces (and deletes) the old one in its slot.
    receiver.getChannel().setValue(16);
    bool deleted = false;
    struct Tracked : AbstractChannelEventReceiver {
        explicit Tracked(bool& flag) : flag(flag) {}
        ~Tracked() override { flag = true; }
        bool& flag;
    };
    auto* first = new Tracked(deleted);
    receiver.setChannelReceiver(first);
    EXPECT_EQ(receiver.getReceiver(16), first);
    receiver.setChannelReceiver(new AbstractChannelEventReceiver);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(receiver.getReceiver(16), receiver.getChannelReceiver());
}

// A parameter owner that only counts what it is told.
class CountingOwner : public GenericParameterOwner {
public:
    void beginUpdate() override {}
    void addRegistered(AbstractPluginParameter*) override {}
    void endUpdate() override {}
    int32_t getNumParameters() const override { return collection.size(); }
    AbstractPluginParameter* getParameter(int32_t index) const override { return collection.get(index); }
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    void setParameterValue(int32_t, float, int32_t) override { ++changes; }
    int32_t addParameter(AbstractPluginParameter* parameter) override { return collection.add(parameter); }
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string&) override { return 0; }
    void requestLightReset() override {}
    void requestFullReset() override {}

    ParameterCollection collection;
    int changes = 0;
};

TEST(DefaultEventReceiver, DecodingAndDrivingParametersAllocateNothing) {
    struct Processor : IMidiProcessor {
        void midiNoteOff(int32_t, float) override { ++notes; }
        void midiNoteOn(int32_t, float) override { ++notes; }
        void midiProgramChange(int32_t, int32_t) override { ++programs; }
        void setLastMidiController(int32_t controller) override { last = controller; }
        const ControllerMapping* getMidiControllerMapping() const override { return &mapping; }
        void setMidiVirtualParameter(int32_t, float) override { ++virtuals; }
        AbstractPluginParameter* getMidiTargetParameter(int32_t index) const override {
            return index >= 0 && index < owner.getNumParameters() ? owner.getParameter(index) : nullptr;
        }
        ControllerMapping mapping;
        CountingOwner owner;
        FloatPluginParameter level{&owner, "Level"};
        int notes = 0, programs = 0, virtuals = 0, last = -1;
    } processor;
    processor.mapping.assign(7, 0);
    processor.mapping.assign(8, ControllerMapping::virtualBase);
    DefaultEventReceiver receiver(processor);
    struct Quiet : MidiListener {
    } listener;
    receiver.getChannelReceiver()->addListener(&listener);
    MidiDecoder decoder(receiver);
    EventQueue queue(64, 0);

    test::AllocationCounter counter;
    for (int i = 0; i < 200; ++i) {
        const uint8_t v = uint8_t(i & 0x7F);
        queue.push(MidiEvent::make(0xB0, 7, v, i));
        queue.push(MidiEvent::make(0xB0, 8, v, i));
        queue.push(MidiEvent::make(0xB0, 1, v, i));
        queue.push(MidiEvent::make(0x90, v, 100, i));
        queue.push(MidiEvent::make(0x80, v, 0, i));
        queue.push(MidiEvent::make(0xC0, 3, 0, i));
        queue.push(MidiEvent::make(0xE0, v, v, i));
        queue.push(MidiEvent::make(0xFF, 0, 0, i));
        MidiEvent event;
        while (queue.pop(event))
            decoder.receiveMidi(event);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    EXPECT_EQ(processor.notes, 400);
    EXPECT_EQ(processor.programs, 200);
    EXPECT_EQ(processor.virtuals, 200);
    EXPECT_GT(processor.owner.changes, 100);
}

// ---- ControllerMapping ----

std::string writeChunk(const ControllerMapping& mapping) {
    std::ostringstream stream;
    BinaryDataWriter writer(stream);
    EXPECT_TRUE(mapping.write(writer));
    return stream.str();
}

bool readChunk(ControllerMapping& mapping, const std::string& bytes) {
    std::istringstream stream(bytes);
    BinaryDataReader reader(stream);
    return mapping.read(reader);
}

std::array<uint32_t, 128> entries(const ControllerMapping& mapping) {
    std::array<uint32_t, 128> result{};
    for (int32_t c = 0; c < 128; ++c)
        result[c] = mapping.getParameter(c);
    return result;
}

struct ChangeCounter {
    explicit ChangeCounter(ControllerMapping& mapping) {
        mapping.getChangeEvent().addHandler(NotifyEvent::bind([this](void* argument) {
            ++count;
            sender = argument;
        }));
    }
    int count = 0;
    void* sender = nullptr;
};

TEST(ControllerMapping, ChunkIs520ExactBytes) {
    ControllerMapping mapping;
    for (int32_t c = 0; c < 128; ++c)
        EXPECT_EQ(mapping.getParameter(c), ControllerMapping::none);
    mapping.assign(0, 5);
    mapping.assign(64, 0x01020304);
    mapping.assign(127, ControllerMapping::virtualBase + 1);

    std::string expected = std::string("ZTCM") + std::string("\x01\x00\x00\x00", 4);
    for (int c = 0; c < 128; ++c)
        expected += std::string(4, '\xFF');
    expected.replace(8 + 0 * 4, 4, std::string("\x05\x00\x00\x00", 4));
    expected.replace(8 + 64 * 4, 4, std::string("\x04\x03\x02\x01", 4));
    expected.replace(8 + 127 * 4, 4, std::string("\x01\x00\x10\x00", 4));

    const std::string chunk = writeChunk(mapping);
    EXPECT_EQ(chunk.size(), 520u);
    EXPECT_EQ(chunk, expected);
}

TEST(ControllerMapping, ReadRestoresTheTableWithOneChangeEvent) {
    ControllerMapping source;
    source.assign(3, 12);
    source.assign(100, ControllerMapping::virtualBase);
    source.assign(127, 0);

    ControllerMapping copy;
    copy.assign(5, 7);
    copy.setModified(false);
    ChangeCounter changes(copy);
    EXPECT_TRUE(readChunk(copy, writeChunk(source)));
    EXPECT_EQ(entries(copy), entries(source));
    EXPECT_EQ(copy.getParameter(5), ControllerMapping::none);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(changes.sender, &copy);
    EXPECT_TRUE(copy.isModified());

    // Reading the same table again changes nothing and fires nothing.
    copy.setModified(false);
    EXPECT_TRUE(readChunk(copy, writeChunk(source)));
    EXPECT_EQ(changes.count, 1);
    EXPECT_FALSE(copy.isModified());

    // The version is not checked; bytes after the chunk are not read.
    std::string other = writeChunk(ControllerMapping()) + "trailing";
    other[4] = 7;
    EXPECT_TRUE(readChunk(copy, other));
    EXPECT_EQ(copy.findController(12), -1);
    EXPECT_EQ(changes.count, 2);
}

TEST(ControllerMapping, WrongTagOrShortChunkLeavesTheTableUnchanged) {
    ControllerMapping source;
    for (int32_t c = 0; c < 128; ++c)
        source.assign(c, uint32_t(c * 3));
    const std::string good = writeChunk(source);

    ControllerMapping mapping;
    mapping.assign(1, 42);
    mapping.assign(90, ControllerMapping::virtualBase + 9);
    mapping.setModified(false);
    const auto before = entries(mapping);
    ChangeCounter changes(mapping);

    std::vector<std::string> bad;
    for (const char* tag : {"ZTCX", "ztcm", "ZTC\0", "MCTZ"}) {
        std::string chunk = good;
        chunk.replace(0, 4, std::string(tag, 4));
        bad.push_back(chunk);
    }
    for (size_t length = 0; length < good.size(); ++length)
        bad.push_back(good.substr(0, length));

    for (const std::string& chunk : bad) {
        EXPECT_FALSE(readChunk(mapping, chunk)) << chunk.size();
        ASSERT_EQ(entries(mapping), before) << "after " << chunk.size() << " bytes";
    }
    EXPECT_EQ(changes.count, 0);
    EXPECT_FALSE(mapping.isModified());
}

TEST(ControllerMapping, AssignKeepsOneControllerPerParameter) {
    using Step = std::pair<int32_t, uint32_t>;
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<Step> expected; // controller, parameter; every other entry none
        int changeEvents;
    };
    const uint32_t none = ControllerMapping::none;
    const Case cases[] = {
        {"moves to the new controller", {{3, 12}, {7, 12}}, {{7, 12}}, 2},
        {"two parameters", {{3, 12}, {4, 13}}, {{3, 12}, {4, 13}}, 2},
        {"controller takes another parameter", {{3, 12}, {3, 13}}, {{3, 13}}, 2},
        {"same again does nothing", {{3, 12}, {3, 12}}, {{3, 12}}, 1},
        {"-1 removes the parameter", {{3, 12}, {4, 13}, {-1, 12}}, {{4, 13}}, 3},
        {"-1 for an unmapped parameter", {{3, 12}, {-1, 99}}, {{3, 12}}, 1},
        {"none unmaps the controller", {{3, 12}, {3, none}}, {}, 2},
        {"controllers 0 and 127", {{0, 1}, {127, 2}}, {{0, 1}, {127, 2}}, 2},
        {"out-of-range controllers ignored",
         {{3, 12}, {128, 12}, {-2, 12}, {1000, 5}, {INT32_MIN, 12}},
         {{3, 12}},
         1},
        {"virtual parameters", {{3, 0x100000}, {9, 0x100000}}, {{9, 0x100000}}, 2},
    };
    for (const Case& c : cases) {
        ControllerMapping mapping;
        ChangeCounter changes(mapping);
        for (const Step& step : c.steps)
            mapping.assign(step.first, step.second);
        std::array<uint32_t, 128> expected;
        expected.fill(none);
        for (const Step& e : c.expected)
            expected[e.first] = e.second;
        EXPECT_EQ(entries(mapping), expected) << c.name;
        EXPECT_EQ(changes.count, c.changeEvents) << c.name;
        EXPECT_EQ(mapping.isModified(), c.changeEvents > 0) << c.name;
    }
}

TEST(ControllerMapping, AssignUnmapsEveryControllerOfAParameterFromAFile) {
    // A stored table may drive one parameter from several controllers;
    // learning that parameter leaves it on one.
    std::string chunk = writeChunk(ControllerMapping());
    for (int c : {3, 9, 50})
        chunk.replace(8 + c * 4, 4, std::string("\x0C\x00\x00\x00", 4));
    ControllerMapping mapping;
    ASSERT_TRUE(readChunk(mapping, chunk));
    EXPECT_EQ(mapping.findController(12), 3);

    ChangeCounter changes(mapping);
    mapping.assign(20, 12);
    for (int c : {3, 9, 50})
        EXPECT_EQ(mapping.getParameter(c), ControllerMapping::none) << c;
    EXPECT_EQ(mapping.getParameter(20), 12u);
    EXPECT_EQ(changes.count, 1);

    ASSERT_TRUE(readChunk(mapping, chunk));
    mapping.assign(9, 12);
    EXPECT_EQ(mapping.findController(12), 9);
    EXPECT_EQ(mapping.getParameter(3), ControllerMapping::none);
    EXPECT_EQ(mapping.getParameter(50), ControllerMapping::none);
}

TEST(ControllerMapping, ClearIsOneBatch) {
    ControllerMapping mapping;
    mapping.assign(1, 1);
    mapping.assign(2, 2);
    mapping.assign(3, 3);
    mapping.setModified(false);
    ChangeCounter changes(mapping);
    mapping.clear();
    EXPECT_EQ(changes.count, 1);
    EXPECT_TRUE(mapping.isModified());
    for (int32_t c = 0; c < 128; ++c)
        EXPECT_EQ(mapping.getParameter(c), ControllerMapping::none);
    mapping.clear();
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(mapping.getParameter(-1), ControllerMapping::none);
    EXPECT_EQ(mapping.getParameter(128), ControllerMapping::none);
}

} // namespace
