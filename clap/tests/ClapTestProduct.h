#pragma once

// The product the clap tests' module carries: a small model and processor
// with the same parameters in the same order ("Gain" and "Pan" on 0..1, the
// stepped "Receive Midi"), two channels whose output is the input times the
// gain (further channels of a wider layout are silent), and a log of the notes that reach the processor. The
// entry is linked into the test program; each test names its own product (its own registry key and folders)
// through ClapProductTest.

#include "clap/ClapEntry.h"
#include "clap/ClapProduct.h"
#include "plugin/tests/TestPlugin.h"
#include "plugin/tests/TestProcessor.h"
#include "tools/testhost/ClapModule.h"
#include "tools/testhost/HostedPlugin.h"
#include "tools/testhost/TestHost.h"

#include <memory>
#include <string>

namespace test {

class ClapTestProcessor : public GenericPluginProcessor {
public:
    ClapTestProcessor(uint32_t flags, const std::string& name, int32_t layout) {
        setChannelLayout(layout);
        pluginKind = kDelay;
        pluginFlags = flags;
        pluginId = "TsPl";
        pluginName = name;
        gain.setDefault(0.5f);
        gain.initValue(0.5f);
        pan.setDefault(0.25f);
        pan.initValue(0.25f);
        for (int c = 0; c < 2; ++c) {
            auto* channel = new TestChannel(*this, nullptr);
            addChannel(channel);
            gain.addValueListener(&channel->producer);
            channel->producer.setValue(0.5f);
            testChannels.push_back(channel);
        }
        setMidiStateParameter(&midiState);
        initProcessing();
    }

    void midiNoteOn(int32_t key, float velocity) override {
        log.add(ProcessorLog::kNoteOn, float(key), velocity);
    }
    void midiNoteOff(int32_t key, float velocity) override {
        log.add(ProcessorLog::kNoteOff, float(key), velocity);
    }

    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter pan{this, "Pan"};
    IndexedPluginParameter<MidiState> midiState{this, "Receive Midi"};
    ProcessorLog log;
    std::vector<TestChannel*> testChannels;
};

// The product's settings for the tests that follow.
struct ClapTestProductSetup {
    std::string name = "VarnelClapTest";
    uint32_t flags = GenericPluginInfo::kFlagSideChainInput | GenericPluginInfo::kFlagPresetDiscoveryId;
    uint32_t kind = GenericPluginInfo::kDelay;
    // The model's editor size (logical units), and the product's editor
    // (none unless a test names one).
    int32_t interfaceWidth = 0;
    int32_t interfaceHeight = 0;
    const ClapEditorEntry* editor = nullptr;
};
ClapTestProductSetup& clapTestProduct();
// The product's model: the test plug-in with the setup's editor size.
class ClapTestModel : public TestPlugin {
public:
    using TestPlugin::TestPlugin;
    int32_t getInterfaceWidth() const override { return clapTestProduct().interfaceWidth; }
    int32_t getInterfaceHeight() const override { return clapTestProduct().interfaceHeight; }
};
// The path the entry is initialised with: this program's file.
const std::string& clapTestModulePath();
// The last processor the product made.
ClapTestProcessor* lastTestProcessor();

// A test with its own product name and folders, and the entry initialised
// through the test host (statically linked).
class ClapProductTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        clapTestProduct().name = name_;
        std::string error;
        module_ = ClapModule::fromEntry(&clapEntryRecord(), executablePath(), error);
        ASSERT_TRUE(module_) << error;
    }
    void TearDown() override {
        module_.reset();
        clapTestProduct() = ClapTestProductSetup{};
        PluginTest::TearDown();
    }

    std::string pluginId() const { return "com.Zentor.preset-discovery." + name_ + ".1"; }
    std::unique_ptr<HostedPlugin> makeInstance(::TestHost& host) {
        return std::make_unique<HostedPlugin>(host, module_->pluginFactory(), pluginId());
    }
    static const std::string& executablePath() { return clapTestModulePath(); }

    std::unique_ptr<ClapModule> module_;
};

} // namespace test
