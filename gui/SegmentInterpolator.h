#pragma once

// Piecewise-linear interpolation over an ordered list of stops (value,
// position), with a cursor that remembers the segment found last so that a
// walk along increasing positions costs one comparison per lookup.
//
// segmentAt(position) is always the index of the first stop whose position
// is greater than the given one (the stop count when none is): the cursor is
// only a shortcut to that answer. Stops are expected in ascending order.
//
// Traits supply the interpolated type: Traits::Value, Traits::convert(stop
// value), Traits::lerp(a, b, t) and Traits::empty() (the value of a list
// without stops).
//
// Threading: a lookup moves the cursor; one thread at a time.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace gui {

template <class S, class Traits> class SegmentInterpolator {
public:
    using StopValue = S;
    using Value = typename Traits::Value;

    struct Stop {
        S value;
        float position;
    };

    void addStop(const S& value, float position) { stops_.push_back({value, position}); }
    void clearStops() {
        stops_.clear();
        cursor_ = 0;
    }
    int count() const { return static_cast<int>(stops_.size()); }
    const Stop& stop(int index) const { return stops_[static_cast<std::size_t>(index)]; }

    // -1 without stops; else the first stop with a greater position.
    int segmentAt(float position) const {
        const int n = count();
        if (n == 0) return -1;
        const int c = cursor_;
        if (c < n && (c == 0 || stops_[static_cast<std::size_t>(c - 1)].position <= position) &&
            position < stops_[static_cast<std::size_t>(c)].position)
            return c;
        const auto found = std::upper_bound(stops_.begin(), stops_.end(), position,
                                            [](float p, const Stop& s) { return p < s.position; });
        cursor_ = static_cast<int>(found - stops_.begin());
        return cursor_;
    }

    // The first stop's value before it, the last stop's at or after it,
    // linear in between.
    Value valueAt(float position) const {
        const int i = segmentAt(position);
        if (i < 0) return Traits::empty();
        if (i == 0) return Traits::convert(stops_.front().value);
        if (i >= count()) return Traits::convert(stops_.back().value);
        const Stop& a = stops_[static_cast<std::size_t>(i - 1)];
        const Stop& b = stops_[static_cast<std::size_t>(i)];
        float t = (position - a.position) / (b.position - a.position);
        if (!(t > 0.0f)) t = 0.0f; // also NaN
        if (t > 1.0f) t = 1.0f;
        return Traits::lerp(Traits::convert(a.value), Traits::convert(b.value), t);
    }

private:
    std::vector<Stop> stops_;
    mutable int cursor_ = 0;
};

// Five float channels per stop.
struct FiveChannels {
    float v[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    bool operator==(const FiveChannels& other) const = default;
};

struct FiveChannelTraits {
    using Value = FiveChannels;
    static Value convert(const FiveChannels& v) { return v; }
    static Value lerp(const Value& a, const Value& b, float t) {
        Value r;
        for (int i = 0; i < 5; ++i)
            r.v[i] = a.v[i] + (b.v[i] - a.v[i]) * t;
        return r;
    }
    // (0, 0, 0, 0) with the fifth channel 1.0.
    static Value empty() { return FiveChannels{{0.0f, 0.0f, 0.0f, 0.0f, 1.0f}}; }
};

using FiveChannelInterpolator = SegmentInterpolator<FiveChannels, FiveChannelTraits>;

} // namespace gui
