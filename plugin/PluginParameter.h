#pragma once

// Plug-in parameters: every automatable value of the plug-in.
//
// The value that the host and the editor see is the parameter's value in
// [getMin(), getMax()]. FloatPluginParameter is continuous, with a unit and a
// chain of mapping functions (curve, display range, display map);
// IndexedPluginParameter<T> holds stepped values (bool, int, enumerations),
// optionally with value names and a table that maps stored values to
// indices.
//
// Ownership and threads: a parameter registers with its owner (the model,
// the processor or a parameter set) when it is constructed and lives as long
// as the owner. Its range, names and mapping functions are set up once by its
// declarer and only read afterwards. The stored value is atomic: besides the
// owner's thread, the model-processor adapter sets processor parameters from
// the main thread and MIDI learn sets them from the audio thread. setValue,
// getValue, applyValue and the mapping operations never allocate; the text
// operations do.

#include "foundation/Property.h"
#include "foundation/StringUtils.h"
#include "plugin/GenericParameterOwner.h"
#include "plugin/PluginParameterUnit.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// Flag bit 0 of setValue: the change is not reported to the host.
constexpr int32_t kParameterChangeNotToHost = 1;

class AbstractPluginParameter {
public:
    // kind: 1 for stepped parameters, 0 for continuous ones. With an owner
    // the parameter registers itself at once; the owner's answer becomes its
    // index (-1 without an owner).
    AbstractPluginParameter(GenericParameterOwner* owner, int32_t kind, std::string name);
    AbstractPluginParameter(const AbstractPluginParameter&) = delete;
    AbstractPluginParameter& operator=(const AbstractPluginParameter&) = delete;
    virtual ~AbstractPluginParameter();

    // value: the parameter's value in [min, max]; plain: in display units;
    // internal: before the display map.
    virtual float plainToNormalized(float plain) const;
    virtual float internalToNormalized(float internal) const;
    virtual float normalizedToPlain(float value) const;
    virtual float normalizedToInternal(float value) const;
    // The value as a position in [0, 1] of the range, and back.
    virtual float toLinearNormalized(float value) const = 0;
    virtual float toLinearNormalizedInRange(float value, int32_t key) const;
    virtual float fromLinearNormalized(float position) const = 0;
    // Typed text to a value. False, with value set to the current value,
    // when the text cannot be read.
    virtual bool textToValue(const std::string& text, float& value) const;
    virtual bool fromLinearNormalizedInRange(float position, int32_t key, float& value) const;
    // The text of a value, at most maxLength characters (no limit when
    // maxLength <= 0).
    virtual std::string valueToText(float value, int32_t maxLength) const;
    virtual std::string formatValue(float value) const = 0;
    virtual float getDefault() const = 0;
    virtual int32_t rangeBoundForKey(int32_t key) const;
    virtual float getMax() const = 0;
    virtual float getMin() const = 0;
    // Moves value as oldReference moved to newReference: by the ratio of
    // their plain values, or by the difference when the old plain value is 0.
    virtual float rescale(float value, float oldReference, float newReference) const;
    virtual float getValue() const = 0;
    virtual bool hasValueNames() const;
    // Clamps into [min, max], stores a changed value and tells the owner.
    virtual void setValue(float value, int32_t flags) = 0;
    virtual bool isContinuous() const = 0;
    // Pushes a value to the signal side (the value listeners) without
    // storing it.
    virtual void applyValue(float value);

    int32_t getKind() const { return kind_; }
    bool isStepped() const { return kind_ == 1; }
    int32_t getIndex() const { return index_; }
    GenericParameterOwner* getOwner() const { return owner_; }

    const std::string& getName() const { return name_; }
    // The name shown to the host (the name at construction).
    const std::string& getHostName() const { return hostName_; }
    void setHostName(std::string newName) { hostName_ = std::move(newName); }
    const std::string& getHelpText() const { return helpText_; }
    void setHelpText(std::string text) { helpText_ = std::move(text); }
    // Further names under which presets may store the parameter.
    const std::vector<std::string>& getAliases() const { return aliases_; }
    void addAlias(std::string alias) { aliases_.push_back(std::move(alias)); }
    bool isAutomatable() const { return automatable_; }
    void setAutomatable(bool value) { automatable_ = value; }

protected:
    void notifyOwner(float value, int32_t flags) {
        if (owner_ != nullptr) owner_->setParameterValue(index_, value, flags);
    }

private:
    std::vector<std::string> aliases_;
    bool automatable_ = true;
    std::string name_;
    int32_t index_ = -1;
    std::string hostName_;
    std::string helpText_;
    GenericParameterOwner* owner_;
    int32_t kind_;
};

template <class T> class TypedPluginParameter : public AbstractPluginParameter {
public:
    using ValueType = T;
    using AbstractPluginParameter::AbstractPluginParameter;

    // The value as the signal side sees it: the float value, or the stored
    // value of an indexed parameter.
    virtual T getTypedValue() const = 0;
};

class FloatPluginParameter : public TypedPluginParameter<float> {
public:
    // Range [0, 1], default and value 0, no unit, identity maps.
    FloatPluginParameter(GenericParameterOwner* owner, std::string name);

    float plainToNormalized(float plain) const override;
    float internalToNormalized(float internal) const override;
    float normalizedToPlain(float value) const override;
    float normalizedToInternal(float value) const override;
    float toLinearNormalized(float value) const override;
    float fromLinearNormalized(float position) const override;
    bool textToValue(const std::string& text, float& value) const override;
    std::string formatValue(float value) const override;
    float getDefault() const override { return defaultValue_; }
    float getMax() const override { return maximum_; }
    float getMin() const override { return minimum_; }
    float getValue() const override { return value_.load(std::memory_order_relaxed); }
    void setValue(float newValue, int32_t flags) override;
    bool isContinuous() const override { return true; }
    void applyValue(float newValue) override;
    float getTypedValue() const override { return getValue(); }

    // Declaration. Changing the range clamps the stored value quietly.
    void setRange(float newMinimum, float newMaximum);
    void setMin(float newMinimum) { setRange(newMinimum, maximum_); }
    void setMax(float newMaximum) { setRange(minimum_, newMaximum); }
    void setDefault(float newDefault) { defaultValue_ = newDefault; }
    // Stores a value (clamped) without telling the owner.
    void initValue(float newValue);
    // Makes min map to low and max to high before the display map.
    void setDisplayRange(float low, float high);
    void setUnit(const FloatPluginParameterUnit* newUnit);
    void setUnitLabel(std::string label) { display_.unitLabel = std::move(label); }
    void setNumberFormat(std::string format) { display_.numberFormat = std::move(format); }
    void setPrefix(std::string text) { display_.prefix.setValue(std::move(text)); }
    void setSeparator(std::string text) { display_.separator.setValue(std::move(text)); }
    void setFormatter(ValueFormatFunction formatter) { display_.formatter = formatter; }
    void setCurve(ValueMapFunction curve, ValueMapFunction inverseCurve);
    void setDisplayMap(ValueMapFunction map, ValueMapFunction inverseMap);
    void addValueListener(ValueAssignable<float>* listener);
    void removeValueListener(ValueAssignable<float>* listener);

    const FloatPluginParameterUnit* getUnit() const { return display_.unit; }
    const FloatParameterDisplay& getDisplay() const { return display_; }

private:
    float clampToRange(float v) const;

    std::vector<ValueAssignable<float>*> valueListeners_;
    FloatParameterDisplay display_;
    float defaultValue_ = 0.0f;
    float maximum_ = 1.0f;
    float minimum_ = 0.0f;
    std::atomic<float> value_{0.0f};
};

// The range, names, index table and key ranges of an indexed parameter: the
// part of IndexedPluginParameter<T> that does not depend on T. Stored values
// and indices are int32; an index table maps stored values to indices
// (index = offset + position in the table, or the offset for a value not in
// it). Every double-to-int conversion here clamps in floating point first,
// so NaN, infinities and huge values from hosts, state blocks and presets
// are safe; an empty range gives the minimum (position 0).
class IndexedParameterRange {
public:
    IndexedParameterRange() = default;
    IndexedParameterRange(const IndexedParameterRange&) = delete;
    IndexedParameterRange& operator=(const IndexedParameterRange&) = delete;

    int32_t clampIndex(double value) const;
    int32_t indexOfStored(int32_t stored) const;
    int32_t storedOfIndex(int32_t index) const;
    // A stored value given as a float (NaN gives the minimum).
    int32_t indexOfInternal(double internal) const;

    float toLinearNormalized(double value) const;
    float fromLinearNormalized(double position) const;
    float toLinearNormalizedInRange(double value, int32_t key) const;
    bool fromLinearNormalizedInRange(double position, int32_t key, float& value) const;
    int32_t rangeBoundForKey(int32_t key) const;

    // Value name, or the stored value as "%d".
    std::string formatIndex(int32_t index) const;
    // A value name (exact, then case-insensitive) or a stored value as a
    // number; false when neither gives an index in range.
    bool textToIndex(const std::string& text, int32_t& index) const;

    const std::vector<std::string>& getValueNames() const { return *valueNames; }

    int32_t defaultIndex = 0;
    int32_t maximum = 1;
    int32_t minimum = 0;
    std::vector<int32_t> indexTable;
    int32_t tableOffset = 0;
    std::vector<std::string> ownValueNames;
    const std::vector<std::string>* valueNames = &ownValueNames;
    // (bound, key) pairs, in order.
    std::vector<std::pair<int32_t, int32_t>> ranges;

private:
    void limitsForKey(int32_t key, int32_t& lower, int32_t& upper, bool& passedPair) const;
};

template <class T> class IndexedPluginParameter : public TypedPluginParameter<T> {
    static_assert(std::is_same_v<T, bool> || std::is_integral_v<T> || std::is_enum_v<T>,
                  "stepped values are bool, integers or enumerations");

public:
    // Range 0..1, default 0, stored value 0.
    IndexedPluginParameter(GenericParameterOwner* owner, std::string name)
        : TypedPluginParameter<T>(owner, 1, std::move(name)) {}

    float internalToNormalized(float internal) const override {
        return static_cast<float>(range_.indexOfInternal(internal));
    }
    float normalizedToInternal(float v) const override {
        return static_cast<float>(range_.storedOfIndex(range_.clampIndex(v)));
    }
    float toLinearNormalized(float v) const override { return range_.toLinearNormalized(v); }
    float toLinearNormalizedInRange(float v, int32_t key) const override {
        return range_.ranges.empty() ? range_.toLinearNormalized(v)
                                     : range_.toLinearNormalizedInRange(v, key);
    }
    float fromLinearNormalized(float position) const override {
        return range_.fromLinearNormalized(position);
    }
    bool textToValue(const std::string& text, float& v) const override {
        int32_t index = 0;
        if (!range_.textToIndex(text, index)) {
            v = getValue();
            return false;
        }
        v = static_cast<float>(index);
        return true;
    }
    bool fromLinearNormalizedInRange(float position, int32_t key, float& v) const override {
        if (range_.ranges.empty()) {
            v = range_.fromLinearNormalized(position);
            return true;
        }
        return range_.fromLinearNormalizedInRange(position, key, v);
    }
    std::string valueToText(float v, int32_t maxLength) const override {
        return shortenParameterName(formatValue(v), maxLength > 0 ? static_cast<size_t>(maxLength) : 0);
    }
    std::string formatValue(float v) const override { return range_.formatIndex(range_.clampIndex(v)); }
    float getDefault() const override { return static_cast<float>(range_.defaultIndex); }
    int32_t rangeBoundForKey(int32_t key) const override { return range_.rangeBoundForKey(key); }
    float getMax() const override { return static_cast<float>(range_.maximum); }
    float getMin() const override { return static_cast<float>(range_.minimum); }
    float getValue() const override { return static_cast<float>(getCurrentIndex()); }
    bool hasValueNames() const override { return !range_.getValueNames().empty(); }
    bool isContinuous() const override { return range_.getValueNames().empty(); }

    void setValue(float v, int32_t flags) override {
        const int32_t index = range_.clampIndex(v);
        if (index == getCurrentIndex()) return;
        stored_.store(fromStored(range_.storedOfIndex(index)), std::memory_order_relaxed);
        this->notifyOwner(static_cast<float>(index), flags);
    }

    void applyValue(float v) override {
        const T typed = fromStored(range_.storedOfIndex(range_.clampIndex(v)));
        for (ValueAssignable<T>* listener : valueListeners_)
            listener->setValue(typed);
    }

    T getTypedValue() const override { return stored_.load(std::memory_order_relaxed); }
    int32_t getCurrentIndex() const { return range_.indexOfStored(toStored(getTypedValue())); }

    // Declaration. Changing the range clamps the stored value quietly.
    void setRange(int32_t newMinimum, int32_t newMaximum) {
        range_.minimum = newMinimum;
        range_.maximum = newMaximum;
        initValue(getCurrentIndex());
    }
    void setMin(int32_t newMinimum) { setRange(newMinimum, range_.maximum); }
    void setMax(int32_t newMaximum) { setRange(range_.minimum, newMaximum); }
    void setDefault(int32_t index) { range_.defaultIndex = index; }
    // Stores the value of an index (clamped) without telling the owner.
    void initValue(int32_t index) {
        stored_.store(fromStored(range_.storedOfIndex(range_.clampIndex(index))), std::memory_order_relaxed);
    }
    // Names from a comma-separated list ("Off,On").
    void setValueNames(const std::string& commaSeparatedNames) {
        splitAtCommas(commaSeparatedNames, range_.ownValueNames);
        range_.valueNames = &range_.ownValueNames;
    }
    void setValueNames(std::vector<std::string> names) {
        range_.ownValueNames = std::move(names);
        range_.valueNames = &range_.ownValueNames;
    }
    // A list shared with other parameters; it must outlive this parameter.
    void setSharedValueNames(const std::vector<std::string>* names) {
        range_.valueNames = names != nullptr ? names : &range_.ownValueNames;
    }
    const std::vector<std::string>& getValueNames() const { return range_.getValueNames(); }
    // Stored values by index: index = offset + position in the table.
    void setIndexTable(std::vector<int32_t> table, int32_t offset) {
        const int32_t index = getCurrentIndex();
        range_.indexTable = std::move(table);
        range_.tableOffset = offset;
        initValue(index);
    }
    void addRange(int32_t bound, int32_t key) { range_.ranges.emplace_back(bound, key); }
    void clearRanges() { range_.ranges.clear(); }

    void addValueListener(ValueAssignable<T>* listener) {
        if (listener != nullptr) valueListeners_.push_back(listener);
    }
    void removeValueListener(ValueAssignable<T>* listener) {
        valueListeners_.erase(std::remove(valueListeners_.begin(), valueListeners_.end(), listener),
                              valueListeners_.end());
    }

protected:
    static int32_t toStored(T typed) {
        if constexpr (std::is_same_v<T, bool>)
            return typed ? 1 : 0;
        else
            return static_cast<int32_t>(typed);
    }
    static T fromStored(int32_t storedValue) {
        if constexpr (std::is_same_v<T, bool>)
            return storedValue != 0;
        else
            return static_cast<T>(storedValue);
    }

    std::vector<ValueAssignable<T>*> valueListeners_;
    IndexedParameterRange range_;

private:
    std::atomic<T> stored_{T()};
};
