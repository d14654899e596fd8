// Fuzz target: filter characteristic files ("ZTil") read by
// DesignFilter::Style::read.
//
// A rejected file must leave the style exactly as it was (the defaults here);
// an accepted one must give a usable style: N within [2, 64], Fh > Fl, a > 0,
// every table value finite, and finite interpolated values anywhere, also
// far outside the tables. Reading never allocates beyond the 64 x 64 limit
// (the fuzzer's memory limit catches a reader that trusts N).

#include "dsp/DesignFilter.h"
#include "foundation/BinaryData.h"
#include "fuzz/FuzzCheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

namespace {

using DesignFilterStyle = ::DesignFilter::Style;
using ::FilterSettingTable;

using fuzz::check;

bool holdsDefaults(const DesignFilterStyle& s) {
    if (s.a.getValue() != DesignFilterStyle::defaultA || s.low.getValue() != DesignFilterStyle::defaultLow ||
        s.high.getValue() != DesignFilterStyle::defaultHigh ||
        s.size.getValue() != DesignFilterStyle::defaultSize)
        return false;
    for (int r = 0; r < 11; ++r) {
        for (int c = 0; c < 11; ++c) {
            float resonance = float(r) / 10.0f;
            if (s.clipLevelTable().at(r, c) != 0.1f || s.cubicTable().at(r, c) != 0.0f ||
                s.resonanceTable().at(r, c) != (resonance < 0.999f ? resonance : 0.999f))
                return false;
        }
    }
    return true;
}

void checkTable(const FilterSettingTable& t, int n) {
    check(t.n() == n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            check(std::isfinite(t.at(r, c)));
    const float probes[] = {-1e30f,       -3.0f,           0.0f,  0.37f,        float(n) * 0.5f,
                            float(n - 1), float(n) + 4.0f, 1e30f, std::nanf("")};
    for (float column : probes)
        for (float row : probes)
            check(std::isfinite(t.value(column, row)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<DesignFilterStyle> style = std::make_unique<DesignFilterStyle>();

    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    BinaryDataReader reader(in);
    const bool accepted = style->read(reader);
    if (!accepted) {
        check(holdsDefaults(*style));
        return 0;
    }
    const DesignFilterStyle& s = *style;
    const int n = s.size.getValue();
    check(n >= FilterSettingTable::minimumSize && n <= FilterSettingTable::maximumSize);
    check(s.a.getValue() > 0.0f && std::isfinite(s.a.getValue()));
    check(std::fabs(s.clipTable().parameter() - s.a.getValue()) <= 1.1920929e-7f);
    check(std::isfinite(s.low.getValue()) && std::isfinite(s.high.getValue()));
    check(s.high.getValue() > s.low.getValue());
    check(std::isfinite(s.indexScale()));
    checkTable(s.clipLevelTable(), n);
    checkTable(s.cubicTable(), n);
    checkTable(s.resonanceTable(), n);

    // The next input starts from the defaults again.
    style = std::make_unique<DesignFilterStyle>();
    return 0;
}
