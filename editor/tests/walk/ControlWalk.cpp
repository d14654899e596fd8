#include "editor/tests/walk/ControlWalk.h"

#include "editor/tests/walk/ControlPicture.h"

#include "gui/Button.h"
#include "gui/Control.h"
#include "gui/ImageLabel.h"
#include "gui/MultiLabel.h"
#include "gui/ScrollArea.h"
#include "gui/Text.h"

#include <cmath>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace walk {

namespace {

constexpr std::size_t kHelpWords = 6;

gui::Rect rootRect(const gui::Control& control) {
    const gui::Point origin = control.toRoot(gui::Point(0.0f, 0.0f));
    return gui::Rect::fromXYWH(origin.x, origin.y, control.width.getValue(), control.height.getValue());
}

// The first words of a help text.
std::string helpStart(const std::string& help) {
    std::size_t words = 0;
    std::size_t end = 0;
    while (end < help.size() && words < kHelpWords) {
        end = help.find(' ', end + 1);
        if (end == std::string::npos) return help;
        ++words;
    }
    return help.substr(0, end) + "...";
}

// The deepest control the hit tests lead to from the root.
gui::Control* hitAt(gui::Control& root, const gui::Point& point) {
    gui::Control* reached = &root;
    while (gui::Control* child = reached->findChildAt(reached->fromRoot(point)))
        reached = child;
    return reached;
}

// Whether c is the control or inside it.
bool within(const gui::Control* c, const gui::Control& control) {
    for (; c != nullptr; c = c->getParent())
        if (c == &control) return true;
    return false;
}

} // namespace

ControlWalk::ControlWalk(gui::Control& root, Describe describe)
    : root_(&root), describe_(std::move(describe)) {
    const gui::Rect area = rootRect(root);
    const std::vector<gui::Control*>& children = root.children();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (!covered(i)) visit(*children[i], -1, 0, area, false, false);
}

bool ControlWalk::covered(std::size_t index) {
    const std::vector<gui::Control*>& children = root_->children();
    gui::Control& child = *children[index];
    if (!child.visible.getValue() || child.opacity.getValue() < 1) return false;
    const gui::Rect seen = gui::intersection(rootRect(child), rootRect(*root_));
    if (seen.isEmpty()) return false;
    std::vector<ControlPicture> above;
    for (std::size_t j = index + 1; j < children.size(); ++j) {
        gui::Control& later = *children[j];
        if (!later.visible.getValue() || later.opacity.getValue() < 255) continue;
        if (gui::intersection(rootRect(later), seen).isEmpty()) continue;
        above.push_back(ControlPicture::of(later));
        above.back().origin = rootRect(later).topLeft();
    }
    if (above.empty()) return false;
    const float scale = above.front().scale;
    for (int y = int(std::ceil(seen.top * scale)); y < int(seen.bottom * scale); ++y)
        for (int x = int(std::ceil(seen.left * scale)); x < int(seen.right * scale); ++x) {
            bool opaque = false;
            for (const ControlPicture& p : above) {
                const int px = x - int(std::lround(p.origin.x * scale)),
                          py = y - int(std::lround(p.origin.y * scale));
                if (px >= 0 && py >= 0 && px < p.width && py < p.height && p.alphaAt(px, py) == 255) {
                    opaque = true;
                    break;
                }
            }
            if (!opaque) return false;
        }
    return true;
}

void ControlWalk::visit(gui::Control& control, int parent, int depth, const gui::Rect& clip, bool scrolls,
                        bool insideViewport) {
    if (!control.visible.getValue() || control.opacity.getValue() < 1) return;
    const gui::Rect bounds = rootRect(control);
    const gui::Rect seen = gui::intersection(bounds, clip);
    // Scrolled out of its viewport or clipped away by an ancestor: the
    // subtree cannot show. An empty control inside what shows stays, so
    // that a control without a size is found.
    const bool empty = bounds.width() <= 0.0f || bounds.height() <= 0.0f;
    if (seen.isEmpty() && !(empty && clip.contains(bounds.topLeft()))) return;

    ShownControl shown;
    shown.control = &control;
    shown.parent = parent;
    shown.depth = depth;
    shown.kind = kindOf(control);
    shown.bounds = bounds;
    shown.seen = seen;
    shown.scrolls = scrolls;
    shown.insideViewport = insideViewport;
    std::string name = shown.kind;
    const std::string caption = captionOf(control);
    if (!caption.empty()) name += " '" + caption + "'";
    const std::string described = describe_ ? describe_(control) : std::string();
    if (!described.empty()) name += " [" + described + "]";
    if (caption.empty() && described.empty() && !control.helpText.getValue().empty())
        name += " (" + helpStart(control.helpText.getValue()) + ")";
    shown.name = name;
    controls_.push_back(shown);
    const int index = static_cast<int>(controls_.size()) - 1;

    const bool viewport = dynamic_cast<gui::ScrollArea*>(&control) != nullptr;
    for (gui::Control* child : control.children())
        visit(*child, index, depth + 1, seen, viewport, insideViewport || viewport);
}

const ShownControl* ControlWalk::find(const std::string& text) const {
    for (const ShownControl& shown : controls_)
        if (shown.name.find(text) != std::string::npos) return &shown;
    return nullptr;
}

const ShownControl* ControlWalk::find(const gui::Control* control) const {
    for (const ShownControl& shown : controls_)
        if (shown.control == control) return &shown;
    return nullptr;
}

const ShownControl* ControlWalk::parentOf(const ShownControl& shown) const {
    return shown.parent >= 0 ? &controls_[static_cast<std::size_t>(shown.parent)] : nullptr;
}

gui::Control* ControlWalk::pressedAt(gui::Control& root, const gui::Point& point) {
    gui::Control* hit = hitAt(root, point);
    return hit->pressTarget(hit->fromRoot(point));
}

bool ControlWalk::reaches(gui::Control& root, const gui::Control& control, const gui::Point& point) {
    gui::Control* hit = hitAt(root, point);
    return within(hit, control) || within(hit->pressTarget(hit->fromRoot(point)), control);
}

std::string ControlWalk::kindOf(const gui::Control& control) {
    const char* mangled = typeid(control).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    std::string kind = status == 0 && demangled ? demangled.get() : mangled;
    constexpr const char* kToolkit = "gui::";
    if (kind.rfind(kToolkit, 0) == 0) kind.erase(0, std::char_traits<char>::length(kToolkit));
    return kind;
}

std::string ControlWalk::captionOf(gui::Control& control) {
    gui::Text* text = nullptr;
    if (auto* button = dynamic_cast<gui::Button*>(&control)) {
        if (!button->textLines().empty() && button->lineCount.getValue() > 0) text = button->textLine(0);
    } else if (auto* label = dynamic_cast<gui::MultiLabel*>(&control)) {
        if (label->lineCount.getValue() > 0) text = label->text(0);
    } else if (auto* imageLabel = dynamic_cast<gui::ImageLabel*>(&control)) {
        text = imageLabel->text();
    }
    if (text == nullptr) return {};
    const std::string& value = text->text.getValue();
    return value.substr(0, value.find('\n'));
}

} // namespace walk
