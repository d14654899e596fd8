#pragma once

// ControlChangeManager: the table that binds the editor's value controls to
// the model's parameters. It is the listener of every control it links: each
// gesture phase of a control (gui::GesturePhase) becomes a host gesture and a
// plain value on the model, parameters chained behind the moved one follow,
// and parameter values are pushed back into their controls.
//
// Positions: a continuous parameter's control runs 0..36000; a stepped one
// has the parameter's own integer range, so one step is one parameter step.
//
// Gestures: every begin sent to the model gets exactly one end. A change
// that arrives without a begin is wrapped in its own begin and end. When a
// parameter loses its control (unlinked, relinked, removed, or the control
// dies) or leaves a chain, its open gesture and those of its followers end at
// once, so the host never keeps a parameter touched.
//
// Chains: a follower moves with its head in one of three LinkModes:
// kLinkSame takes the head's value, kLinkSteps moves by the same number of
// control steps, kLinkProportional moves in proportion. chainParameter refuses what would break the table (an
// unbound control, a parameter chained to itself or one already in a chain), so no chain has a cycle.
//
// Lifetime: the manager links its own component to every control it binds
// and forgets a control that dies, so the table never holds a freed control.
// An unlinked control no longer calls the manager; destruction deletes the
// listeners and the table and detaches the controls still linked.
//
// Threading: GUI thread only; no locks.

#include "gui/ValueControl.h"

#include <cstdint>
#include <memory>
#include <vector>

class AbstractPluginParameter;
class GenericPlugin;

namespace gui {
class Component;
class Control;
} // namespace gui

class ControlChangeManager : public gui::ValueControlListener {
public:
    // Tolerance of parameter value comparisons.
    static constexpr float kValueTolerance = 1.1920929e-7f;
    // The position range of a continuous parameter's control.
    static constexpr int kContinuousSteps = 36000;

    // How a follower moves with its head.
    enum LinkMode : uint32_t { kLinkSame = 0, kLinkSteps = 1, kLinkProportional = 2 };

    // What the manager tells the editor's value display (the display
    // implements it; the editor owns it). GUI thread.
    class ValueDisplay {
    public:
        virtual ~ValueDisplay() = default;
        // A control sent a value: the first shown entry of the parameter
        // (any entry with a parameter for -1) takes it; the fade updates.
        virtual void parameterValueSent(int32_t index, float plain) = 0;
        // The parameter was refreshed from the model: the first shown entry
        // (any for -1) takes its current value unless it is being edited;
        // the fade updates either way.
        virtual void parameterRefreshed(int32_t index) = 0;
        // The pointer entered the control or its gesture began.
        virtual void showFor(gui::ValueControl* control) = 0;
        // The pointer left the control (or its gesture ended outside it).
        virtual void startHideTimer() = 0;
        // Hides at once and forgets the shown entries.
        virtual void hide() = 0;
        // The display as a control of the tree (its owner deletes it under
        // the root lock).
        virtual gui::Control& displayControl() = 0;
    };

    // Told of the model's channel layout when the parameters changed.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void parametersChanged(int32_t channelLayout) = 0;
    };

    struct LinkRecord {
        gui::ValueControl* control = nullptr;
        int32_t next = -1;
        int32_t previous = -1;
        // A plain value (kLinkProportional) or a control position
        // (kLinkSteps) captured at the start of a linked move.
        float startValue = 0.0f;
        bool captured = false;
        bool gestureOpen = false;
        uint32_t linkMode = kLinkSame;
        // The control as a component, taken while it lived (its death is
        // reported by component pointer).
        gui::Component* component = nullptr;
    };

    explicit ControlChangeManager(GenericPlugin& plugin);
    ~ControlChangeManager() override;
    ControlChangeManager(const ControlChangeManager&) = delete;
    ControlChangeManager& operator=(const ControlChangeManager&) = delete;

    // --- gui::ValueControlListener
    int valueControlQuery(gui::ValueControl* control, int delta) override;
    void beginValueControlGroup() override;
    void valueControlChanged(gui::ValueControl* control, int phase, int delta) override;
    void endValueControlGroup() override;

    // Makes a's parameter a follower of the parameter that b is bound to.
    // False, nothing changed, when b is unbound, a is b's parameter, or a is
    // already in a chain.
    virtual bool chainParameter(AbstractPluginParameter* a, gui::ValueControl* b, uint32_t mode);
    // The control is going away: its parameter loses it.
    virtual void controlRemoved(gui::ValueControl* control);
    virtual void unlinkControl(AbstractPluginParameter* parameter, gui::ValueControl* control);
    virtual void setParameterFromControl(gui::ValueControl* control, AbstractPluginParameter* parameter,
                                         int phase, int delta);
    virtual void sendParameterChange(int phase, int32_t index, float plain);
    virtual void reservedHook() {}
    // A null control unlinks the parameter's control.
    virtual void linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control);
    virtual void parametersChanged();
    // -1: every parameter in the used range.
    virtual void refreshControls(int32_t index);
    virtual void linksChanged() {}

    bool refreshControl(int32_t index);
    void updateLinkDifference(int32_t index);
    void setControlFromParameter(gui::ValueControl* control, AbstractPluginParameter* parameter);
    // Unlinks every control (and dissolves every chain).
    void unlinkEveryControl();
    // Ends every host gesture still open.
    void endOpenGestures();

    void addListener(std::unique_ptr<Listener> listener);
    void setValueDisplay(ValueDisplay* display) { valueDisplay_ = display; }
    ValueDisplay* valueDisplay() const { return valueDisplay_; }

    GenericPlugin& plugin() const { return plugin_; }
    int32_t firstUsed() const { return firstUsed_; }
    int32_t lastUsed() const { return lastUsed_; }
    const LinkRecord& link(int32_t index) const { return links_[static_cast<size_t>(index)]; }
    int32_t linkCount() const { return static_cast<int32_t>(links_.size()); }
    int32_t gestureHold() const { return gestureHold_; }
    // The parameter a control is bound to in the table, -1 when none.
    int32_t indexOfControl(const gui::ValueControl* control) const;
    // One gesture phase on a parameter and its chain (a typed value runs all three).
    void setLinkedParameterValue(int phase, int32_t head, float plain, int delta);

protected:
    // The model's parameter of an index inside the table, else null.
    AbstractPluginParameter* parameterAt(int32_t index) const;
    // Forgets the link watcher (the user interface is going away).
    void releaseWatcher();

private:
    class Watcher;

    bool validIndex(int32_t index) const { return index >= 0 && index < linkCount(); }
    LinkRecord& record(int32_t index) { return links_[static_cast<size_t>(index)]; }
    void endGesture(int32_t index);
    // The parameter and every follower behind it.
    void endChainGestures(int32_t index);
    void widenRange(int32_t index);
    void shrinkRange(int32_t index);
    void dissolveChain(int32_t index);
    // A follower leaves its chain; the records behind it close up.
    void leaveChain(int32_t index);
    // The record loses its control (the control is not touched).
    void dropControl(int32_t index);
    void watch(gui::ValueControl* control);
    void unwatchIfUnused(gui::Component* component);
    void componentDied(gui::Component* component);

    ValueDisplay* valueDisplay_ = nullptr;
    int32_t gestureHold_ = 0;
    std::vector<std::unique_ptr<Listener>> listeners_;
    std::vector<LinkRecord> links_;
    int32_t firstUsed_ = 0;
    int32_t lastUsed_ = 0;
    GenericPlugin& plugin_;
    std::unique_ptr<Watcher> watcher_;
};
