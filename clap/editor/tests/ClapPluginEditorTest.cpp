#include "clap/editor/ClapPluginEditor.h"
#include "clap/editor/tests/EditorProductRig.h"
#include "clap/editor/tests/HostScales.h"

#include "clap/editor/headless/HeadlessClapEditorWindow.h"
#include "clap/tests/ClapTestProduct.h"
#include "editor/HelpHint.h"
#include "gui/DeviceBacking.h"
#include "gui/ValueControl.h"
#include "plugin/GenericPluginSettings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using test::ClapProductTest;

// The product's editor in these tests: the framework's editor itself with
// one knob on Gain (parameter 0). No class derives from it: the framework
// attaches an editor to the model in its own constructor, so a derived
// constructor would still run while the audio thread may call the model's
// listener.
gui::ValueControl* lastKnob = nullptr;
enum class Factory { kWorks, kNull, kThrows };
Factory factoryKind = Factory::kWorks;

void gainKnob(gui::UserInterface& ui, GenericPlugin& model, GenericPluginInterface& editor) {
    lastKnob = new gui::ValueControl(ui);
    lastKnob->setBoundsXYWH(10, 10, 40, 40);
    lastKnob->parent.setValue(ui.rootControl());
    editor.linkControl(model.getParameter(0), lastKnob);
}

GenericPluginInterface* makeKnobEditor(gui::UserInterface& ui, GenericPlugin& model,
                                       GenericPluginInterface::InterfaceListener& listener) {
    if (factoryKind == Factory::kNull) return nullptr;
    if (factoryKind == Factory::kThrows) throw std::runtime_error("no skin");
    return test::makeTestEditor<gainKnob>(ui, model, listener);
}

const ClapEditorProduct& knobEditorProduct() {
    static const ClapEditorProduct product(&makeKnobEditor);
    return product;
}

// The host's side of clap.gui and clap.context-menu/1 for the current test.
struct HostWindowing {
    std::vector<std::pair<uint32_t, uint32_t>> resizes;
    bool agrees = true;
    bool setsSizeAtOnce = false;
    bool destroysInResize = false;
    bool canPopup = true;
    struct Popup {
        uint32_t kind;
        clap_id id;
        int32_t screen, x, y;
    };
    std::vector<Popup> popups;
    const clap_plugin_t* plugin = nullptr;
};
HostWindowing* windowing = nullptr;

const clap_plugin_gui_t& gui() {
    return ClapPluginEditor::guiExtension();
}

const clap_host_gui_t hostGui{[](const clap_host_t*) {},
                              [](const clap_host_t*, uint32_t width, uint32_t height) {
                                  HostWindowing& w = *windowing;
                                  w.resizes.emplace_back(width, height);
                                  if (w.destroysInResize) gui().destroy(w.plugin);
                                  if (w.agrees && w.setsSizeAtOnce) gui().set_size(w.plugin, width, height);
                                  return w.agrees;
                              },
                              [](const clap_host_t*) { return false; },
                              [](const clap_host_t*) { return false; }, [](const clap_host_t*, bool) {}};

const clap_host_context_menu_t hostMenu{
    [](const clap_host_t*, const clap_context_menu_target_t*, const clap_context_menu_builder_t*) {
        return false;
    },
    [](const clap_host_t*, const clap_context_menu_target_t*, clap_id) { return false; },
    [](const clap_host_t*) { return windowing->canPopup; },
    [](const clap_host_t*, const clap_context_menu_target_t* target, int32_t screen, int32_t x, int32_t y) {
        windowing->popups.push_back({target->kind, target->id, screen, x, y});
        return true;
    }};

class EditorHostTest : public ClapProductTest {
protected:
    void SetUp() override {
        ClapProductTest::SetUp();
        GenericPlugin::setProcessDisplayOptions(0, GenericPlugin::SharedSettings::kFollowSystemScale);
        factoryKind = Factory::kWorks;
        test::clapTestProduct().interfaceWidth = 640;
        test::clapTestProduct().interfaceHeight = 321;
        test::clapTestProduct().editor = &knobEditorProduct();
        state = std::make_shared<HeadlessClapEditorWindow::State>();
        HeadlessClapEditorWindow::install(state);
        parent = state->openHostWindow();
        windowing = &hostSide;
        newInstance();
    }
    void TearDown() override {
        plugin.reset();
        if (host) {
            EXPECT_EQ(host->violations(), std::vector<std::string>{});
        }
        host.reset();
        windowing = nullptr;
        HeadlessClapEditorWindow::install(nullptr);
        GenericPlugin::setProcessDisplayOptions(1, GenericPlugin::SharedSettings::kFollowSystemScale);
        ClapProductTest::TearDown();
    }
    void newInstance() {
        plugin.reset();
        host = std::make_unique<TestHost>();
        host->addExtension(CLAP_EXT_GUI, &hostGui);
        host->addExtension(CLAP_EXT_CONTEXT_MENU, &hostMenu);
        plugin = makeInstance(*host);
        ASSERT_TRUE(plugin->init());
        p = plugin->plugin();
        hostSide.plugin = p;
    }
    clap_window_t window(void* handle, const char* api = CLAP_WINDOW_API_WIN32) {
        clap_window_t w{};
        w.api = api;
        w.win32 = handle;
        return w;
    }
    bool open() {
        const clap_window_t w = window(parent);
        return gui().create(p, CLAP_WINDOW_API_WIN32, false) && gui().set_parent(p, &w);
    }
    ClapPluginEditor* editor() const { return ClapPluginEditor::of(p); }
    GenericPluginInterface* productEditor() const { return editor()->productInterface(); }
    gui::RootControl& root() const { return *state->userInterface->rootControl(); }
    // The host's misbehaviour reported so far: `reports` where the checks
    // are built in, else nothing. Clears the list.
    void expectReported(const std::vector<std::string>& reports) {
        std::vector<std::string> expected;
        if (ClapThreadCheck::kEnforced)
            for (const std::string& report : reports)
                expected.push_back("log: " + report);
        EXPECT_EQ(host->violations(), expected);
        host->clearViolations();
    }
    std::pair<uint32_t, uint32_t> size() const {
        uint32_t w = 0, h = 0;
        EXPECT_TRUE(gui().get_size(p, &w, &h));
        return {w, h};
    }
    static uint32_t pixels(int32_t logical, float scale) {
        return static_cast<uint32_t>(std::floor(double(logical) * double(scale) + 0.5));
    }

    std::shared_ptr<HeadlessClapEditorWindow::State> state;
    void* parent = nullptr;
    HostWindowing hostSide;
    std::unique_ptr<TestHost> host;
    std::unique_ptr<HostedPlugin> plugin;
    const clap_plugin_t* p = nullptr;
};

TEST_F(EditorHostTest, OnlyAnEmbeddedWin32EditorIsSupportedAndMadeOnce) {
    struct Case {
        const char* api;
        bool floating;
        bool supported;
    } cases[] = {{"win32", false, true},  {"win32", true, false},   {"x11", false, false},
                 {"cocoa", false, false}, {"win32 ", false, false}, {nullptr, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(gui().is_api_supported(p, c.api, c.floating), c.supported) << (c.api ? c.api : "null");
        EXPECT_FALSE(c.supported ? false : gui().create(p, c.api, c.floating));
    }
    EXPECT_EQ(editor(), nullptr);
    const char* api = nullptr;
    bool floating = true;
    EXPECT_TRUE(gui().get_preferred_api(p, &api, &floating));
    EXPECT_STREQ(api, "win32");
    EXPECT_FALSE(floating);
    EXPECT_FALSE(gui().get_preferred_api(p, nullptr, &floating));

    EXPECT_TRUE(gui().create(p, "win32", false));
    ClapPluginEditor* first = editor();
    EXPECT_FALSE(gui().create(p, "win32", false));
    EXPECT_EQ(editor(), first);
    expectReported({"clap.gui create called with a gui already created"});
    EXPECT_FALSE(first->isFloating());

    // Offered only where the platform opens editor windows.
    EXPECT_EQ(p->get_extension(p, CLAP_EXT_GUI), ClapEditorWindow::isAvailable() ? &gui() : nullptr);
}

TEST_F(EditorHostTest, CallsBeforeCreateAfterDestroyAndShowBeforeSetParentFailHarmlessly) {
    const clap_window_t w = window(parent);
    uint32_t width = 0, height = 0;
    auto everyCallFails = [&] {
        EXPECT_FALSE(gui().set_scale(p, 1.5));
        EXPECT_FALSE(gui().get_size(p, &width, &height));
        EXPECT_FALSE(gui().adjust_size(p, &width, &height));
        EXPECT_FALSE(gui().set_size(p, 640, 321));
        EXPECT_FALSE(gui().set_parent(p, &w));
        EXPECT_FALSE(gui().show(p));
        EXPECT_FALSE(gui().hide(p));
        EXPECT_FALSE(gui().can_resize(p));
        gui().destroy(p);
    };
    everyCallFails();
    // Each call with no gui is the host's misbehaviour, reported once.
    const std::vector<std::string> reports = {
        "clap.gui set_scale called with no gui created",   "clap.gui get_size called with no gui created",
        "clap.gui adjust_size called with no gui created", "clap.gui set_size called with no gui created",
        "clap.gui set_parent called with no gui created",  "clap.gui show called with no gui created",
        "clap.gui hide called with no gui created",        "clap.gui can_resize called with no gui created",
        "clap.gui destroy called with no gui created"};
    expectReported(reports);
    ASSERT_TRUE(gui().create(p, "win32", false));
    EXPECT_FALSE(gui().show(p));
    EXPECT_FALSE(gui().hide(p));
    EXPECT_FALSE(gui().get_resize_hints(p, nullptr));
    EXPECT_FALSE(gui().set_transient(p, &w));
    gui().suggest_title(p, "Track 1");
    gui().destroy(p);
    EXPECT_EQ(state->opened, 0);
    everyCallFails();
    expectReported({});
    // A new instance has its own record.
    newInstance();
    everyCallFails();
    expectReported(reports);
    // A null or foreign plug-in record.
    EXPECT_FALSE(gui().create(nullptr, "win32", false));
    EXPECT_FALSE(gui().get_size(nullptr, &width, &height));
    // A product without an editor makes none.
    test::clapTestProduct().editor = nullptr;
    EXPECT_FALSE(gui().create(p, "win32", false));
}

TEST_F(EditorHostTest, SetParentRefusesWhatIsNoWin32WindowAndLeavesNothingWhenTheInterfaceFails) {
    void* closed = state->openHostWindow();
    state->closeHostWindow(closed);
    ASSERT_TRUE(gui().create(p, "win32", false));
    EXPECT_FALSE(gui().set_parent(p, nullptr));
    for (const clap_window_t& w : {window(nullptr), window(parent, "x11"), window(parent, nullptr),
                                   window(closed), window(parent, "WIN32")})
        EXPECT_FALSE(gui().set_parent(p, &w));
    EXPECT_EQ(state->opened, 0);

    for (Factory kind : {Factory::kNull, Factory::kThrows}) {
        factoryKind = kind;
        const clap_window_t w = window(parent);
        EXPECT_FALSE(gui().set_parent(p, &w));
        EXPECT_EQ(state->opened, state->closed);
        EXPECT_EQ(state->userInterface, nullptr);
        EXPECT_FALSE(gui().show(p));
    }
    factoryKind = Factory::kWorks;
    const clap_window_t w = window(parent);
    EXPECT_TRUE(gui().set_parent(p, &w));
    EXPECT_EQ(state->parent, parent);
    EXPECT_TRUE(state->visible);
    EXPECT_EQ(state->width, 640);
    EXPECT_EQ(state->height, 321);
}

TEST_F(EditorHostTest, ASecondSetParentMovesTheSameWindowAndShowHideStopDrawingKeepingResources) {
    ASSERT_TRUE(open());
    gui::UserInterface* first = state->userInterface;
    void* other = state->openHostWindow();
    const clap_window_t w = window(other);
    EXPECT_TRUE(gui().set_parent(p, &w));
    EXPECT_EQ(state->parent, other);
    EXPECT_EQ(state->reparented, 1);
    EXPECT_EQ(state->opened, 1);
    EXPECT_EQ(state->userInterface, first);
    state->closeHostWindow(parent);
    const clap_window_t gone = window(parent);
    EXPECT_FALSE(gui().set_parent(p, &gone));
    EXPECT_EQ(state->parent, other);

    EXPECT_TRUE(gui().hide(p));
    EXPECT_FALSE(state->visible);
    EXPECT_EQ(state->stopsKeeping, 1);
    EXPECT_TRUE(gui().show(p));
    EXPECT_TRUE(state->visible);
    gui().destroy(p);
    EXPECT_EQ(state->stopsDeleting, 1);
    EXPECT_EQ(state->closed, 1);
    EXPECT_EQ(editor(), nullptr);
}

TEST_F(EditorHostTest, TheScaleBeforeTheWindowComesFromTheOverrideTheHostOrTheSmallestMonitor) {
    struct Case {
        std::vector<float> monitors;
        double hostScale; // 0: none
        int32_t retina;   // "RetinaEnabled"
        const char* adjustments;
        bool scaleTaken;
        float expected;
    } cases[] = {
        {{1.0f, 2.0f}, 0.0, 1, "", false, 1.0f}, {{1.5f}, 0.0, 1, "", false, 1.5f}, // a monitor at 144 DPI
        {{}, 0.0, 1, "", false, 1.0f}, // the monitors cannot be listed
        {{1.0f}, 1.3, 1, "", false, 1.25f},      {{1.0f}, 1.5, 1, "", true, 1.5f},
        {{1.0f}, 1.5, 1, "150:200", true, 2.0f}, {{1.0f}, 0.0, 1, "100:125", false, 1.25f},
        {{1.0f}, 1.5, 200, "", false, 2.0f},     {{1.0f}, 2.0, 200, "", false, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hostScale << " " << c.retina << " " << c.adjustments);
        state->monitorScales = c.monitors;
        newInstance();
        GenericPlugin::setProcessDisplayOptions(0, c.retina);
        plugin->host().clearViolations();
        ASSERT_TRUE(gui().create(p, "win32", false));
        ClapPluginAdapter::from(p)->getModel().getSettings()->scalingAdjustments.setValue(c.adjustments);
        if (c.hostScale > 0.0) {
            EXPECT_EQ(gui().set_scale(p, c.hostScale), c.scaleTaken);
        }
        EXPECT_EQ(size(), std::make_pair(pixels(640, c.expected), pixels(321, c.expected)));
        const clap_window_t w = window(parent);
        ASSERT_TRUE(gui().set_parent(p, &w));
        EXPECT_FLOAT_EQ(state->userInterface->deviceBacking().getScale(), c.expected);
        EXPECT_EQ(size(), std::make_pair(pixels(640, c.expected), pixels(321, c.expected)));
        EXPECT_EQ(std::make_pair(uint32_t(state->width), uint32_t(state->height)), size());
        gui().destroy(p);
    }
}

TEST_F(EditorHostTest, AHostScaleHoldsAgainstAMonitorMoveAndTheWindowFollowsTheRoot) {
    ASSERT_TRUE(open());
    EXPECT_FALSE(gui().set_scale(p, 0.0));
    EXPECT_FALSE(gui().set_scale(p, std::nan("")));
    EXPECT_TRUE(gui().set_scale(p, 2.0));
    EXPECT_FLOAT_EQ(state->fixedScale, 2.0f);
    EXPECT_FLOAT_EQ(root().width.getValue(), 640.0f);
    EXPECT_EQ(state->width, 1280);
    EXPECT_EQ(state->height, 642);
    ASSERT_FALSE(hostSide.resizes.empty());
    EXPECT_EQ(hostSide.resizes.back(), std::make_pair(1280u, 642u));
    static_cast<HeadlessClapEditorWindow&>(editor()->window()).moveToMonitor(1.0f);
    EXPECT_FLOAT_EQ(state->userInterface->deviceBacking().getScale(), 2.0f);
    EXPECT_EQ(size(), std::make_pair(1280u, 642u));
}

TEST_F(EditorHostTest, AnEditorWithoutHostScaleFollowsItsMonitor) {
    ASSERT_TRUE(open());
    static_cast<HeadlessClapEditorWindow&>(editor()->window()).moveToMonitor(1.5f);
    EXPECT_EQ(size(), std::make_pair(960u, 482u));
    EXPECT_EQ(state->width, 960);
    EXPECT_EQ(state->height, 482);
    EXPECT_FLOAT_EQ(root().height.getValue(), 321.0f);
}

// Every layout size at every quantised scale and at two overrides: the
// host's size comes back as the model's exactly, and only that size is taken.
TEST_F(EditorHostTest, SizesRoundTripAtEveryScaleAndOnlyTheModelsSizeIsTaken) {
    test::forEachHostSize([&](const test::HostSizeCase& c) {
        const int32_t width = c.width;
        const int32_t height = c.height;
        const test::HostScale& s = c.scale;
        newInstance();
        GenericPlugin::setProcessDisplayOptions(0, s.retina);
        ASSERT_TRUE(gui().create(p, "win32", false));
        if (s.retina == 1) {
            EXPECT_TRUE(gui().set_scale(p, s.value));
        }
        const float scale = c.effective();
        const auto expected = std::make_pair(pixels(width, scale), pixels(height, scale));
        EXPECT_EQ(size(), expected);
        // Before the window: only the model's size.
        EXPECT_FALSE(gui().set_size(p, pixels(width + 1, scale), expected.second));
        EXPECT_TRUE(gui().set_size(p, expected.first, expected.second));
        const clap_window_t w = window(parent);
        ASSERT_TRUE(gui().set_parent(p, &w));
        EXPECT_EQ(size(), expected);
        EXPECT_TRUE(gui().set_size(p, expected.first, expected.second));
        EXPECT_EQ(root().width.getValue(), float(width));
        EXPECT_EQ(root().height.getValue(), float(height));
        EXPECT_EQ(std::make_pair(uint32_t(state->width), uint32_t(state->height)), expected);
        uint32_t aw = expected.first + 37, ah = expected.second / 2;
        EXPECT_TRUE(gui().adjust_size(p, &aw, &ah));
        EXPECT_EQ(std::make_pair(aw, ah), expected);
        for (const auto& other : {std::make_pair(pixels(width + 1, scale), expected.second),
                                  std::make_pair(expected.first, pixels(height - 1, scale)),
                                  std::make_pair(0u, 0u), std::make_pair(~0u, ~0u)}) {
            EXPECT_FALSE(gui().set_size(p, other.first, other.second));
            EXPECT_EQ(root().width.getValue(), float(width));
            EXPECT_EQ(root().height.getValue(), float(height));
        }
        EXPECT_FALSE(gui().can_resize(p));
        gui().destroy(p);
    });
}

TEST_F(EditorHostTest, ANewModelSizeIsRequestedAndFollowedOrRefusedWithTheStickyHint) {
    struct Case {
        bool agrees;
        bool setsSizeAtOnce;
        float width;
    } cases[] = {{true, false, 926.0f}, {true, true, 926.0f}, {false, false, 640.0f}};
    for (const Case& c : cases) {
        test::clapTestProduct().interfaceWidth = 640;
        newInstance();
        hostSide = HostWindowing{};
        hostSide.plugin = p;
        hostSide.agrees = c.agrees;
        hostSide.setsSizeAtOnce = c.setsSizeAtOnce;
        ASSERT_TRUE(gui().create(p, "win32", false));
        ASSERT_TRUE(gui().set_scale(p, 1.5));
        const clap_window_t w = window(parent);
        ASSERT_TRUE(gui().set_parent(p, &w));
        hostSide.resizes.clear();
        test::clapTestProduct().interfaceWidth = 926; // the layout changed
        productEditor()->applyInterfaceSize();
        ASSERT_EQ(hostSide.resizes.size(), 1u);
        EXPECT_EQ(hostSide.resizes[0], std::make_pair(1389u, 482u));
        EXPECT_EQ(root().width.getValue(), c.width);
        EXPECT_EQ(state->width, pixels(int32_t(c.width), 1.5f));
        EXPECT_EQ(state->height, 482);
        const HelpHint& hint = productEditor()->hint();
        EXPECT_EQ(hint.text().rfind("Your host cannot dynamically resize", 0) == 0, !c.agrees);
        EXPECT_TRUE(c.agrees || hint.isSticky());
        gui().destroy(p);
    }
}

TEST_F(EditorHostTest, AHostThatDestroysTheEditorInsideRequestResizeGetsNoFurtherCall) {
    ASSERT_TRUE(open());
    hostSide.destroysInResize = true;
    test::clapTestProduct().interfaceWidth = 926;
    gui::headless::HeadlessInterface* ui = state->userInterface;
    productEditor()->applyInterfaceSize();
    EXPECT_EQ(hostSide.resizes.size(), 1u);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_FALSE(state->visible);
    uint32_t width = 0, height = 0;
    EXPECT_FALSE(gui().get_size(p, &width, &height));
    // Asking a destroyed editor is the host's misbehaviour.
    expectReported({"clap.gui get_size called with no gui created"});
    EXPECT_FALSE(gui().create(p, "win32", false)); // the old one is still going
    // The next drain deletes it.
    EXPECT_FALSE(ui->advance(20));
    EXPECT_EQ(state->closed, 1);
    EXPECT_EQ(state->stopsDeleting, 1);
    EXPECT_EQ(state->stopsUnderLock, 0) << "the drawing stops outside the drain's lock";
    EXPECT_TRUE(gui().create(p, "win32", false));
}

TEST_F(EditorHostTest, TheContextMenuPopsUpAtTheDevicePointOnlyWhenTheHostCan) {
    ASSERT_TRUE(gui().create(p, "win32", false));
    ASSERT_TRUE(gui().set_scale(p, 1.5));
    const clap_window_t w = window(parent);
    ASSERT_TRUE(gui().set_parent(p, &w));
    state->userInterface->mouseMove({30.5f, 20.25f});
    productEditor()->showParameterContextMenu(lastKnob);
    hostSide.canPopup = false;
    productEditor()->showParameterContextMenu(lastKnob);
    ASSERT_EQ(hostSide.popups.size(), 1u);
    const HostWindowing::Popup& popup = hostSide.popups[0];
    EXPECT_EQ(popup.kind, uint32_t(CLAP_CONTEXT_MENU_TARGET_KIND_PARAM));
    EXPECT_EQ(popup.id, 0u);
    EXPECT_EQ(popup.screen, 0);
    EXPECT_EQ(popup.x, 45);
    EXPECT_EQ(popup.y, 30);
}

TEST_F(EditorHostTest, DestroyInMidDragEndsEachBegunGestureOnce) {
    ASSERT_TRUE(plugin->activate(48000.0, 1, 256));
    ASSERT_TRUE(open());
    gui::ValueControl* knob = lastKnob;
    knob->performGesture(gui::kGestureBegin, 0);
    knob->performGesture(gui::kGestureChange, 900);
    gui().destroy(p);
    plugin->flush({});
    int begins = 0, ends = 0;
    for (size_t i = 0; i < plugin->outputEvents().size(); ++i) {
        const clap_event_header_t* e = plugin->outputEvents().get(i);
        if (e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN) ++begins;
        if (e->type == CLAP_EVENT_PARAM_GESTURE_END) ++ends;
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(plugin->host().violations().empty());
}

TEST_F(EditorHostTest, AGuiCallOffTheMainThreadIsRefusedAndReported) {
    if (!ClapThreadCheck::kEnforced) GTEST_SKIP() << "built without the thread checks";
    ASSERT_TRUE(open());
    bool answered = true;
    std::thread other([&] {
        uint32_t width = 0, height = 0;
        answered = gui().get_size(p, &width, &height) || gui().set_scale(p, 2.0);
    });
    other.join();
    EXPECT_FALSE(answered);
    const std::vector<std::string> violations = plugin->host().violations();
    ASSERT_FALSE(violations.empty());
    EXPECT_NE(violations[0].find("get_size called off the main thread"), std::string::npos) << violations[0];
    plugin->host().clearViolations();
}

// The host's audio thread processes blocks that automate Pan and passes on
// the plug-in's output (the editor's gestures on Gain) while the main thread
// opens, sizes, scales and closes the editor. Each round waits, through the
// audio thread's counters, until its gesture came out of a block, so every
// round overlaps processing; TSan and ASan check the rest.
TEST_F(EditorHostTest, AutomationAndGestureOutputWhileTheEditorOpensSizesScalesAndCloses) {
    constexpr int kRounds = 50;
    constexpr clap_id kPan = 1;
    ASSERT_TRUE(plugin->activate(48000.0, 1, 64));
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> blocks{0};
    std::atomic<int> begins{0}, ends{0}, foreign{0};
    std::atomic<uint32_t> lastPan{0};
    // The audio thread keeps a reference to its task.
    const std::function<void()> automation = [&] {
        plugin->startProcessingHere();
        HostEventList events;
        uint32_t n = 0;
        while (!stop.load()) {
            events.clear();
            events.addParamValue(0, kPan, double(n % 100) / 100.0);
            events.addParamValue(32, kPan, double((n * 7) % 100) / 100.0);
            plugin->processHere(64, events, {});
            lastPan.store((n * 7) % 100);
            for (size_t i = 0; i < plugin->outputEvents().size(); ++i) {
                const clap_event_header_t* e = plugin->outputEvents().get(i);
                if (e->type != CLAP_EVENT_PARAM_GESTURE_BEGIN && e->type != CLAP_EVENT_PARAM_GESTURE_END)
                    continue;
                if (reinterpret_cast<const clap_event_param_gesture_t*>(e)->param_id != 0)
                    foreign.fetch_add(1);
                (e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? begins : ends).fetch_add(1);
            }
            blocks.fetch_add(1);
            ++n;
            std::this_thread::yield();
        }
    };
    plugin->host().audioThread().start(automation);
    // Ends the blocks also when an assertion leaves the rounds early.
    struct Join {
        Join(std::atomic<bool>& stop, AudioThread& thread) : stop_(stop), thread_(thread) {}
        ~Join() {
            stop_.store(true);
            thread_.wait();
        }
        std::atomic<bool>& stop_;
        AudioThread& thread_;
    };
    std::optional<Join> join;
    join.emplace(stop, plugin->host().audioThread());
    const double scales[] = {1.0, 1.5, 2.0};
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(gui().create(p, "win32", false));
        const clap_window_t w = window(parent);
        ASSERT_TRUE(gui().set_parent(p, &w));
        EXPECT_TRUE(gui().show(p));
        for (int k = 0; k < 3; ++k) {
            const double scale = scales[(round + k) % 3];
            EXPECT_TRUE(gui().set_scale(p, scale));
            uint32_t width = 0, height = 0;
            ASSERT_TRUE(gui().get_size(p, &width, &height));
            EXPECT_EQ(std::make_pair(width, height),
                      std::make_pair(pixels(640, float(scale)), pixels(321, float(scale))));
            EXPECT_TRUE(gui().set_size(p, width, height));
            uint32_t aw = width + 11, ah = height - 7;
            EXPECT_TRUE(gui().adjust_size(p, &aw, &ah));
            EXPECT_EQ(std::make_pair(aw, ah), std::make_pair(width, height));
            EXPECT_EQ(std::make_pair(uint32_t(state->width), uint32_t(state->height)),
                      std::make_pair(width, height));
        }
        // A drag on the Gain knob: its begin and end leave through the blocks.
        lastKnob->performGesture(gui::kGestureBegin, 0);
        lastKnob->performGesture(gui::kGestureChange, round % 2 == 0 ? 300 : -300);
        lastKnob->performGesture(gui::kGestureEnd, 0);
        state->userInterface->advance(20);
        // Bounded only against a fault that loses the gesture.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (ends.load() < round + 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_EQ(ends.load(), round + 1) << "the gesture's end never left a block";
        gui().destroy(p);
        ASSERT_EQ(editor(), nullptr);
    }
    join.reset();
    EXPECT_EQ(state->opened, kRounds);
    EXPECT_EQ(state->closed, kRounds);
    EXPECT_EQ(state->stopsDeleting, kRounds);
    EXPECT_EQ(state->stopsUnderLock, 0);
    EXPECT_EQ(begins.load(), kRounds);
    EXPECT_EQ(ends.load(), kRounds);
    EXPECT_EQ(foreign.load(), 0);
    EXPECT_GT(blocks.load(), uint32_t(kRounds));
    // The last automated value holds once the blocks stop.
    const std::optional<double> pan = plugin->paramValue(kPan);
    ASSERT_TRUE(pan.has_value());
    EXPECT_NEAR(*pan, double(lastPan.load()) / 100.0, 1e-6);
    EXPECT_TRUE(plugin->host().violations().empty());
}

} // namespace
