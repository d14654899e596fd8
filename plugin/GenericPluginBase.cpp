#include "plugin/GenericPluginBase.h"

#include "foundation/BinaryData.h"
#include "plugin/ChannelLayouts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <istream>
#include <ostream>

namespace {
constexpr float kOffsetEpsilon = 1.1920929e-7f;
constexpr char kStateTag[] = "ZTBS";
} // namespace

// GenericParameterResponder

void GenericParameterResponder::addRegistered(AbstractPluginParameter* parameter) {
    registered_.push_back(parameter);
}

int32_t GenericParameterResponder::getNumParameters() const {
    return collection_.size();
}

AbstractPluginParameter* GenericParameterResponder::getParameter(int32_t index) const {
    return collection_.get(index);
}

int32_t GenericParameterResponder::addParameter(AbstractPluginParameter* parameter) {
    return collection_.add(parameter);
}

// GenericPluginBase

GenericPluginBase::GenericPluginBase(ParameterCollection& collection)
    : GenericParameterResponder(collection) {}

bool GenericPluginBase::writeParameterState(std::ostream& stream) const {
    BinaryDataWriter writer(stream);
    writer.writeBytes(kStateTag, 4);
    writer.writeUInt32(kStateVersion);
    const int32_t count = getNumParameters();
    writer.writeUInt32(static_cast<uint32_t>(count));
    for (int32_t i = 0; i < count && writer.isGood(); ++i)
        writer.writeFloat(getParameter(i)->getValue());
    return writer.isGood();
}

bool GenericPluginBase::readParameterState(std::istream& stream) {
    BinaryDataReader reader(stream);
    // The tag and the version (which is not checked); a stream that fails
    // before the tag is complete gives no tag.
    char tag[4];
    const bool haveTag = reader.readBytes(tag, sizeof tag);
    reader.readUInt32();
    if (!haveTag || std::memcmp(tag, kStateTag, sizeof tag) != 0) return false;

    beginUpdate();
    const int32_t parameterCount = getNumParameters();
    const uint32_t storedCount = reader.readUInt32();
    bool complete = reader.isGood();
    for (uint32_t i = 0; complete && i < storedCount; ++i) {
        const float value = reader.readFloat();
        if (!reader.isGood()) {
            // Stop here: the parameters not reached keep their values.
            complete = false;
            break;
        }
        if (i < static_cast<uint32_t>(parameterCount))
            getParameter(static_cast<int32_t>(i))->setValue(value, kParameterChangeNotToHost);
    }
    if (complete) {
        for (int64_t i = storedCount; i < parameterCount; ++i) {
            AbstractPluginParameter* parameter = getParameter(static_cast<int32_t>(i));
            parameter->setValue(parameter->getDefault(), kParameterChangeNotToHost);
        }
    }
    requestLightReset();
    endUpdate();
    return complete && reader.isGood();
}

bool GenericPluginBase::setChannelLayout(int32_t layout) {
    if (!isValidChannelLayout(layout)) return false;
    channelLayout_.store(layout, std::memory_order_relaxed);
    return true;
}

int32_t GenericPluginBase::addMidiVirtualParameter(MidiVirtualPluginParameter* parameter) {
    midiVirtualParameters_.push_back(parameter);
    return MidiVirtualPluginParameter::kIndexBase + static_cast<int32_t>(midiVirtualParameters_.size()) - 1;
}

void GenericPluginBase::removeMidiVirtualParameter(MidiVirtualPluginParameter* parameter) {
    // Positions are identifiers that mappings keep: leave the slot empty.
    std::replace(midiVirtualParameters_.begin(), midiVirtualParameters_.end(), parameter,
                 static_cast<MidiVirtualPluginParameter*>(nullptr));
}

MidiVirtualPluginParameter* GenericPluginBase::getMidiVirtualParameter(int32_t position) const {
    if (position < 0 || position >= getNumMidiVirtualParameters()) return nullptr;
    return midiVirtualParameters_[static_cast<size_t>(position)];
}

// MidiVirtualPluginParameter

MidiVirtualPluginParameter::MidiVirtualPluginParameter(GenericPluginBase& owner, std::string name)
    : owner_(owner), name_(std::move(name)), index_(owner.addMidiVirtualParameter(this)) {}

MidiVirtualPluginParameter::~MidiVirtualPluginParameter() {
    owner_.removeMidiVirtualParameter(this);
}

// MidiMultiVirtualPluginParameter

void MidiMultiVirtualPluginParameter::addParameter(AbstractPluginParameter* parameter) {
    if (parameter == nullptr) return;
    targets_.erase(std::remove(targets_.begin(), targets_.end(), parameter), targets_.end());
    targets_.push_back(parameter);
    lastSetOffsets_.resize(targets_.size(), 0.0f);
    offsets_.resize(targets_.size(), 0.0f);
}

float MidiMultiVirtualPluginParameter::meanPosition() const {
    float sum = 0.0f;
    for (const AbstractPluginParameter* target : targets_)
        sum += target->toLinearNormalized(target->getValue());
    return sum / static_cast<float>(targets_.size());
}

void MidiMultiVirtualPluginParameter::setValue(float normalised) {
    if (targets_.empty()) return;
    const float mean = meanPosition();
    for (size_t i = 0; i < targets_.size(); ++i) {
        const float d = targets_[i]->toLinearNormalized(targets_[i]->getValue()) - mean;
        // A target moved since the last controller value takes a new offset.
        if (std::fabs(d - lastSetOffsets_[i]) > kOffsetEpsilon) offsets_[i] = d;
    }
    for (size_t i = 0; i < targets_.size(); ++i) {
        float x = normalised + offsets_[i];
        x = std::isnan(x) || x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
        targets_[i]->setValue(targets_[i]->fromLinearNormalized(x), 0);
    }
    const float newMean = meanPosition();
    for (size_t i = 0; i < targets_.size(); ++i)
        lastSetOffsets_[i] = targets_[i]->toLinearNormalized(targets_[i]->getValue()) - newMean;
}
