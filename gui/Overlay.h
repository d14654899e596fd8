#pragma once

// A control laid over the whole window that dims everything and shows a
// chosen set of targets again on top, undimmed, so that the user can pick
// one. A target is a registered control of the tree or a ghost: a rectangle
// that stands for something that is not a control of its own.
//
// Targets are numbered by one index: registered controls first, then the
// ghosts; kNoTarget is none. A registered control that dies leaves a null
// entry that is never hit or drawn.
//
// Life: made by its user, shown, hidden, and deleted by a message it posts to
// itself when hidden (at the next drain of the GUI list, never at once). It is
// hidden once: hide() while hiding does nothing, and show() after that does
// not bring it back.
//
// Threading: GUI thread; draw runs under the root control's lock.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/Color.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gui {

class Canvas;

class Overlay : public AnimatedControl {
public:
    static constexpr int kNoTarget = -1;
    static constexpr int kFadeDuration = 150;
    enum HitMode : int { kOwnHitTest = 0, kPaintBounds = 1, kBlocking = 2 };

    // Something the overlay offers that is not a control of its own.
    class VirtualGhostControl {
    public:
        virtual ~VirtualGhostControl() = default;
        // In overlay coordinates.
        virtual Rect getRect() = 0;
        virtual void collectParameterIndex(std::vector<std::uint32_t>& list);
        virtual std::uint32_t parameterIndex();
        virtual bool hitTest(const Point& point);
        virtual bool isActive(int index);
        virtual void activate(int index);
        // Drawn on top of the dimming while active; the base draws nothing.
        virtual void draw(Canvas& canvas);

        std::uint32_t storedIndex = 0xFFFFFFFFu;
    };

    explicit Overlay(UserInterface& userInterface);
    ~Overlay() override;

    Property<Color> overlayColor;
    NotifyEvent hiddenEvent;

    void show();
    void hide();
    // Placement 0 puts the control before the ghosts in the target order; 1 appends.
    void addTarget(Control* control, int mode, int placement);
    // Takes ownership.
    void addGhostControl(VirtualGhostControl* ghost);
    // The target at the point (overlay coordinates): the topmost active
    // ghost or registered control there, where registered controls overlap
    // the one a press at the point reaches beneath the overlay; none where
    // a blocking control comes first.
    int findTargetAt(const Point& point);
    Point getTargetAnchor(int index);

    int controlCount() const { return int(controls_.size()); }
    int ghostCount() const { return int(ghosts_.size()); }
    Control* targetControl(int index) const;
    VirtualGhostControl* ghost(int index) const;
    bool isHiding() const { return state_ != State::kShown; }

    void draw(Canvas& canvas) override;
    void componentDeleted(Component* component) override;
    // The posted message that deletes the overlay (from the GUI list).
    static constexpr int kDeleteMessage = 0;
    void handleMessage(int code) override;

protected:
    virtual void hideFinished();

private:
    enum class State { kShown, kHiding, kHidden };
    struct Registered {
        Control* control;
        int mode;
    };
    enum OrderKind : int { kRegisteredControl = 0, kGhost = 1 };
    struct Order {
        int index;
        int kind; // an OrderKind
    };

    bool controlMatches(Control* control, int mode, const Point& point);
    // The registered target that a press at the point reaches beneath the
    // overlay (the control it reaches or the nearest registered control
    // holding it), when that target matches there; none otherwise.
    int pressedTargetAt(const Point& point);
    Point positionOf(Control* control);

    std::vector<Registered> controls_;
    std::vector<std::unique_ptr<VirtualGhostControl>> ghosts_;
    std::vector<Order> order_;
    State state_ = State::kShown;
};

} // namespace gui
