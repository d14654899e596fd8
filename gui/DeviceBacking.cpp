#include "gui/DeviceBacking.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace gui {

namespace {

// Reads one integer the way "%d" does (leading blanks, optional sign, digits;
// what follows is ignored), but refuses a number out of range.
bool readInteger(const std::string& text, std::size_t begin, std::size_t end, int& value) {
    std::size_t i = begin;
    while (i < end && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= end || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    long long v = 0;
    const long long limit = negative ? -static_cast<long long>(std::numeric_limits<int>::min())
                                     : static_cast<long long>(std::numeric_limits<int>::max());
    while (i < end && std::isdigit(static_cast<unsigned char>(text[i]))) {
        v = v * 10 + (text[i] - '0');
        if (v > limit) return false;
        ++i;
    }
    value = static_cast<int>(negative ? -v : v);
    return true;
}

int percentOf(float scale) {
    return static_cast<int>(std::lround(static_cast<double>(scale) * 100.0));
}

} // namespace

int scaleClass(float s) {
    if (s > 2.6f) return 7;
    if (s > 2.4f) return 6;
    if (s > 2.2f) return 5;
    if (s > 1.8f) return 4;
    if (s > 1.6f) return 3;
    if (s > 1.4f) return 2;
    if (s > 1.2f) return 1;
    return 0;
}

float quantizeScale(float s) {
    return kScaleTable[static_cast<std::size_t>(scaleClass(s))];
}

int toDevicePixels(float logical, float scale) {
    return static_cast<int>(std::floor(double(logical) * double(scale) + 0.5));
}

float toLogicalUnits(int pixels, float scale) {
    return scale > 0.0f ? static_cast<float>(std::round(double(pixels) / double(scale))) : float(pixels);
}

DeviceBacking::DeviceBacking() : useSecondTable(this, false) {
    firstTable_.fill(-1);
    secondTable_.fill(-1);
}

DeviceBacking::~DeviceBacking() = default;

float DeviceBacking::snapAt(float v, float scale) {
    return std::floor(v * scale + 0.7f) / scale;
}

void DeviceBacking::setSystemScale(float scale) {
    const int c = scaleClass(scale);
    if (c == systemClass_) return;
    systemClass_ = c;
    scale_ = 0.0f; // the next computation notifies whatever it finds
    updateScale();
}

void DeviceBacking::setDefaultIndex(int index) {
    defaultIndex_ = index >= 0 && index < kScaleClassCount ? index : -1;
}

void DeviceBacking::setTableEntry(bool secondTable, int cls, int index) {
    if (cls < 0 || cls >= kScaleClassCount) return;
    if (index < -1 || index >= kScaleClassCount) index = -1;
    (secondTable ? secondTable_ : firstTable_)[static_cast<std::size_t>(cls)] = index;
}

int DeviceBacking::getScaleSetting() const {
    const bool second = useSecondTable.getValue();
    int i = (second ? secondTable_ : firstTable_)[static_cast<std::size_t>(systemClass_)];
    if (i < 0) {
        if (second) i = defaultIndex_;
        if (i < 0) i = systemClass_;
    }
    return i;
}

void DeviceBacking::updateScale() {
    const float s = kScaleTable[static_cast<std::size_t>(getScaleSetting())];
    if (std::fabs(s - scale_) <= kScaleEpsilon) return;
    scale_ = s;
    notifyListeners();
}

void DeviceBacking::parseScaleSettings(const std::string& text) {
    firstTable_.fill(-1);
    secondTable_.fill(-1);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t colon = text.find(':', pos);
        if (colon == std::string::npos) break;
        std::size_t first = pos;
        bool second = false;
        if (text[first] == 'F') {
            second = true;
            ++first;
        }
        std::size_t comma = text.find(',', colon + 1);
        if (comma == std::string::npos) comma = text.size();
        int systemPercent = 0;
        int chosenPercent = 0;
        if (!readInteger(text, first, colon, systemPercent)) break;
        if (!readInteger(text, colon + 1, comma, chosenPercent)) break;
        setTableEntry(second, scaleClass(static_cast<float>(systemPercent * 0.01)),
                      scaleClass(static_cast<float>(chosenPercent * 0.01)));
        updateScale();
        pos = comma + 1;
    }
}

std::string DeviceBacking::formatScaleSettings() const {
    std::string out;
    for (int table = 0; table < 2; ++table) {
        const auto& entries = table == 0 ? firstTable_ : secondTable_;
        for (int c = 0; c < kScaleClassCount; ++c) {
            const int entry = entries[static_cast<std::size_t>(c)];
            if (entry < 0) continue;
            if (!out.empty()) out += ',';
            if (table == 1) out += 'F';
            out += std::to_string(percentOf(kScaleTable[static_cast<std::size_t>(c)]));
            out += ':';
            out += std::to_string(percentOf(kScaleTable[static_cast<std::size_t>(entry)]));
        }
    }
    return out;
}

float DeviceBacking::scaleFromSettings(float systemScale, const std::string& text) {
    DeviceBacking temporary;
    temporary.parseScaleSettings(text);
    const int c = scaleClass(systemScale);
    int i = temporary.firstTableEntry(c);
    if (i < 0) i = c;
    return kScaleTable[static_cast<std::size_t>(i)];
}

void DeviceBacking::addBackingScaleListener(BackingScaleListener* listener) {
    if (listener == nullptr) return;
    if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) return;
    listeners_.push_back(listener);
}

void DeviceBacking::removeBackingScaleListener(BackingScaleListener* listener) {
    if (notifyDepth_ > 0) {
        std::replace(listeners_.begin(), listeners_.end(), listener,
                     static_cast<BackingScaleListener*>(nullptr));
        return;
    }
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void DeviceBacking::notifyListeners() {
    ++notifyDepth_;
    struct Depth {
        DeviceBacking& backing;
        explicit Depth(DeviceBacking& backing) : backing(backing) {}
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
        ~Depth() {
            if (--backing.notifyDepth_ == 0)
                backing.listeners_.erase(std::remove(backing.listeners_.begin(), backing.listeners_.end(),
                                                     static_cast<BackingScaleListener*>(nullptr)),
                                         backing.listeners_.end());
        }
    } depth(*this);
    // Listeners added meanwhile sit beyond the start index and are not called.
    for (std::size_t i = listeners_.size(); i-- > 0;) {
        if (i >= listeners_.size()) continue;
        BackingScaleListener* listener = listeners_[i];
        if (listener != nullptr) listener->backingScaleChanged();
    }
}

void DeviceBacking::propertyChanged(AbstractProperty& property) {
    if (&property == &useSecondTable) updateScale();
}

} // namespace gui
