#include "gui/DeviceBacking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gui {
namespace {

class Listener : public DeviceBacking::BackingScaleListener {
public:
    Listener(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    void backingScaleChanged() override {
        log_.push_back(name_);
        if (onChange) onChange();
    }
    std::function<void()> onChange;

private:
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(DeviceBacking, ScaleClasses) {
    struct Case {
        float system, quantized;
    };
    const Case cases[] = {{0.5f, 1.0f}, {1.2f, 1.0f},  {1.2001f, 1.25f}, {1.5f, 1.5f}, {1.75f, 1.75f},
                          {2.0f, 2.0f}, {2.3f, 2.25f}, {2.5f, 2.5f},     {2.7f, 3.0f}, {2.61f, 3.0f}};
    for (const Case& c : cases) {
        EXPECT_EQ(quantizeScale(c.system), c.quantized) << c.system;
        DeviceBacking backing;
        backing.setSystemScale(c.system);
        EXPECT_EQ(backing.getScale(), c.quantized) << c.system;
    }
}

TEST(DeviceBacking, SnapToDevicePixels) {
    struct Case {
        float scale, v, snapped;
    };
    const Case cases[] = {{1.0f, 3.3f, 4.0f},   {1.0f, 3.29f, 3.0f},          {1.0f, 3.2f, 3.0f},
                          {1.5f, 10.1f, 10.0f}, {1.5f, 10.25f, 32.0f / 3.0f}, {2.0f, -0.4f, -0.5f}};
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(DeviceBacking::snapAt(c.v, c.scale), c.snapped) << c.scale << " " << c.v;
    DeviceBacking backing;
    backing.setSystemScale(1.5f);
    EXPECT_FLOAT_EQ(backing.snap(10.25f), 32.0f / 3.0f);
}

TEST(DeviceBacking, NotifiesOncePerChangeLastListenerFirst) {
    std::vector<std::string> log;
    DeviceBacking backing;
    Listener a(log, "a"), b(log, "b"), c(log, "c");
    backing.addBackingScaleListener(&a);
    backing.addBackingScaleListener(&b);
    backing.addBackingScaleListener(&c);
    backing.setSystemScale(1.5f);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a"}));
    log.clear();
    backing.setSystemScale(1.45f); // same class
    EXPECT_TRUE(log.empty());
    // Another class whose table entry gives the same scale still notifies.
    backing.setTableEntry(false, 1, 2);
    backing.setSystemScale(1.25f);
    EXPECT_EQ(backing.getScale(), 1.5f);
    EXPECT_EQ(log.size(), 3u);
    log.clear();
    // A scale that stays the same through updateScale does not notify.
    backing.updateScale();
    EXPECT_TRUE(log.empty());

    // Removal during the walk: b removes a (not yet called) and itself.
    b.onChange = [&] {
        backing.removeBackingScaleListener(&a);
        backing.removeBackingScaleListener(&b);
    };
    backing.setSystemScale(2.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));
    log.clear();
    backing.setSystemScale(1.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"c"}));
}

TEST(DeviceBacking, SettingsTextRoundTrip) {
    DeviceBacking backing;
    backing.setSystemScale(1.25f);
    backing.parseScaleSettings("125:150");
    EXPECT_EQ(backing.getScale(), 1.5f);
    EXPECT_EQ(backing.formatScaleSettings(), "125:150");

    backing.parseScaleSettings("125:150,F200:250");
    EXPECT_EQ(backing.formatScaleSettings(), "125:150,F200:250");
    backing.setSystemScale(2.0f);
    EXPECT_EQ(backing.getScale(), 2.0f); // the second table is not in use
    backing.useSecondTable.setValue(true);
    EXPECT_EQ(backing.getScale(), 2.5f);
    backing.useSecondTable.setValue(false);
    EXPECT_EQ(backing.getScale(), 2.0f);
}

TEST(DeviceBacking, DefaultIndexServesOnlyTheSecondTable) {
    DeviceBacking backing;
    backing.setSystemScale(1.5f);
    backing.setDefaultIndex(4);
    EXPECT_EQ(backing.getScaleSetting(), 2);
    backing.useSecondTable.setValue(true);
    EXPECT_EQ(backing.getScaleSetting(), 4);
    EXPECT_EQ(backing.getScale(), 2.0f);
    backing.setDefaultIndex(-1);
    backing.updateScale();
    EXPECT_EQ(backing.getScale(), 1.5f); // the system class again
}

TEST(DeviceBacking, MalformedSettingsKeepWhatCameBefore) {
    struct Case {
        const char* text;
        const char* kept;
    };
    const Case cases[] = {
        {"125:150,x:1", "125:150"},
        {"99999999999:150", ""},
        {"125:150,150:99999999999", "125:150"},
        {"125:150,175", "125:150"},
        {"", ""},
        {":", ""},
        {"125:150,", "125:150"},
        {"100: 200junk,F-5:300", "100:200,F100:300"},
        {"F", ""},
    };
    for (const Case& c : cases) {
        DeviceBacking backing;
        backing.parseScaleSettings("300:300"); // replaced by every parse
        backing.parseScaleSettings(c.text);
        EXPECT_EQ(backing.formatScaleSettings(), c.kept) << c.text;
    }
}

TEST(DeviceBacking, ScaleFromSettings) {
    EXPECT_EQ(DeviceBacking::scaleFromSettings(1.25f, "125:150"), 1.5f);
    EXPECT_EQ(DeviceBacking::scaleFromSettings(2.0f, "125:150"), 2.0f);
    EXPECT_EQ(DeviceBacking::scaleFromSettings(2.0f, "F200:250"), 2.0f);
    EXPECT_EQ(DeviceBacking::scaleFromSettings(1.0f, "junk"), 1.0f);
}

} // namespace
} // namespace gui
