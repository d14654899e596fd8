#pragma once

// What the plug-in model and the processor share: each owns a full set of
// parameter objects, and this base counts, reaches, saves and restores them,
// and carries the plug-in's description (GenericPluginInfo).
//
// Parameter state block ("ZTBS"), little-endian:
//   "ZTBS"   4 characters, no length prefix
//   u32      version, written as 1 (not checked on reading)
//   u32      count N of stored values
//   f32 * N  each parameter's getValue() in index order
// readParameterState trusts nothing: every value goes through the
// parameter's setValue (which clamps, NaN included), reading stops at the
// first read that fails, and a count larger than the data only costs the
// reads the data allows.
//
// MIDI virtual parameters are pseudo-parameters that MIDI controllers
// address through the controller mapping (identifier 0x100000 + position in
// the owner's list). They register with the owner at construction and are
// not owned by it.
//
// Threading: the processor's instance lives on the audio thread, apart from
// the setters of the parameters that the model side calls; state reading
// and writing run on the main thread.

#include "foundation/UpdatedObject.h"
#include "plugin/ChannelLayouts.h"
#include "plugin/GenericParameterOwner.h"
#include "plugin/ParameterCollection.h"
#include "plugin/PluginParameter.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class MidiVirtualPluginParameter;

// The description of a plug-in.
struct GenericPluginInfo {
    enum Kind : uint32_t {
        kInstrument = 1, // no audio input; silence as the dry signal
        kFilter = 2,
        kDelay = 3,
        kCompressor = 4,
        kEqualizer = 5,
        kDistortion = 6,
        kAnalyzer = 7,
        kReverb = 8,
    };

    enum Flag : uint32_t {
        kFlagMonoLayout = 2,               // the mono layout is offered
        kFlagMoreLayouts = 4,              // layouts beyond the first two are offered
        kFlagSideChainInput = 8,           // a side-chain input is supported
        kFlagTrackInfo = 32,               // the host's track information is taken
        kFlagEditorMidiQueue = 64,         // the processor keeps a MIDI queue for the editor
        kFlagPresetCatalogueCache = 0x100, // the model keeps the preset catalogue cache
        kFlagTextPresets = 0x200,          // presets are written in the text form
        kFlagPresetDiscoveryId = 0x1000,   // the plug-in id equals the preset-discovery id
    };

    bool hasFlag(uint32_t flag) const { return (pluginFlags & flag) != 0; }
    bool isInstrument() const { return pluginKind == kInstrument; }

    uint32_t pluginKind = 0;
    uint32_t pluginFlags = 0;
    // The first 4 characters identify the plug-in.
    std::string pluginId;
    std::string pluginName;
};

// An owner whose parameters live in a ParameterCollection, with the objects
// registered with it and a list of forwarders whose deliveries wait for the
// end of the current batch.
class GenericParameterResponder : public GenericParameterOwner {
public:
    // The collection belongs to the derived class and outlives this part.
    explicit GenericParameterResponder(ParameterCollection& collection) : collection_(collection) {}

    void addRegistered(AbstractPluginParameter* parameter) override;
    int32_t getNumParameters() const override;
    AbstractPluginParameter* getParameter(int32_t index) const override;
    int32_t addParameter(AbstractPluginParameter* parameter) override;

    const std::vector<AbstractPluginParameter*>& getRegistered() const { return registered_; }
    EventForwarderList& getEventForwarders() { return eventForwarders_; }
    ParameterCollection& getParameterCollection() const { return collection_; }

private:
    std::vector<AbstractPluginParameter*> registered_;
    EventForwarderList eventForwarders_;
    ParameterCollection& collection_;
};

class GenericPluginBase : public GenericParameterResponder, public GenericPluginInfo {
public:
    // Values of the MIDI state parameter: only 0 lets MIDI through.
    enum MidiState : int32_t { kMidiReceived = 0, kMidiBlocked = 1 };

    static constexpr uint32_t kStateVersion = 1;

    explicit GenericPluginBase(ParameterCollection& collection);

    // Writes the tag, version 1 and the count, then (while the stream is
    // good) every value. True when the stream neither failed nor went bad.
    bool writeParameterState(std::ostream& stream) const;
    // False, nothing changed, for a tag other than "ZTBS". Otherwise inside
    // one batch: each stored value i sets parameter i (flag 1, no report to
    // the host), values beyond the parameter count are skipped, parameters
    // beyond the stored count get their defaults (flag 1); at the first read
    // that fails reading stops, the parameters not reached keep their values
    // and the result is false. A light reset is requested in every case
    // past the tag.
    bool readParameterState(std::istream& stream);

    // The layout number (ChannelLayouts.h); 1 = stereo at construction.
    int32_t getChannelLayout() const { return channelLayout_.load(std::memory_order_relaxed); }
    // Ignores numbers outside the table; returns whether the layout is valid.
    bool setChannelLayout(int32_t layout);
    // The channel count of the layout (the processor asks for it on every
    // piece, so it stays inline).
    int32_t getNumChannels() const { return channelCountOfLayout(getChannelLayout()); }

    IndexedPluginParameter<MidiState>* getMidiStateParameter() const { return midiStateParameter_; }
    AbstractPluginParameter* getBypassParameter() const { return bypassParameter_; }

    // Flag 8 set and the side chain enabled.
    bool sideChainEnabled() const {
        return hasFlag(kFlagSideChainInput) && sideChainFlag_.load(std::memory_order_relaxed);
    }
    bool isSideChainFlagSet() const { return sideChainFlag_.load(std::memory_order_relaxed); }
    void setSideChainFlag(bool enabled) { sideChainFlag_.store(enabled, std::memory_order_relaxed); }

    // Called by MidiVirtualPluginParameter's constructor; returns its
    // identifier (0x100000 + position).
    int32_t addMidiVirtualParameter(MidiVirtualPluginParameter* parameter);
    void removeMidiVirtualParameter(MidiVirtualPluginParameter* parameter);
    // The virtual parameter at a position of the list, null when none.
    MidiVirtualPluginParameter* getMidiVirtualParameter(int32_t position) const;
    int32_t getNumMidiVirtualParameters() const {
        return static_cast<int32_t>(midiVirtualParameters_.size());
    }

    // The parameter that says whether MIDI is received (the product's
    // parameter declarations record theirs here).
    void setMidiStateParameter(IndexedPluginParameter<MidiState>* parameter) {
        midiStateParameter_ = parameter;
    }

protected:
    void setBypassParameter(AbstractPluginParameter* parameter) { bypassParameter_ = parameter; }

private:
    std::atomic<int32_t> channelLayout_{1};
    IndexedPluginParameter<MidiState>* midiStateParameter_ = nullptr;
    AbstractPluginParameter* bypassParameter_ = nullptr;
    std::atomic<bool> sideChainFlag_{true};
    std::vector<MidiVirtualPluginParameter*> midiVirtualParameters_;
};

// A pseudo-parameter that a MIDI controller drives.
class MidiVirtualPluginParameter {
public:
    static constexpr int32_t kIndexBase = 0x100000;

    MidiVirtualPluginParameter(GenericPluginBase& owner, std::string name);
    MidiVirtualPluginParameter(const MidiVirtualPluginParameter&) = delete;
    MidiVirtualPluginParameter& operator=(const MidiVirtualPluginParameter&) = delete;
    virtual ~MidiVirtualPluginParameter();

    // A normalised controller value (0..1). Audio thread; no allocation.
    virtual void setValue(float normalised) = 0;

    const std::string& getName() const { return name_; }
    int32_t getIndex() const { return index_; }

private:
    GenericPluginBase& owner_;
    std::string name_;
    int32_t index_;
};

// Moves a group of parameters together with one controller, keeping the
// spacing the user gave them: each target keeps its offset from the group's
// mean (in linear positions), and an offset is taken anew only for a target
// that was moved since the last controller value.
class MidiMultiVirtualPluginParameter : public MidiVirtualPluginParameter {
public:
    using MidiVirtualPluginParameter::MidiVirtualPluginParameter;

    // Appends a target (once: an earlier occurrence is removed). Not on the
    // audio thread.
    void addParameter(AbstractPluginParameter* parameter);
    // Every target takes fromLinearNormalized(clamp(v + its offset, 0, 1))
    // with flag 0 (reported to the host).
    void setValue(float normalised) override;

    const std::vector<AbstractPluginParameter*>& getTargets() const { return targets_; }

private:
    float meanPosition() const;

    std::vector<AbstractPluginParameter*> targets_;
    std::vector<float> lastSetOffsets_;
    std::vector<float> offsets_;
};
