#pragma once

// A transparent control laid over other content that fades the content out
// towards its edges: each enabled edge shows a fade from the overlay's colour
// (opaque at the outer edge) to transparent inwards, over the fade length
// plus that edge's extension. With a background bitmap the fades are the
// background itself faded out (cached per edge until the geometry or the
// scale changes); without one they are gradients of the fade colour.
//
// Edges: 0 left, 1 right, 2 top, 3 bottom. The overlay takes presses only
// where its fade is opaque enough (hitAlpha with the hit threshold), so the
// content under the faint part stays reachable. It tracks the edge under the
// pointer: hoverEvent fires when the hovered edge changes (hoveredEdge(), 4
// for none), leaveEvent when the pointer leaves.
//
// The edge colour's alpha is multiplied by the control's opacity here, and
// the canvas applies the opacity again: at opacity 128 a full-alpha edge
// draws at 64.
//
// Threading: GUI thread only.

#include "gui/Animator.h"
#include "gui/Bitmap.h"

#include <array>
#include <memory>

namespace gui {

class FadeOverlay : public AnimatedControl {
public:
    static constexpr int kNoEdge = 4;

    explicit FadeOverlay(UserInterface& userInterface);
    ~FadeOverlay() override;

    Property<Color> fadeColor;     // opaque black
    Property<Rect> edgeExtensions; // added to the fade length of left, top, right, bottom
    Property<float> fadeLength;    // 16
    DelegatingProperty<bool> topEdge;
    DelegatingProperty<bool> bottomEdge;
    DelegatingProperty<bool> rightEdge;
    DelegatingProperty<bool> leftEdge;
    NotifyEvent hoverEvent;
    NotifyEvent leaveEvent;

    // The bitmap the fades are composed from (not owned; null: gradients).
    void setBackground(Bitmap* background);
    int hoveredEdge() const { return hoveredEdge_; }
    int hoverLevel(int edge) const { return edges_[std::size_t(edge)].hoverLevel; }
    bool isEdgeEnabled(int edge) const { return edges_[std::size_t(edge)].enabled; }
    void setEdgeEnabled(int edge, bool enabled);
    // The edge's rect in local coordinates.
    Rect edgeRect(int edge) const;

    void propertyChanged(AbstractProperty& property) override;
    int hitAlpha(const Point& point) override;
    void mouseLeave() override;
    void mouseMove(const Point& point, int modifiers) override;
    void scaleChanged() override;
    void draw(Canvas& canvas) override;

private:
    struct Edge {
        bool enabled = false;
        std::unique_ptr<Bitmap> cache;
        int hoverLevel = 0;
    };

    int edgeAt(const Point& point) const;
    void setHovered(int edge);

    bool cacheValid_ = false;
    Bitmap* background_ = nullptr;
    int hoveredEdge_ = kNoEdge;
    std::array<Edge, 4> edges_;
};

} // namespace gui
