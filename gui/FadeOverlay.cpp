#include "gui/FadeOverlay.h"

#include "gui/Animation.h"
#include "gui/Canvas.h"
#include "gui/Gradient.h"
#include "gui/UserInterface.h"

#include <cmath>

namespace gui {

namespace {

constexpr float kDefaultFadeLength = 16.0f;
constexpr int kHoverFade = 150; // ms

// The gradient direction of each edge: opaque (position 1) at the outer edge.
constexpr Direction kEdgeDirection[4] = {Direction::kLeft, Direction::kRight, Direction::kUp,
                                         Direction::kDown};
constexpr int kLeft = 0, kRight = 1, kTop = 2, kBottom = 3;

} // namespace

FadeOverlay::FadeOverlay(UserInterface& userInterface)
    : AnimatedControl(userInterface), fadeColor(this, Color(0, 0, 0, 255)), edgeExtensions(this, Rect()),
      fadeLength(this, kDefaultFadeLength),
      topEdge([this] { return edges_[kTop].enabled; }, [this](bool on) { setEdgeEnabled(kTop, on); }),
      bottomEdge([this] { return edges_[kBottom].enabled; },
                 [this](bool on) { setEdgeEnabled(kBottom, on); }),
      rightEdge([this] { return edges_[kRight].enabled; }, [this](bool on) { setEdgeEnabled(kRight, on); }),
      leftEdge([this] { return edges_[kLeft].enabled; }, [this](bool on) { setEdgeEnabled(kLeft, on); }) {}

FadeOverlay::~FadeOverlay() {
    if (Animator* a = animator())
        for (Edge& edge : edges_)
            a->stopAnimations(&edge.hoverLevel);
}

void FadeOverlay::setBackground(Bitmap* background) {
    if (background_ == background) return;
    background_ = background;
    cacheValid_ = false;
    invalidateRect(localRect());
}

void FadeOverlay::setEdgeEnabled(int edge, bool enabled) {
    if (edge < 0 || edge > 3 || edges_[std::size_t(edge)].enabled == enabled) return;
    edges_[std::size_t(edge)].enabled = enabled;
    invalidateRect(localRect());
}

Rect FadeOverlay::edgeRect(int edge) const {
    const float w = localRect().width(), h = localRect().height(), l = fadeLength.getValue();
    const Rect& e = edgeExtensions.getValue();
    switch (edge) {
    case kLeft:
        return {0.0f, 0.0f, l + e.left, h};
    case kRight:
        return {w - (l + e.right), 0.0f, w, h};
    case kTop:
        return {0.0f, 0.0f, w, l + e.top};
    default:
        return {0.0f, h - (l + e.bottom), w, h};
    }
}

int FadeOverlay::edgeAt(const Point& point) const {
    for (int i = 0; i < 4; ++i)
        if (edges_[std::size_t(i)].enabled && edgeRect(i).contains(point)) return i;
    return kNoEdge;
}

void FadeOverlay::propertyChanged(AbstractProperty& property) {
    if (&property == &bounds || &property == &fadeLength || &property == &edgeExtensions) cacheValid_ = false;
    AnimatedControl::propertyChanged(property);
    if (&property == &fadeColor || &property == &fadeLength || &property == &edgeExtensions)
        invalidateRect(localRect());
}

int FadeOverlay::hitAlpha(const Point& point) {
    int edge = edgeAt(point);
    if (edge == kNoEdge) return 0;
    const Rect r = edgeRect(edge);
    const bool alongX = edge == kLeft || edge == kRight;
    const float low = alongX ? r.left : r.top, high = alongX ? r.right : r.bottom;
    const float f = ((alongX ? point.x : point.y) - low) / (high - low);
    const float level = (edge == kLeft || edge == kTop) ? (1.0f - f) * 255.0f : f * 255.0f;
    if (!(level > 0.0f)) return 0;
    return int(std::min(level, 255.0f));
}

void FadeOverlay::setHovered(int edge) {
    if (edge == hoveredEdge_) return;
    hoveredEdge_ = edge;
    Animator* a = animator();
    for (int i = 0; i < 4; ++i) {
        int target = i == edge ? 255 : 0;
        ValueAnimation<int, int>* animation =
            animateIntProperty(a, &edges_[std::size_t(i)].hoverLevel, target, this, kHoverFade, true);
        (void)animation;
    }
    invalidateRect(localRect());
    hoverEvent.notify(this);
}

void FadeOverlay::mouseMove(const Point& point, int modifiers) {
    AnimatedControl::mouseMove(point, modifiers);
    setHovered(edgeAt(point));
}

void FadeOverlay::mouseLeave() {
    AnimatedControl::mouseLeave();
    setHovered(kNoEdge);
    leaveEvent.notify(this);
}

void FadeOverlay::scaleChanged() {
    AnimatedControl::scaleChanged();
    cacheValid_ = false;
}

void FadeOverlay::draw(Canvas& canvas) {
    const Color colour = fadeColor.getValue();
    const int alpha = multiplyBytes(colour.a, opacity.getValue());
    if (background_ != nullptr && !cacheValid_) {
        for (int i = 0; i < 4; ++i) {
            Edge& edge = edges_[std::size_t(i)];
            if (!edge.enabled) {
                edge.cache.reset();
                continue;
            }
            if (!edge.cache) edge.cache = std::make_unique<Bitmap>(userInterface().deviceBacking());
            const Rect r = edgeRect(i);
            edge.cache->copyRectWithOpacity(*background_, r, 255);
            edge.cache->modifyPixelRect(Rect(0.0f, 0.0f, r.width(), r.height()), i);
        }
        cacheValid_ = true;
    }
    for (int i = 0; i < 4; ++i) {
        const Edge& edge = edges_[std::size_t(i)];
        if (!edge.enabled) continue;
        const Rect r = edgeRect(i);
        if (background_ != nullptr && edge.cache) {
            canvas.drawBitmap(*edge.cache, r, Point(0.0f, 0.0f), alpha);
        } else {
            Gradient gradient(colour.withAlpha(0), colour);
            canvas.fillGradient(gradient, r, kEdgeDirection[i], 0.0f, 1.0f, alpha);
        }
    }
}

} // namespace gui
