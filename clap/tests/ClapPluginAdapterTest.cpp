#include "clap/ClapPluginAdapter.h"
#include "clap/HostPath.h"

#include "clap/tests/ClapTestProduct.h"
#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <thread>

namespace {

using test::ClapProductTest;

constexpr clap_id kGain = 0;
constexpr clap_id kPan = 1;
constexpr clap_id kReceiveMidi = 2;
constexpr uint32_t kParameters = 3;

class ClapInstanceTest : public ClapProductTest {
protected:
    // Creates and initialises the instance; activates it unless told not to.
    HostedPlugin& start(bool activate = true, uint32_t maxFrames = 512) {
        plugin_ = makeInstance(host_);
        EXPECT_NE(plugin_->plugin(), nullptr);
        EXPECT_TRUE(plugin_->init());
        if (activate) {
            EXPECT_TRUE(plugin_->activate(48000.0, 1, maxFrames));
        }
        return *plugin_;
    }
    ClapPluginAdapter& adapter() { return *ClapPluginAdapter::from(plugin_->plugin()); }
    void TearDown() override {
        plugin_.reset();
        EXPECT_EQ(host_.violations(), std::vector<std::string>{});
        ClapProductTest::TearDown();
    }
    // A constant input on every channel of every port.
    void fillInputs(float value, uint32_t frames) {
        for (uint32_t port = 0; port < plugin_->inputPortCount(); ++port)
            for (uint32_t c = 0; c < plugin_->inputChannelCount(port); ++c)
                std::fill(plugin_->input(port, c), plugin_->input(port, c) + frames, value);
    }
    std::vector<float> output(uint32_t channel, uint32_t frames) const {
        return std::vector<float>(plugin_->output(0, channel), plugin_->output(0, channel) + frames);
    }
    // The host's misbehaviour reported so far: `reports` where the checks are
    // built in, else nothing. Clears the list.
    void expectReported(const std::vector<std::string>& reports) {
        std::vector<std::string> expected;
        if (ClapThreadCheck::kEnforced)
            for (const std::string& report : reports)
                expected.push_back("log: " + report);
        EXPECT_EQ(host_.violations(), expected);
        host_.clearViolations();
    }

    ::TestHost host_;
    std::unique_ptr<HostedPlugin> plugin_;
};

// --- Ports

TEST_F(ClapInstanceTest, PortsOfTheProduct) {
    HostedPlugin& plugin = start(false);
    const auto* ports = plugin.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(ports, nullptr);
    ASSERT_EQ(ports->count(plugin.plugin(), true), 2u);
    ASSERT_EQ(ports->count(plugin.plugin(), false), 1u);
    clap_audio_port_info_t info;
    ASSERT_TRUE(ports->get(plugin.plugin(), 0, true, &info));
    EXPECT_EQ(info.id, 0u);
    EXPECT_STREQ(info.name, "Main In");
    EXPECT_EQ(info.flags, 1u);
    EXPECT_EQ(info.channel_count, 2u);
    EXPECT_STREQ(info.port_type, "stereo");
    EXPECT_EQ(info.in_place_pair, CLAP_INVALID_ID);
    ASSERT_TRUE(ports->get(plugin.plugin(), 1, true, &info));
    EXPECT_EQ(info.id, 1u);
    EXPECT_STREQ(info.name, "Sidechain In");
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(info.channel_count, 2u);
    ASSERT_TRUE(ports->get(plugin.plugin(), 0, false, &info));
    EXPECT_STREQ(info.name, "Main Out");
    EXPECT_EQ(info.flags, 1u);
    EXPECT_EQ(info.channel_count, 2u);
    EXPECT_FALSE(ports->get(plugin.plugin(), 1, false, &info));
    EXPECT_FALSE(ports->get(plugin.plugin(), 2, true, &info));
    EXPECT_FALSE(ports->get(plugin.plugin(), 0, true, nullptr));

    const auto* notes = plugin.extension<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->count(plugin.plugin(), true), 1u);
    EXPECT_EQ(notes->count(plugin.plugin(), false), 0u);
    clap_note_port_info_t note;
    ASSERT_TRUE(notes->get(plugin.plugin(), 0, true, &note));
    EXPECT_EQ(note.id, 0u);
    EXPECT_EQ(note.supported_dialects, 3u);
    EXPECT_EQ(note.preferred_dialect, 2u);
    EXPECT_STREQ(note.name, "Note Port");
    EXPECT_FALSE(notes->get(plugin.plugin(), 1, true, &note));
    EXPECT_FALSE(notes->get(plugin.plugin(), 0, false, &note));
}

TEST_F(ClapInstanceTest, TheOneConfigurationIsTheStereoLayoutUnderItsOwnId) {
    HostedPlugin& plugin = start(false);
    const auto* configs = plugin.extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    ASSERT_NE(configs, nullptr);
    ASSERT_EQ(configs->count(plugin.plugin()), 1u);
    clap_audio_ports_config_t config;
    ASSERT_TRUE(configs->get(plugin.plugin(), 0, &config));
    EXPECT_EQ(config.id, 1u);
    EXPECT_STREQ(config.name, "Stereo");
    EXPECT_EQ(config.input_port_count, 2u);
    EXPECT_EQ(config.output_port_count, 1u);
    EXPECT_TRUE(config.has_main_input);
    EXPECT_EQ(config.main_input_channel_count, 2u);
    EXPECT_STREQ(config.main_input_port_type, "stereo");
    EXPECT_TRUE(config.has_main_output);
    EXPECT_EQ(config.main_output_channel_count, 2u);
    EXPECT_FALSE(configs->get(plugin.plugin(), 1, &config));

    // select takes the id as the layout; only offered layouts.
    EXPECT_TRUE(configs->select(plugin.plugin(), 1));
    for (clap_id other : {0u, 2u, 28u, 29u, CLAP_INVALID_ID})
        EXPECT_FALSE(configs->select(plugin.plugin(), other)) << other;
    ASSERT_TRUE(plugin.activate(48000.0, 1, 256));
    EXPECT_FALSE(configs->select(plugin.plugin(), 1));
    expectReported({"clap.audio-ports-config select called while active"});
    plugin.deactivate();
    EXPECT_TRUE(configs->select(plugin.plugin(), 1));
}

TEST_F(ClapInstanceTest, ConfigurationInfoIsServedWithItsOwnSignatureUnderBothIds) {
    HostedPlugin& plugin = start(false);
    const auto* info =
        plugin.extension<clap_plugin_audio_ports_config_info_t>(CLAP_EXT_AUDIO_PORTS_CONFIG_INFO);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(plugin.plugin()->get_extension(plugin.plugin(), CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT), info);
    EXPECT_NE(plugin.plugin()->get_extension(plugin.plugin(), CLAP_EXT_AUDIO_PORTS_CONFIG),
              static_cast<const void*>(info));
    EXPECT_EQ(info->current_config(plugin.plugin()), 1u);
    clap_audio_port_info_t port;
    ASSERT_TRUE(info->get(plugin.plugin(), 1, 1, true, &port));
    EXPECT_STREQ(port.name, "Sidechain In");
    ASSERT_TRUE(info->get(plugin.plugin(), 1, 0, false, &port));
    EXPECT_STREQ(port.name, "Main Out");
    EXPECT_FALSE(info->get(plugin.plugin(), 1, 1, false, &port));
    EXPECT_FALSE(info->get(plugin.plugin(), 0, 0, true, &port));
    EXPECT_FALSE(info->get(plugin.plugin(), 29, 0, true, &port));
}

struct FlagCase {
    uint32_t flags;
    uint32_t kind;
    uint32_t configs;
    clap_id firstId;
    uint32_t inputPorts;
    clap_id selectable; // a further layout select accepts (CLAP_INVALID_ID: none)
    uint32_t channelsThere;
};

class ClapFlagTest : public ClapInstanceTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ClapFlagTest, FlagWordsSteerTheOfferedLayouts) {
    const FlagCase& c = GetParam();
    test::clapTestProduct().flags = c.flags;
    test::clapTestProduct().kind = c.kind;
    module_.reset();
    std::string error;
    module_ = ClapModule::fromEntry(&clapEntryRecord(), executablePath(), error);
    plugin_ = std::make_unique<HostedPlugin>(host_, module_->pluginFactory(),
                                             clapPluginDescriptor() ? clapPluginDescriptor()->id : "");
    ASSERT_NE(plugin_->plugin(), nullptr);
    ASSERT_TRUE(plugin_->init());
    const auto* configs = plugin_->extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    const auto* ports = plugin_->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    EXPECT_EQ(configs->count(plugin_->plugin()), c.configs);
    clap_audio_ports_config_t config;
    ASSERT_TRUE(configs->get(plugin_->plugin(), 0, &config));
    EXPECT_EQ(config.id, c.firstId);
    EXPECT_EQ(config.input_port_count, c.inputPorts);
    EXPECT_FALSE(configs->get(plugin_->plugin(), c.configs, &config));
    EXPECT_EQ(ports->count(plugin_->plugin(), true), c.inputPorts);
    if (c.selectable != CLAP_INVALID_ID) {
        ASSERT_TRUE(configs->select(plugin_->plugin(), c.selectable));
        clap_audio_port_info_t out;
        ASSERT_TRUE(ports->get(plugin_->plugin(), 0, false, &out));
        EXPECT_EQ(out.channel_count, c.channelsThere);
        ASSERT_TRUE(plugin_->activate(44100.0, 1, 64));
        HostEventList none;
        plugin_->process(64, none);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ClapFlagTest,
    ::testing::Values(FlagCase{0, GenericPluginInfo::kDelay, 1, 1, 1, CLAP_INVALID_ID, 0},
                      FlagCase{2, GenericPluginInfo::kDelay, 2, 0, 1, 0, 1},
                      FlagCase{4, GenericPluginInfo::kDelay, 28, 1, 1, 5, 5},
                      FlagCase{6 | 8, GenericPluginInfo::kDelay, 29, 0, 2, 28, 16},
                      FlagCase{8, GenericPluginInfo::kInstrument, 1, 1, 1, CLAP_INVALID_ID, 0}));

TEST_F(ClapInstanceTest, ExtensionsOfferedAndNot) {
    HostedPlugin& plugin = start(false);
    const clap_plugin_t* p = plugin.plugin();
    for (const char* id :
         {CLAP_EXT_PARAMS, CLAP_EXT_STATE, CLAP_EXT_LATENCY, CLAP_EXT_TAIL, CLAP_EXT_NOTE_PORTS})
        EXPECT_NE(p->get_extension(p, id), nullptr) << id;
    for (const char* id : {CLAP_EXT_GUI, "clap.params ", "clap.param", "", CLAP_EXT_GAIN_ADJUSTMENT_METERING})
        EXPECT_EQ(p->get_extension(p, id), nullptr) << id;
    EXPECT_EQ(p->get_extension(p, nullptr), nullptr);
}

TEST_F(ClapInstanceTest, CallsBeforeInitAndBadArgumentsAreRefused) {
    plugin_ = makeInstance(host_);
    const clap_plugin_t* p = plugin_->plugin();
    EXPECT_EQ(p->get_extension(p, CLAP_EXT_PARAMS), nullptr);
    EXPECT_FALSE(p->activate(p, 48000.0, 1, 64));
    ASSERT_TRUE(plugin_->init());
    for (double rate : {0.0, -48000.0, std::nan(""), double(INFINITY)})
        EXPECT_FALSE(p->activate(p, rate, 1, 64)) << rate;
    EXPECT_FALSE(p->activate(p, 48000.0, 1, 0));
    clap_process_status status = CLAP_PROCESS_CONTINUE;
    host_.audioThread().run([&] { status = p->process(p, nullptr); });
    EXPECT_EQ(status, CLAP_PROCESS_ERROR);
    expectReported({"process called while not active"});
    const auto* params = plugin_->extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    EXPECT_FALSE(params->get_info(p, 0, nullptr));
    EXPECT_FALSE(params->get_value(p, 0, nullptr));
    EXPECT_FALSE(params->value_to_text(p, 0, 0.5, nullptr, 10));
    double value = 0;
    EXPECT_FALSE(params->text_to_value(p, 0, nullptr, &value));
    params->flush(p, nullptr, nullptr);
    const auto* state = plugin_->extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    EXPECT_FALSE(state->save(p, nullptr));
    EXPECT_FALSE(state->load(p, nullptr));
    EXPECT_TRUE(plugin_->activate(48000.0, 1, 64));
    // Processing, a block with no process record is refused as bad input.
    plugin_->startProcessing();
    status = CLAP_PROCESS_CONTINUE;
    host_.audioThread().run([&] { status = p->process(p, nullptr); });
    EXPECT_EQ(status, CLAP_PROCESS_ERROR);
}

// --- Parameters

TEST_F(ClapInstanceTest, ParameterInfosAreSoundAndIdsBeyondTheCountAreRefused) {
    HostedPlugin& plugin = start(false);
    ASSERT_EQ(plugin.paramCount(), kParameters);
    for (uint32_t i = 0; i < kParameters; ++i) {
        const std::optional<clap_param_info_t> info = plugin.paramInfo(i);
        ASSERT_TRUE(info) << i;
        EXPECT_EQ(info->id, i);
        EXPECT_LE(info->min_value, info->default_value);
        EXPECT_LE(info->default_value, info->max_value);
        EXPECT_NE(info->flags & CLAP_PARAM_IS_AUTOMATABLE, 0u);
        if ((info->flags & CLAP_PARAM_IS_STEPPED) != 0) {
            EXPECT_EQ(info->min_value, std::round(info->min_value));
            EXPECT_EQ(info->max_value, std::round(info->max_value));
        }
        EXPECT_EQ(plugin.paramValue(i), info->default_value);
    }
    EXPECT_STREQ(plugin.paramInfo(kGain)->name, "Gain");
    EXPECT_EQ(plugin.paramInfo(kGain)->flags & CLAP_PARAM_IS_STEPPED, 0u);
    EXPECT_NE(plugin.paramInfo(kReceiveMidi)->flags & CLAP_PARAM_IS_STEPPED, 0u);
    for (clap_id bad : {kParameters, kParameters + 1, CLAP_INVALID_ID}) {
        EXPECT_FALSE(plugin.paramInfo(bad)) << bad;
        EXPECT_FALSE(plugin.paramValue(bad)) << bad;
        EXPECT_FALSE(plugin.valueToText(bad, 0.5)) << bad;
        EXPECT_FALSE(plugin.textToValue(bad, "0.5")) << bad;
    }
}

TEST_F(ClapInstanceTest, TextToValueToTextIsStable) {
    HostedPlugin& plugin = start(false);
    for (clap_id id = 0; id < kParameters; ++id) {
        const clap_param_info_t info = *plugin.paramInfo(id);
        for (int step = 0; step <= 10; ++step) {
            const double value = info.min_value + (info.max_value - info.min_value) * step / 10.0;
            const std::optional<std::string> text = plugin.valueToText(id, value);
            ASSERT_TRUE(text);
            const std::optional<double> parsed = plugin.textToValue(id, *text);
            ASSERT_TRUE(parsed) << *text;
            EXPECT_EQ(plugin.valueToText(id, *parsed), text) << id << " " << value;
        }
    }
    // A short array gets a terminated prefix.
    const std::optional<std::string> cut = plugin.valueToText(kGain, 0.5, 2);
    ASSERT_TRUE(cut);
    EXPECT_LE(cut->size(), 1u);
}

// --- Audio and events

TEST_F(ClapInstanceTest, AValueAtFrameKActsFromKAsIfTheHostSplitTheBlock) {
    constexpr uint32_t kFrames = 256;
    constexpr uint32_t kAt = 100;
    HostedPlugin& plugin = start();
    fillInputs(1.0f, kFrames);
    HostEventList events;
    events.addParamValue(kAt, kGain, 0.9);
    plugin.process(kFrames, events);
    const std::vector<float> whole = output(0, kFrames);
    EXPECT_EQ(*plugin.paramValue(kGain), 0.9f);

    // The same through a second instance, split by the host at k.
    std::unique_ptr<HostedPlugin> first = std::move(plugin_);
    start();
    fillInputs(1.0f, kFrames);
    HostEventList none;
    plugin_->process(kAt, none);
    std::vector<float> split = output(0, kAt);
    HostEventList atStart;
    atStart.addParamValue(0, kGain, 0.9);
    fillInputs(1.0f, kFrames);
    plugin_->process(kFrames - kAt, atStart);
    const std::vector<float> rest = output(0, kFrames - kAt);
    split.insert(split.end(), rest.begin(), rest.end());
    for (uint32_t i = 0; i < kFrames; ++i)
        ASSERT_NEAR(whole[i], split[i], 1e-6f) << i;
    EXPECT_NEAR(whole[kAt - 1], 0.5f, 1e-6f); // nothing changes before k
    first.reset();
}

TEST_F(ClapInstanceTest, LateValuesForeignSpacesAndUnknownIds) {
    constexpr uint32_t kFrames = 64;
    HostedPlugin& plugin = start();
    fillInputs(1.0f, kFrames);
    HostEventList events;
    events.addParamValue(kFrames, kGain, 0.8);      // at frames_count
    events.addParamValue(kFrames + 50, kPan, 0.75); // beyond it
    clap_event_param_value_t foreign{};
    foreign.header = {sizeof foreign, 3, 1, CLAP_EVENT_PARAM_VALUE, 0};
    foreign.param_id = kPan;
    foreign.value = 0.1;
    events.addRaw(&foreign.header);
    events.addParamValue(5, kParameters, 0.3);
    events.addParamValue(6, CLAP_INVALID_ID, 0.3);
    clap_event_param_value_t shortEvent = foreign;
    shortEvent.header = {sizeof(clap_event_header_t) + 4, 7, 0, CLAP_EVENT_PARAM_VALUE, 0};
    events.addRaw(&shortEvent.header);
    plugin.process(kFrames, events);
    // The block ran on the old gain throughout; the late values count afterwards.
    for (float sample : output(0, kFrames))
        ASSERT_NEAR(sample, 0.5f, 1e-6f);
    EXPECT_EQ(*plugin.paramValue(kGain), 0.8f);
    EXPECT_EQ(*plugin.paramValue(kPan), 0.75);
    HostEventList none;
    plugin.process(kFrames, none);
    EXPECT_NEAR(output(1, kFrames)[0], 0.8f, 1e-6f);
}

TEST_F(ClapInstanceTest, FlushAppliesEveryValueWhateverItsTime) {
    HostedPlugin& plugin = start();
    HostEventList events;
    events.addParamValue(0, kGain, 0.2);
    events.addParamValue(10, kPan, 0.6);
    events.addParamValue(500, kGain, 0.3);
    plugin.flush(events);
    EXPECT_EQ(*plugin.paramValue(kGain), 0.3f);
    EXPECT_EQ(*plugin.paramValue(kPan), 0.6f);
    // Flush and process leave equal values behind.
    start();
    plugin_->process(256, events);
    EXPECT_EQ(*plugin_->paramValue(kGain), 0.3f);
    EXPECT_EQ(*plugin_->paramValue(kPan), 0.6f);
}

TEST_F(ClapInstanceTest, NotesAndMidiBecomeCheckedMidiBytes) {
    HostedPlugin& plugin = start();
    HostEventList events;
    events.addNote(0, true, 0, 0, 60, 0.0);          // velocity 0 arrives as 1
    events.addNote(1, true, 0, 0, 61, 0.5);          // 63
    events.addNote(2, false, 0, 0, 60, 1.0);         // 127
    events.addNote(3, true, 0, 0, 62, std::nan("")); // NaN as 0: 1
    events.addNote(4, true, 0, 0, 63, 7.0);          // clamped: 127
    events.addNote(5, false, 0, 0, 64, -1.0);        // 0
    events.addNote(6, true, 0, 0, -1, 0.5);          // wildcard key: skipped
    events.addNote(7, true, 0, 0, 128, 0.5);         // skipped
    events.addMidi(8, 0, 0x90, 0xC1, 0xFF);          // bytes masked: key 65, velocity 127
    clap_event_note_t shortNote{};
    shortNote.header = {sizeof(clap_event_header_t) + 8, 9, 0, CLAP_EVENT_NOTE_ON, 0};
    shortNote.key = 70;
    shortNote.velocity = 1.0;
    events.addRaw(&shortNote.header); // shorter than a note: skipped
    plugin.process(64, events);

    const test::ProcessorLog& log = test::lastTestProcessor()->log;
    struct Seen {
        test::ProcessorLog::Kind kind;
        int key;
        int velocity;
    };
    std::vector<Seen> seen;
    for (const auto& entry : log.entries)
        seen.push_back(
            {entry.kind, static_cast<int>(entry.a), static_cast<int>(std::lround(entry.b * 127.0f))});
    const std::vector<Seen> expected = {
        {test::ProcessorLog::kNoteOn, 60, 1},    {test::ProcessorLog::kNoteOn, 61, 63},
        {test::ProcessorLog::kNoteOff, 60, 127}, {test::ProcessorLog::kNoteOn, 62, 1},
        {test::ProcessorLog::kNoteOn, 63, 127},  {test::ProcessorLog::kNoteOff, 64, 0},
        {test::ProcessorLog::kNoteOn, 65, 127}};
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].kind, expected[i].kind) << i;
        EXPECT_EQ(seen[i].key, expected[i].key) << i;
        EXPECT_EQ(seen[i].velocity, expected[i].velocity) << i;
    }
}

TEST_F(ClapInstanceTest, AFloodOfNotesNeverGrowsTheMidiQueueOnTheAudioThread) {
    HostedPlugin& plugin = start();
    const uint32_t nodes = test::lastTestProcessor()->getMidiQueue().getPool().getNodeCount();
    HostEventList events;
    for (uint32_t i = 0; i < 3000; ++i)
        events.addNote(i % 64, true, 0, 0, 60, 0.5);
    plugin.process(64, events);
    EXPECT_EQ(test::lastTestProcessor()->getMidiQueue().getPool().getNodeCount(), nodes);
    EXPECT_EQ(test::lastTestProcessor()->log.entries.size(), ClapPluginAdapter::kMaxQueuedMidi);
    HostEventList one;
    one.addNote(0, true, 0, 0, 61, 0.5); // the next block takes notes again
    plugin.process(64, one);
    EXPECT_EQ(test::lastTestProcessor()->log.entries.size(), ClapPluginAdapter::kMaxQueuedMidi + 1);
}

TEST_F(ClapInstanceTest, HostileBufferLayoutsAreServedSafely) {
    constexpr uint32_t kFrames = 128;
    HostedPlugin& plugin = start();
    HostEventList none;
    struct Layout {
        int32_t inputPorts;
        int32_t outputPorts;
        int32_t channelsPerPort;
        bool nullInputs;
        bool nullOutputs;
        bool inPlace;
    };
    const Layout layouts[] = {
        {0, -1, -1, false, false, false}, {-1, 0, -1, false, false, false}, {0, 0, -1, false, false, false},
        {-1, -1, 1, false, false, false}, {-1, -1, 0, false, false, false}, {-1, -1, -1, true, false, false},
        {-1, -1, -1, false, true, false}, {-1, -1, -1, false, false, true}, {1, -1, -1, false, false, false}};
    for (const Layout& layout : layouts) {
        fillInputs(0.25f, kFrames);
        ProcessOptions options;
        options.inputPorts = layout.inputPorts;
        options.outputPorts = layout.outputPorts;
        options.channelsPerPort = layout.channelsPerPort;
        options.nullInputChannels = layout.nullInputs;
        options.nullOutputChannels = layout.nullOutputs;
        options.inPlace = layout.inPlace;
        EXPECT_EQ(plugin.process(kFrames, none, options), CLAP_PROCESS_CONTINUE);
    }
    // Zero frames only drain events.
    HostEventList events;
    events.addParamValue(0, kGain, 0.7);
    EXPECT_EQ(plugin.process(0, events), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(*plugin.paramValue(kGain), 0.7f);
}

TEST_F(ClapInstanceTest, TheOutputsConstantMaskTellsASilentBlock) {
    HostedPlugin& plugin = start();
    HostEventList none;
    ProcessOptions quiet;
    quiet.inputConstantMask = 0x3;
    for (int block = 0; block < 3; ++block) {
        fillInputs(0.0f, 128);
        plugin.process(128, none, quiet);
    }
    EXPECT_EQ(plugin.outputConstantMask(0), 0xFFFFFFFFu);
    fillInputs(0.5f, 128);
    plugin.process(128, none);
    EXPECT_EQ(plugin.outputConstantMask(0), 0u);
}

TEST_F(ClapInstanceTest, InPlaceGivesTheSameOutputAsSeparateBuffers) {
    constexpr uint32_t kFrames = 200;
    std::vector<std::vector<float>> results;
    for (bool inPlace : {false, true}) {
        start();
        std::mt19937 random(7);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (uint32_t c = 0; c < 2; ++c)
            for (uint32_t i = 0; i < kFrames; ++i)
                plugin_->input(0, c)[i] = noise(random);
        ProcessOptions options;
        options.inPlace = inPlace;
        HostEventList events;
        events.addParamValue(50, kGain, 0.9);
        plugin_->process(kFrames, events, options);
        results.push_back(output(0, kFrames));
    }
    EXPECT_EQ(results[0], results[1]);
}

TEST_F(ClapInstanceTest, TheCallersControlWordComesBack) {
    HostedPlugin& plugin = start();
    HostEventList events;
    events.addParamValue(3, kGain, 0.4);
    events.addNote(4, true, 0, 0, 60, 0.5);
    const unsigned callers = (_mm_getcsr() & ~0x8040u) | 0x6000u; // round toward zero, no FTZ/DAZ
    unsigned afterProcess = 0;
    unsigned afterFlush = 0;
    unsigned afterStart = 0;
    host_.audioThread().run([&] {
        const unsigned saved = _mm_getcsr();
        _mm_setcsr(callers);
        plugin.startProcessingHere();
        afterStart = _mm_getcsr();
        plugin.processHere(64, events, {});
        afterProcess = _mm_getcsr();
        plugin.flushHere(events);
        afterFlush = _mm_getcsr();
        _mm_setcsr(saved);
    });
    EXPECT_EQ(afterStart, callers);
    EXPECT_EQ(afterProcess, callers);
    EXPECT_EQ(afterFlush, callers);
}

TEST_F(ClapInstanceTest, NothingAllocatesOnTheAudioThreadAfterActivation) {
    HostedPlugin& plugin = start();
    HostEventList events;
    for (uint32_t t = 0; t < 64; t += 8) {
        events.addParamValue(t, kGain, 0.1 + t / 100.0);
        events.addNote(t + 1, true, 0, 0, 60, 0.5);
    }
    events.addParamValue(1000, kPan, 0.6);
    // A gesture queued from the main thread is drained in the block.
    adapter().getModel().getAdapter()->beginGesture(0);
    size_t allocations = 99;
    host_.audioThread().run([&] {
        test::AllocationCounter counter;
        plugin.startProcessingHere();
        for (int block = 0; block < 8; ++block)
            plugin.processHere(64, events, {});
        plugin.flushHere(events);
        allocations = counter.allocations();
    });
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(plugin.outputEvents().size(), 0u); // the flush's drain found nothing left
}

// --- The framework's reports to the host

TEST_F(ClapInstanceTest, GesturesAndValuesReachTheHostInOrder) {
    HostedPlugin& plugin = start();
    GenericPlugin::Adapter& toHost = *adapter().getModel().getAdapter();
    toHost.beginGesture(1);
    toHost.sendParameterValue(1, 0.125f);
    toHost.endGesture(1);
    toHost.beginGesture(static_cast<int32_t>(kParameters)); // unknown: ignored
    toHost.sendParameterValue(-1, 0.5f);
    EXPECT_EQ(host_.calls().requestFlush.load(), 2);
    EXPECT_EQ(*plugin.paramValue(kPan), 0.125);
    HostEventList none;
    plugin.flush(none);
    const HostEventCollector& out = plugin.outputEvents();
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out.get(0)->type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(out.get(1)->type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(out.get(2)->type, CLAP_EVENT_PARAM_GESTURE_END);
    const auto* value = reinterpret_cast<const clap_event_param_value_t*>(out.get(1));
    EXPECT_EQ(value->header.size, sizeof(clap_event_param_value_t));
    EXPECT_EQ(value->param_id, kPan);
    EXPECT_EQ(value->value, 0.125);
    EXPECT_EQ(value->note_id, -1);
    EXPECT_EQ(value->key, -1);
    EXPECT_EQ(reinterpret_cast<const clap_event_param_gesture_t*>(out.get(0))->param_id, kPan);
    plugin.flush(none);
    EXPECT_EQ(plugin.outputEvents().size(), 0u);
}

TEST_F(ClapInstanceTest, WithoutHostParamsTheProcessorStillFollowsAndStateIsMarkedDirty) {
    host_.offerAll(false);
    host_.offer(HostExtension::kState, true);
    HostedPlugin& plugin = start();
    GenericPlugin& model = adapter().getModel();
    model.getParameter(kGain)->setValue(0.75f, kParameterChangeNotToHost);
    model.getAdapter()->parameterChanged(GenericPlugin::kResyncAll);
    HostEventList none;
    fillInputs(1.0f, 64);
    plugin.process(64, none);
    EXPECT_NEAR(output(0, 64)[10], 0.75f, 1e-6f);

    model.getAdapter()->stateChanged(0);
    model.getAdapter()->stateChanged(1);
    EXPECT_EQ(host_.calls().markDirty.load(), 2);
    EXPECT_TRUE(host_.calls().paramsRescan.empty());
}

TEST_F(ClapInstanceTest, PresetChangesReportLoadedOnlyWithAPath) {
    HostedPlugin& plugin = start(false);
    GenericPlugin& model = adapter().getModel();
    model.getAdapter()->stateChanged(0);
    EXPECT_TRUE(host_.calls().presetsLoaded.empty());
    model.getCurrentPreset().setPath(folder_.path() + "/A preset.ztp");
    model.getAdapter()->stateChanged(0);
    ASSERT_EQ(host_.calls().presetsLoaded.size(), 1u);
    EXPECT_EQ(host_.calls().presetsLoaded[0], toHostPath(folder_.path() + "/A preset.ztp"));
    EXPECT_EQ(host_.calls().markDirty.load(), 2);
    model.getAdapter()->parameterChanged(GenericPlugin::kResyncAll);
    EXPECT_EQ(host_.calls().paramsRescan, std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES});
    (void)plugin;
}

TEST_F(ClapInstanceTest, ARestartAskedForWhileInactiveIsReportedByTheNextActivate) {
    HostedPlugin& plugin = start(false);
    GenericPlugin::Adapter& toHost = *adapter().getModel().getAdapter();
    toHost.requestRestart();
    EXPECT_EQ(host_.calls().requestRestart.load(), 0);
    ASSERT_TRUE(plugin.activate(48000.0, 1, 128));
    EXPECT_EQ(host_.calls().latencyChanged.load(), 1);
    toHost.requestRestart(); // while active: the host is asked
    EXPECT_EQ(host_.calls().requestRestart.load(), 1);
    plugin.deactivate();
    ASSERT_TRUE(plugin.activate(48000.0, 1, 128));
    EXPECT_EQ(host_.calls().latencyChanged.load(), 2);
    plugin.deactivate();
    ASSERT_TRUE(plugin.activate(44100.0, 1, 128)); // nothing pending
    EXPECT_EQ(host_.calls().latencyChanged.load(), 2);
    EXPECT_FALSE(plugin.plugin()->activate(plugin.plugin(), 48000.0, 1, 128)); // already active
    expectReported({"activate called while active"});
}

// --- State

std::vector<uint8_t> savedState(HostedPlugin& plugin) {
    std::optional<std::vector<uint8_t>> bytes = plugin.saveState();
    EXPECT_TRUE(bytes);
    return bytes ? *bytes : std::vector<uint8_t>{};
}

uint32_t word(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST_F(ClapInstanceTest, StateRoundTripsByteForByteThroughShortSteps) {
    start(false);
    HostEventList events;
    events.addParamValue(0, kGain, 0.3);
    events.addParamValue(0, kPan, 0.9);
    plugin_->flush(events);
    const std::vector<uint8_t> first = savedState(*plugin_);
    ASSERT_GE(first.size(), 12u + 4 * kParameters + 8);
    EXPECT_EQ(std::string(first.begin(), first.begin() + 4), "ZTBS");
    EXPECT_EQ(word(first, 4), 1u);
    EXPECT_EQ(word(first, 8), kParameters);
    float gain = 0;
    std::memcpy(&gain, first.data() + 12, 4);
    EXPECT_EQ(gain, 0.3f);
    const size_t chunk = 12 + 4 * kParameters;
    EXPECT_EQ(std::string(first.begin() + chunk, first.begin() + chunk + 4), "TsPl");
    EXPECT_EQ(word(first, chunk + 4), 3u);

    plugin_.reset(); // the saving instance goes first, as when a project reopens
    start();
    ASSERT_TRUE(plugin_->loadState(first));
    EXPECT_EQ(*plugin_->paramValue(kPan), 0.9f);
    EXPECT_EQ(savedState(*plugin_), first);
    // The processor heard the loaded values.
    fillInputs(1.0f, 32);
    HostEventList none;
    plugin_->process(32, none);
    EXPECT_NEAR(output(0, 32)[0], 0.3f, 1e-6f);
    // Also in single bytes and large pieces.
    EXPECT_TRUE(plugin_->loadState(first, 1));
    EXPECT_TRUE(plugin_->loadState(first, 4096));
    EXPECT_EQ(plugin_->saveState(1), first);
}

// A stream that never ends.
int64_t endlessRead(const clap_istream_t*, void* buffer, uint64_t size) {
    std::memset(buffer, 0, size);
    return static_cast<int64_t>(size);
}

int64_t brokenRead(const clap_istream_t* stream, void*, uint64_t) {
    return *static_cast<const int64_t*>(stream->ctx);
}

int64_t refusingWrite(const clap_ostream_t*, const void*, uint64_t) {
    return 0;
}

TEST_F(ClapInstanceTest, BadStateInputFailsWithoutHarm) {
    HostedPlugin& plugin = start(false);
    const std::vector<uint8_t> good = savedState(plugin);
    EXPECT_FALSE(plugin.loadState({}));
    for (size_t cut : {size_t(3), size_t(11), good.size() / 2, good.size() - 1})
        EXPECT_FALSE(plugin.loadState(std::vector<uint8_t>(good.begin(), good.begin() + long(cut)))) << cut;
    std::mt19937 random(12345);
    std::vector<uint8_t> noise(1 << 20);
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>(random());
    EXPECT_FALSE(plugin.loadState(noise, 4096));
    std::vector<uint8_t> fake = good;
    std::memcpy(fake.data() + 8, "\xFF\xFF\xFF\x7F", 4); // a huge count
    EXPECT_FALSE(plugin.loadState(fake));

    const auto* state = plugin.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    const clap_istream_t endless{nullptr, endlessRead};
    EXPECT_FALSE(state->load(plugin.plugin(), &endless)); // ends past 16 MiB
    for (int64_t result : {int64_t(-1), int64_t(-2), INT64_MIN, int64_t(1) << 40}) {
        const clap_istream_t broken{&result, brokenRead};
        EXPECT_FALSE(state->load(plugin.plugin(), &broken)) << result;
    }
    const clap_ostream_t refusing{nullptr, refusingWrite};
    EXPECT_FALSE(state->save(plugin.plugin(), &refusing));
    // Still in working order.
    EXPECT_TRUE(plugin.loadState(good));
}

// --- Threads

TEST_F(ClapInstanceTest, MainThreadStateWorkBesideAudioThreadAutomation) {
    HostedPlugin& plugin = start(true, 128);
    const std::vector<uint8_t> state = savedState(plugin);
    std::atomic<bool> stop{false};
    HostEventList events;
    for (uint32_t t = 0; t < 128; t += 16)
        events.addParamValue(t, t % 32 == 0 ? kGain : kPan, t / 128.0);
    std::function<void()> blocks = [&] {
        plugin.startProcessingHere();
        while (!stop.load())
            plugin.processHere(128, events, {});
    };
    host_.audioThread().start(blocks);
    GenericPlugin::Adapter& toHost = *adapter().getModel().getAdapter();
    for (int round = 0; round < 50; ++round) {
        EXPECT_TRUE(plugin.loadState(state, 4096));
        EXPECT_TRUE(plugin.saveState(4096));
        EXPECT_TRUE(plugin.paramValue(kGain));
        EXPECT_TRUE(plugin.valueToText(kPan, 0.5));
        toHost.beginGesture(0);
        toHost.sendParameterValue(0, 0.5f);
        toHost.endGesture(0);
        toHost.parameterChanged(GenericPlugin::kResyncAll);
    }
    stop.store(true);
    host_.audioThread().wait();
    plugin.stopProcessing();
}

// The checks hold the host to the thread contract: a call on the wrong
// thread is refused, with one report of the host's misbehaviour each.
TEST_F(ClapInstanceTest, ACallOnTheWrongThreadIsRefusedWithOneReport) {
    if (!ClapThreadCheck::kEnforced) GTEST_SKIP() << "built without the thread checks";
    HostedPlugin& plugin = start();
    const clap_plugin_t* p = plugin.plugin();
    const auto* params = plugin.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    const auto* tail = plugin.extension<clap_plugin_tail_t>(CLAP_EXT_TAIL);
    ASSERT_NE(params, nullptr);
    ASSERT_NE(tail, nullptr);
    const clap_process_t block{};
    struct Case {
        const char* report;
        std::function<bool()> refused; // makes the call; false when it was answered
    } cases[] = {
        {"process called off the audio thread", [&] { return p->process(p, &block) == CLAP_PROCESS_ERROR; }},
        {"clap.params flush called off the audio thread",
         [&] {
             params->flush(p, nullptr, nullptr);
             return true; // nothing to answer
         }},
        {"clap.params count called off the main thread",
         [&] {
             uint32_t count = 1;
             host_.audioThread().run([&] { count = params->count(p); });
             return count == 0;
         }},
        {"start_processing called off the audio thread", [&] { return !p->start_processing(p); }},
        {"clap.tail get called off the main and audio threads",
         [&] {
             std::thread([&] { tail->get(p); }).join();
             return true; // the product's tail is endless, as a refusal's
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        host_.clearViolations();
        EXPECT_TRUE(c.refused());
        EXPECT_EQ(host_.violations(), std::vector<std::string>{std::string("log: ") + c.report});
    }
    host_.clearViolations();
    // The instance goes on as before.
    EXPECT_EQ(plugin.process(64, {}), CLAP_PROCESS_CONTINUE);
}

// The lifecycle as CLAP orders it: a block from the wrong thread, a block
// before start_processing and a second activate are each refused and
// reported once however often the host repeats them; destroy while active
// is reported and still carried out. Built without the checks, the instance
// itself still refuses the second activate.
TEST_F(ClapInstanceTest, CallsOutOfTheLifecycleAreRefusedAndReportedOnce) {
    const clap_process_t block{};
    HostEventList none;
    struct Case {
        const char* report;
        std::function<bool(HostedPlugin&)> refused; // makes the call; false when it was answered
        bool checkedOnly;                           // only the checks refuse it
    } cases[] = {
        {"process called off the audio thread",
         [&](HostedPlugin& plugin) {
             if (!plugin.processing()) plugin.startProcessing();
             return plugin.plugin()->process(plugin.plugin(), &block) == CLAP_PROCESS_ERROR;
         },
         true},
        {"process called while not processing",
         [&](HostedPlugin& plugin) {
             clap_process_status status = CLAP_PROCESS_CONTINUE;
             plugin.host().audioThread().run(
                 [&] { status = plugin.plugin()->process(plugin.plugin(), &block); });
             return status == CLAP_PROCESS_ERROR;
         },
         true},
        {"activate called while active",
         [&](HostedPlugin& plugin) { return !plugin.plugin()->activate(plugin.plugin(), 48000.0, 1, 512); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        HostedPlugin& plugin = start();
        const bool enforced = ClapThreadCheck::kEnforced || !c.checkedOnly;
        EXPECT_EQ(c.refused(plugin), enforced);
        EXPECT_EQ(c.refused(plugin), enforced);
        expectReported({c.report});
        // The instance goes on as before.
        EXPECT_EQ(plugin.process(64, none), CLAP_PROCESS_CONTINUE);
        EXPECT_TRUE(host_.violations().empty());
    }

    // Destroyed while active: reported, and the instance is deleted all the
    // same (the leak check of the sanitizer build sees to that).
    plugin_.reset();
    const clap_plugin_factory_t* factory = module_->pluginFactory();
    const clap_plugin_t* active = factory->create_plugin(factory, host_.clapHost(), pluginId().c_str());
    ASSERT_NE(active, nullptr);
    ASSERT_TRUE(active->init(active));
    ASSERT_TRUE(active->activate(active, 48000.0, 1, 512));
    active->destroy(active);
    expectReported({"destroy called while active"});
}

} // namespace
