#pragma once

// Observable values.
//
// A Property<T> tells its owner (a PropertyOwner, may be null) through
// propertyChanged after it stored a value that differs from the one it held;
// assigning an equal value costs one comparison and calls nobody. The owner
// tells its properties apart by address, so properties are neither copyable
// nor movable: a copied property would keep reporting to the old owner.
//
// What "equal" means is decided per value type by PropertyEquality<T>, which
// a subsystem may specialise for its own types (e.g. a tolerance for
// geometry) without touching the templates here.
//
// Threading: a property, its owner and the owner's update state belong to
// one thread at a time; nothing here locks.

#include "foundation/ManagedObject.h"

#include <cmath>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

class AbstractProperty;

class PropertyOwner {
public:
    virtual ~PropertyOwner() = default;
    // Called by a property after it stored a new value.
    virtual void propertyChanged(AbstractProperty& property) = 0;
};

class AbstractProperty {
public:
    explicit AbstractProperty(PropertyOwner* owner = nullptr) : owner_(owner) {}
    AbstractProperty(const AbstractProperty&) = delete;
    AbstractProperty& operator=(const AbstractProperty&) = delete;

    PropertyOwner* getOwner() const { return owner_; }
    void setOwner(PropertyOwner* newOwner) { owner_ = newOwner; }

protected:
    ~AbstractProperty() = default;

    void notifyOwner() {
        if (owner_ != nullptr) owner_->propertyChanged(*this);
    }

private:
    PropertyOwner* owner_;
};

template <class T> class ValueAssignable {
public:
    virtual ~ValueAssignable() = default;
    virtual void setValue(T value) = 0;
};

// A value receiver made by one party and deleted by whoever made it.
template <class S> class ValueAssignableAdapter : public ManagedObject, public ValueAssignable<S> {};

// Passes every value on to a target (not owned), converted to the target's
// type: bool -> int gives 0/1, bool -> float gives 0.0/1.0, an enumeration
// gives its number.
template <class S, class T> class ValueAssignableConverter : public ValueAssignableAdapter<S> {
public:
    explicit ValueAssignableConverter(ValueAssignable<T>& target) : target_(&target) {}
    explicit ValueAssignableConverter(ValueAssignable<T>* target) : target_(target) {}

    void setValue(S value) override {
        if (target_ != nullptr) target_->setValue(static_cast<T>(value));
    }

    ValueAssignable<T>* getTarget() const { return target_; }

private:
    ValueAssignable<T>* target_;
};

// equal(held, candidate): true when assigning candidate to a property that
// holds held must do nothing. Specialise for types that need another rule.
template <class T> struct PropertyEquality {
    static bool equal(const T& held, const T& candidate) { return held == candidate; }
};

// Floating point: equal when the candidate is neither less nor greater than
// the held value, so a NaN candidate never replaces anything (and 0.0 equals
// -0.0). A held NaN (only possible as the initial value) is replaced by any
// ordered value instead of sticking forever.
template <class F> struct FloatingPropertyEquality {
    static bool equal(F held, F candidate) {
        if (std::isnan(candidate)) return true;
        if (std::isnan(held)) return false;
        return !(candidate < held) && !(candidate > held);
    }
};

template <> struct PropertyEquality<float> : FloatingPropertyEquality<float> {};
template <> struct PropertyEquality<double> : FloatingPropertyEquality<double> {};

template <class T> class Property : public AbstractProperty, public ValueAssignable<T> {
public:
    using ValueType = T;

    explicit Property(PropertyOwner* owner = nullptr, T initial = T())
        : AbstractProperty(owner), value_(std::move(initial)) {}

    const T& getValue() const { return value_; }

    // Stores a value that differs from the held one, then tells the owner.
    void setValue(T newValue) override { assign(newValue); }

protected:
    // Returns true when the value was stored (and the owner told).
    bool assign(T& newValue) {
        if (PropertyEquality<T>::equal(value_, newValue)) return false;
        value_ = std::move(newValue);
        notifyOwner();
        return true;
    }

    // Replaces the value without telling anybody.
    void setQuietly(T newValue) { value_ = std::move(newValue); }

private:
    T value_;
};

// A property whose assigned values are first clamped into [minimum, maximum]:
// a value at or above the minimum becomes at most the maximum; a value below
// the minimum, or one that is unordered (NaN), becomes the minimum. Changing
// the limits does not touch the held value; the next assignment is clamped.
template <class T> class LimitedProperty : public Property<T> {
public:
    LimitedProperty(PropertyOwner* owner, T minimum, T maximum, T initial)
        : Property<T>(owner, clampInto(initial, minimum, maximum)), minimum_(minimum), maximum_(maximum) {}

    void setValue(T newValue) override {
        T clamped = clampInto(newValue, minimum_, maximum_);
        this->assign(clamped);
    }

    const T& getMinimum() const { return minimum_; }
    const T& getMaximum() const { return maximum_; }
    void setMinimum(T value) { minimum_ = value; }
    void setMaximum(T value) { maximum_ = value; }
    void setLimits(T newMinimum, T newMaximum) {
        minimum_ = newMinimum;
        maximum_ = newMaximum;
    }

    static T clampInto(T value, const T& minimum, const T& maximum) {
        if (value >= minimum) {
            if (value > maximum) return maximum;
            return value;
        }
        return minimum;
    }

private:
    T minimum_;
    T maximum_;
};

// A property that stores nothing: its value is read and written through a
// getter and a setter given by its owner (a size derived from a rect, say).
// The setter decides what a change means and whom to tell.
template <class T> class DelegatingProperty : public ValueAssignable<T> {
public:
    using Getter = std::function<T()>;
    using Setter = std::function<void(T)>;

    DelegatingProperty(Getter getter, Setter setter)
        : getter_(std::move(getter)), setter_(std::move(setter)) {}
    DelegatingProperty(const DelegatingProperty&) = delete;
    DelegatingProperty& operator=(const DelegatingProperty&) = delete;

    T getValue() const { return getter_(); }
    void setValue(T value) override { setter_(std::move(value)); }

private:
    Getter getter_;
    Setter setter_;
};
