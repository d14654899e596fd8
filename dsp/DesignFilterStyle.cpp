#include "dsp/DesignFilterStyle.h"

#include "foundation/BinaryData.h"
#include "foundation/ModuleResources.h"

#include <cmath>

// ------------------------------------------------------- FilterSettingTable

FilterSettingTable::FilterSettingTable() : size(this, 0) {
    size.setValue(11);
}

void FilterSettingTable::propertyChanged(AbstractProperty& property) {
    if (&property == &size) {
        std::size_t cells = std::size_t(n() + 1) * std::size_t(n() + 1);
        values_.assign(cells, 0.0f);
        differences_.assign(cells, 0.0f);
    }
}

void FilterSettingTable::set(std::int32_t row, std::int32_t column, float value) {
    values_[index(row, column)] = value;
    updateDifferences();
}

void FilterSettingTable::assign(const float* values) {
    const std::int32_t count = n();
    for (std::int32_t r = 0; r < count; ++r)
        for (std::int32_t c = 0; c < count; ++c)
            values_[index(r, c)] = values[std::size_t(r) * std::size_t(count) + std::size_t(c)];
    updateDifferences();
}

void FilterSettingTable::updateDifferences() {
    const std::int32_t count = n();
    for (std::int32_t r = 0; r <= count; ++r) {
        for (std::int32_t c = 0; c <= count; ++c) {
            float d = 0.0f;
            if (c < count - 1) d = values_[index(r, c + 1)] - values_[index(r, c)];
            differences_[index(r, c)] = d;
        }
    }
}

FilterSettingTable::Position FilterSettingTable::position(float column, float row, std::int32_t n) noexcept {
    const std::int32_t last = n - 1;
    auto split = [last](float x, std::int32_t& whole, float& fraction) {
        if (!(x > 0.0f)) {
            whole = 0;
            fraction = 0.0f;
        } else if (x >= float(last)) {
            whole = last;
            fraction = 0.0f;
        } else {
            // 0 < x < last: truncation is the floor.
            whole = std::int32_t(x);
            fraction = x - float(whole);
        }
    };
    Position at{};
    split(column, at.column, at.columnFraction);
    split(row, at.row, at.rowFraction);
    return at;
}

float FilterSettingTable::value(const Position& at) const noexcept {
    const std::int32_t c = at.column, r = at.row;
    const float fc = at.columnFraction;
    float lo = values_[index(r, c)] + fc * differences_[index(r, c)];
    float hi = values_[index(r + 1, c)] + fc * differences_[index(r + 1, c)];
    return lo + (hi - lo) * at.rowFraction;
}

float FilterSettingTable::value(float column, float row) const noexcept {
    return value(position(column, row, n()));
}

namespace {

// One table of a file: N and N x N values, taken only when complete and valid.
bool readTable(BinaryDataReader& reader, std::int32_t& n, std::vector<float>& values) {
    n = reader.readInt32();
    if (!reader.isGood() || n < FilterSettingTable::minimumSize || n > FilterSettingTable::maximumSize)
        return false;
    values.assign(std::size_t(n) * std::size_t(n), 0.0f);
    for (float& v : values) {
        v = reader.readFloat();
        if (!reader.isGood() || !(std::fabs(v) <= FilterSettingTable::maximumMagnitude)) return false;
    }
    return true;
}

} // namespace

bool FilterSettingTable::read(BinaryDataReader& reader) {
    std::int32_t count = 0;
    std::vector<float> values;
    if (!readTable(reader, count, values)) return false;
    size.setValue(count);
    assign(values.data());
    return true;
}

// -------------------------------------------------------- DesignFilterStyle

DesignFilterStyle::DesignFilterStyle(std::string_view resourceName, float driveFactor)
    : a(this, defaultA), low(this, defaultLow), high(this, defaultHigh), size(this, defaultSize),
      driveFactor_(driveFactor) {
    clipTable_.build(a.getValue());
    updateIndexScale();
    resetTables();
    if (resourceName.empty() || !resourceExists(resourceName)) return;
    auto stream = loadResource(resourceName);
    BinaryDataReader reader(*stream);
    read(reader);
}

DesignFilterStyle::~DesignFilterStyle() = default;

void DesignFilterStyle::updateIndexScale() {
    indexScale_ = float(size.getValue() - 1) / (high.getValue() - low.getValue());
}

void DesignFilterStyle::resetTables() {
    const std::int32_t count = size.getValue();
    std::vector<float> clip(std::size_t(count) * std::size_t(count), 0.1f);
    std::vector<float> cubic(clip.size(), 0.0f);
    std::vector<float> resonance(clip.size());
    for (std::int32_t r = 0; r < count; ++r) {
        float v = float(r) / float(count - 1);
        if (v > 0.999f) v = 0.999f;
        for (std::int32_t c = 0; c < count; ++c)
            resonance[std::size_t(r) * std::size_t(count) + std::size_t(c)] = v;
    }
    clipLevel_.assign(clip.data());
    cubic_.assign(cubic.data());
    resonance_.assign(resonance.data());
}

void DesignFilterStyle::propertyChanged(AbstractProperty& property) {
    if (&property == &a) {
        clipTable_.build(a.getValue());
    } else if (&property == &low || &property == &high) {
        updateIndexScale();
        resetTables();
    } else if (&property == &size) {
        clipLevel_.size.setValue(size.getValue());
        cubic_.size.setValue(size.getValue());
        resonance_.size.setValue(size.getValue());
        updateIndexScale();
        resetTables();
    }
}

bool DesignFilterStyle::read(BinaryDataReader& reader) {
    if (!reader.checkSignature("ZTil")) return false;
    const float fileA = reader.readFloat();
    const float fileLow = reader.readFloat();
    const float fileHigh = reader.readFloat();
    if (!reader.isGood() || !std::isfinite(fileA) || !std::isfinite(fileLow) || !std::isfinite(fileHigh) ||
        !(fileA > 0.0f) || !(fileHigh > fileLow))
        return false;
    std::int32_t n[3];
    std::vector<float> tables[3];
    for (int i = 0; i < 3; ++i) {
        if (!readTable(reader, n[i], tables[i])) return false;
    }
    if (n[1] != n[0] || n[2] != n[0]) return false;
    // The scale (N - 1) / (Fh - Fl) must be a finite number too.
    if (!std::isfinite(float(n[0] - 1) / (fileHigh - fileLow))) return false;

    a.setValue(fileA);
    low.setValue(fileLow);
    high.setValue(fileHigh);
    size.setValue(n[0]);
    clipLevel_.assign(tables[0].data());
    cubic_.assign(tables[1].data());
    resonance_.assign(tables[2].data());
    return true;
}
