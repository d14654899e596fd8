#pragma once

// The backing scale of a window: device pixels per logical unit, chosen from
// a fixed table by the class of the display's own scale, optionally
// overridden per class by the user's settings (two tables; the second is used
// while useSecondTable is set, e.g. in full screen). It snaps logical
// coordinates to device pixels for drawing and tells its listeners when the
// scale changes.
//
// Settings text: entries separated by ","; each an optional "F" (second
// table), the display's scale in percent, ":" and the chosen scale in
// percent, e.g. "125:150,F200:250". A malformed entry (no number, a number
// out of range, no ":") ends the parse; the entries before it stay.
//
// Threading: GUI thread only; a render thread may read the scale while the
// root control's lock keeps the GUI thread out.

#include "foundation/Property.h"

#include <array>
#include <string>
#include <vector>

namespace gui {

class IDeviceBacking {
public:
    virtual ~IDeviceBacking() = default;
    // The logical coordinate of the device pixel that v falls on.
    virtual float snap(float v) const = 0;
};

inline constexpr int kScaleClassCount = 8;
inline constexpr std::array<float, kScaleClassCount> kScaleTable = {1.0f, 1.25f, 1.5f, 1.75f,
                                                                    2.0f, 2.25f, 2.5f, 3.0f};
// Scales closer than this are the same scale.
inline constexpr float kScaleEpsilon = 1.1920929e-7f;

// The class (index into kScaleTable) that a display scale belongs to.
int scaleClass(float scale);
float quantizeScale(float scale);

// The one rule between a window's size in device pixels and the root's in
// logical units: pixels = floor(logical x scale + 0.5), logical =
// round(pixels / scale). At every scale of at least 1 a whole logical size
// comes back exactly.
int toDevicePixels(float logical, float scale);
float toLogicalUnits(int pixels, float scale);

class DeviceBacking : public PropertyOwner, public IDeviceBacking {
public:
    class BackingScaleListener {
    public:
        virtual ~BackingScaleListener() = default;
        virtual void backingScaleChanged() = 0;
    };

    DeviceBacking();
    DeviceBacking(const DeviceBacking&) = delete;
    DeviceBacking& operator=(const DeviceBacking&) = delete;
    ~DeviceBacking() override;

    Property<bool> useSecondTable;

    float snap(float v) const override { return snapAt(v, scale_); }
    static float snapAt(float v, float scale);

    float getScale() const { return scale_; }
    int getSystemClass() const { return systemClass_; }
    void setSystemScale(float scale);

    // -1 leaves it unset; used only with the second table.
    void setDefaultIndex(int index);
    int getDefaultIndex() const { return defaultIndex_; }

    // Scale-table index per display class, -1 unset.
    int firstTableEntry(int scaleClass) const { return firstTable_[static_cast<std::size_t>(scaleClass)]; }
    int secondTableEntry(int scaleClass) const { return secondTable_[static_cast<std::size_t>(scaleClass)]; }
    void setTableEntry(bool secondTable, int scaleClass, int index);

    void updateScale();
    int getScaleSetting() const;

    void parseScaleSettings(const std::string& text);
    std::string formatScaleSettings() const;
    static float scaleFromSettings(float systemScale, const std::string& text);

    // Listeners are called from the last added to the first. One removed
    // during a notification is not called afterwards.
    void addBackingScaleListener(BackingScaleListener* listener);
    void removeBackingScaleListener(BackingScaleListener* listener);

    void propertyChanged(AbstractProperty& property) override;

private:
    void notifyListeners();

    int defaultIndex_ = -1;
    std::array<int, kScaleClassCount> firstTable_;
    std::array<int, kScaleClassCount> secondTable_;
    float scale_ = 1.0f;
    std::vector<BackingScaleListener*> listeners_; // null entries while notifying
    int systemClass_ = 0;
    int notifyDepth_ = 0;
};

} // namespace gui
