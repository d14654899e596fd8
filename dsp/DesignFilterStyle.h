#pragma once

// Filter characteristics: what gives a design filter its sound.
//
// A DesignFilterStyle (used as DesignFilter::Style) holds the output clip
// curve (parameter a), the drive factor and three tables over peak (rows) and
// cut-off frequency (columns, log2 Hz from Fl to Fh): the clip level, the
// cubic bending coefficient and the resonance. Styles are read from "ZTil"
// characteristic files (module resources) on the main thread, once per
// process, and are read-only afterwards: every instance's audio thread reads
// them without locks.
//
// "ZTil" layout (little-endian): "ZTil", int32 version (not checked), float32
// a, float32 Fl, float32 Fh, then the clip level, cubic and resonance tables,
// each an int32 N followed by N x N float32 values, row-major (row = peak
// index, column = frequency index).
//
// Reading is all or nothing: the file is parsed into temporaries and taken
// only when it is complete and valid (signature, the three N equal and within
// 2..64 with all their values present, every number finite, table values
// within +-1e6 so that interpolation cannot overflow, Fh > Fl, a > 0).
// Otherwise the style keeps what it had and read() returns false; a hostile
// N never makes anything allocate more than the 64 x 64 limit allows.

#include "dsp/FunctionTable.h"
#include "foundation/Property.h"

#include <cstdint>
#include <string_view>
#include <vector>

class BinaryDataReader;

// N x N values with linear interpolation; rows and columns as above. Storage
// holds N + 1 rows of N + 1 values (the extra row and column are zero), and
// the differences along the columns (0 in the last column).
class FilterSettingTable : public PropertyOwner {
public:
    static constexpr std::int32_t minimumSize = 2;
    static constexpr std::int32_t maximumSize = 64;
    // Larger values are refused: interpolating between them could overflow.
    static constexpr float maximumMagnitude = 1e6f;

    FilterSettingTable();

    // N; setting a new N gives N + 1 rows of N + 1 zeros.
    Property<std::int32_t> size;

    std::int32_t n() const noexcept { return size.getValue(); }
    float at(std::int32_t row, std::int32_t column) const noexcept { return values_[index(row, column)]; }
    void set(std::int32_t row, std::int32_t column, float value);
    // Takes N x N row-major values (N = the current size) and recomputes the
    // differences.
    void assign(const float* values);

    // Interpolated value at a fractional column (frequency) and row (peak).
    // Each coordinate is clamped to [0, N - 1]; at or beyond an end the
    // fraction is 0, so the edge row or column is read exactly (NaN reads 0).
    float value(float column, float row) const noexcept;
    // The same in two steps, for reading several tables of one size at one
    // place: where (column, row) falls in a table of size n, and the value
    // there.
    struct Position {
        std::int32_t column, row;
        float columnFraction, rowFraction;
    };
    static Position position(float column, float row, std::int32_t n) noexcept;
    float value(const Position& at) const noexcept;

    // Reads int32 N and N x N floats; takes them only when N is within
    // [minimumSize, maximumSize] and every value is present and within
    // +-maximumMagnitude.
    bool read(BinaryDataReader& reader);

    void propertyChanged(AbstractProperty& property) override;

private:
    std::size_t index(std::int32_t row, std::int32_t column) const noexcept {
        return std::size_t(row) * std::size_t(n() + 1) + std::size_t(column);
    }
    void updateDifferences();

    std::vector<float> values_;
    std::vector<float> differences_;
};

class DesignFilterStyle : public PropertyOwner {
public:
    static constexpr float defaultA = 0.3f;
    static constexpr float defaultLow = 2.2666f;
    static constexpr float defaultHigh = 16.2064f;
    static constexpr std::int32_t defaultSize = 11;

    // An empty name gives the default tables (the plain state-variable
    // filter's shaping); otherwise the named module resource is read. A
    // missing or bad resource leaves the defaults.
    explicit DesignFilterStyle(std::string_view resourceName = {}, float driveFactor = 1.0f);
    ~DesignFilterStyle() override;

    Property<float> a;    // clip parameter
    Property<float> low;  // Fl, log2 Hz of column 0
    Property<float> high; // Fh, log2 Hz of column N - 1
    Property<std::int32_t> size;

    // True when a complete, valid file was taken (see above).
    bool read(BinaryDataReader& reader);
    // Clip level 0.1, cubic 0, resonance min(row / (N - 1), 0.999).
    virtual void resetTables();

    float indexScale() const noexcept { return indexScale_; }
    float driveFactor() const noexcept { return driveFactor_; }
    const ClipTable& clipTable() const noexcept { return clipTable_; }
    const FilterSettingTable& clipLevelTable() const noexcept { return clipLevel_; }
    const FilterSettingTable& cubicTable() const noexcept { return cubic_; }
    const FilterSettingTable& resonanceTable() const noexcept { return resonance_; }

    void propertyChanged(AbstractProperty& property) override;

private:
    void updateIndexScale();

    float indexScale_ = 0.0f;
    ClipTable clipTable_;
    FilterSettingTable clipLevel_;
    FilterSettingTable cubic_;
    FilterSettingTable resonance_;
    float driveFactor_;
};
