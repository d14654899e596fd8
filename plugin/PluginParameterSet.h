#pragma once

// Parameter sets: named groups of parameters (one delay line, one filter,
// one modulation source), fixed arrays of sets and lists of sets with a
// variable number of active members.
//
// A PluginParameterSet stands between its parameters and the real owner (the
// plug-in model or the processor) and forwards everything to it; parameters
// constructed with a set as owner get global indices in construction order.
// A concrete set owns its parameters as members; arrays and lists own their
// sets. A list's active count is itself an indexed parameter registered with
// the list's owner before the sets' parameters.
//
// Linked lists: sets of a linked array or list move together with this
// list's sets when a set is removed, and index queries ask them in turn.
//
// Threads: as the parameters; the model's structures are used on the main
// and GUI threads, the processor's on the audio thread.

#include "plugin/GenericParameterOwner.h"
#include "plugin/PluginParameter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class PluginParameterSet : public GenericParameterOwner {
public:
    // Registers the set's name with the owner (its answer is the set
    // number).
    PluginParameterSet(GenericParameterOwner* owner, std::string name);
    PluginParameterSet(const PluginParameterSet&) = delete;
    PluginParameterSet& operator=(const PluginParameterSet&) = delete;
    ~PluginParameterSet() override;

    // Forwarded to the owner.
    void beginUpdate() override;
    void addRegistered(AbstractPluginParameter* parameter) override;
    void endUpdate() override;
    void setParameterValue(int32_t index, float value, int32_t flags) override;
    void addParameterAlias(AbstractPluginParameter* parameter, const std::string& alias) override;
    int32_t getNameIndex(const std::string& groupName) override;
    void requestLightReset() override;
    void requestFullReset() override;

    // The set's own parameters, by position in the set.
    int32_t getNumParameters() const override;
    AbstractPluginParameter* getParameter(int32_t position) const override;
    int32_t getSetNumber() const override { return setNumber_; }
    std::string getName() const override { return name_; }
    // Appends the parameter to the set and returns the owner's index for it
    // (-1 without an owner).
    int32_t addParameter(AbstractPluginParameter* parameter) override;

    // Value lists, ranges, mappings and defaults of a concrete set; called
    // once after construction. Base: nothing.
    virtual void setupParameterInfo();

    // Every parameter takes the value of the other set's parameter at the
    // same position (flags 0).
    void copyValuesFrom(const PluginParameterSet& other);
    // Every parameter is set to its default (flags 0).
    void resetToDefaults();

    GenericParameterOwner* getOwner() const { return owner_; }
    const std::vector<AbstractPluginParameter*>& getParameters() const { return parameters_; }
    // Index of the first and last parameter, -1 when the set has none.
    int32_t firstParameterIndex() const;
    int32_t lastParameterIndex() const;

private:
    int32_t setNumber_ = 0;
    std::string name_;
    GenericParameterOwner* owner_;
    std::vector<AbstractPluginParameter*> parameters_;
};

// Interface of arrays and lists of sets, with what they share.
class AbstractParameterSetArray {
public:
    AbstractParameterSetArray() = default;
    AbstractParameterSetArray(const AbstractParameterSetArray&) = delete;
    AbstractParameterSetArray& operator=(const AbstractParameterSetArray&) = delete;
    virtual ~AbstractParameterSetArray();

    // Calls the owner's addRegistered for every parameter of every set.
    virtual void registerWith(GenericParameterOwner& owner);
    // True when the structure has a parameter and index is -1 or lies
    // between the first and the last index; else the first linked list that
    // contains it.
    virtual bool containsParameterIndex(int32_t index) const;
    // The set that holds the parameter index, else the first answer of the
    // linked lists other than -1, else -1.
    virtual int32_t setIndexOfParameter(int32_t index) const;
    virtual int32_t getNumSets() const = 0;
    virtual PluginParameterSet* getSet(int32_t i) const = 0;
    // Every parameter of every set to its default, then every linked list.
    virtual void resetToDefaults();
    // Array: the index of the first parameter of set 0 (-1 when none).
    virtual int32_t firstParameterIndex() const;
    // Lists only; an array's sets are fixed.
    virtual void removeSet(int32_t i);

    // The index of the last parameter of the last set (the first index when
    // there is none).
    int32_t lastParameterIndex() const;
    void addLinkedList(AbstractParameterSetArray* list);
    const std::vector<AbstractParameterSetArray*>& getLinkedLists() const { return linkedLists_; }

protected:
    // True when the structure holds at least one parameter.
    virtual bool hasParameters() const;

    std::vector<AbstractParameterSetArray*> linkedLists_;
};

// A fixed number of sets of type T.
template <class T> class ParameterSetArray : public AbstractParameterSetArray {
public:
    ParameterSetArray() = default;
    // makeSet(position) -> std::unique_ptr<T>, called for 0 .. count - 1 in
    // order, so parameter indices follow set order.
    template <class Factory> ParameterSetArray(int32_t count, Factory makeSet) {
        for (int32_t i = 0; i < count; ++i)
            add(makeSet(i));
    }

    T& add(std::unique_ptr<T> set) {
        sets_.push_back(std::move(set));
        return *sets_.back();
    }
    int32_t getNumSets() const override { return static_cast<int32_t>(sets_.size()); }
    T* getSet(int32_t i) const override {
        return i >= 0 && i < getNumSets() ? sets_[static_cast<size_t>(i)].get() : nullptr;
    }
    T& operator[](int32_t i) const { return *sets_[static_cast<size_t>(i)]; }

private:
    std::vector<std::unique_ptr<T>> sets_;
};

// A list of sets of which the first "active count" are in use. The active
// count is a parameter ("Num Active " + the list's name) registered with the
// list's owner before any set of the list.
class AbstractParameterSetList : public AbstractParameterSetArray {
public:
    class NumActiveParameter : public IndexedPluginParameter<int> {
    public:
        NumActiveParameter(GenericParameterOwner* owner, const std::string& listName,
                           AbstractParameterSetList& list);
        // The ordinary indexed applyValue, then every entry j of every row
        // of the list's activation table is told j < count.
        void applyValue(float value) override;
        AbstractParameterSetList& getList() const { return list_; }

    private:
        AbstractParameterSetList& list_;
    };

    // The active count runs from 0 to maxCount, default 0.
    AbstractParameterSetList(GenericParameterOwner* owner, const std::string& name, int32_t maxCount);

    // The active-count parameter first, then every parameter of every set.
    void registerWith(GenericParameterOwner& owner) override;
    // The index of the active-count parameter.
    int32_t firstParameterIndex() const override;
    // Removes active set i (0 <= i < count, count above its minimum): one
    // update batch of the owner around lowering the count, shifting the
    // later sets' values down by one (in this list and every linked list)
    // and resetting the freed set to its defaults.
    void removeSet(int32_t i) override;

    int32_t getNumActive() const { return numActive_.getCurrentIndex(); }
    NumActiveParameter& getNumActiveParameter() { return numActive_; }
    const NumActiveParameter& getNumActiveParameter() const { return numActive_; }
    GenericParameterOwner* getOwner() const { return owner_; }

    // A row of receivers, one per possible set (null entries are skipped),
    // told whether their set is active whenever the count is applied.
    void addActivationRow(std::vector<ValueAssignable<bool>*> row);

protected:
    // A list always holds its active-count parameter.
    bool hasParameters() const override { return true; }

private:
    NumActiveParameter numActive_;
    GenericParameterOwner* owner_;
    std::vector<std::vector<ValueAssignable<bool>*>> activationTable_;
};

// A list that owns its sets of type T.
template <class T> class ParameterSetList : public AbstractParameterSetList {
public:
    // makeSet(position) -> std::unique_ptr<T>, called for 0 .. maxCount - 1
    // after the active-count parameter was registered.
    template <class Factory>
    ParameterSetList(GenericParameterOwner* owner, const std::string& name, int32_t maxCount, Factory makeSet)
        : AbstractParameterSetList(owner, name, maxCount) {
        for (int32_t i = 0; i < maxCount; ++i)
            sets_.push_back(makeSet(i));
    }

    int32_t getNumSets() const override { return static_cast<int32_t>(sets_.size()); }
    T* getSet(int32_t i) const override {
        return i >= 0 && i < getNumSets() ? sets_[static_cast<size_t>(i)].get() : nullptr;
    }
    T& operator[](int32_t i) const { return *sets_[static_cast<size_t>(i)]; }

private:
    std::vector<std::unique_ptr<T>> sets_;
};
