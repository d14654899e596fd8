#pragma once

// A control's link to a shared style that someone else owns (the editor
// owns its styles, and nothing orders their deletion after the controls').
// The control links itself to the style and passes its componentDeleted on
// to forget(). While no style is set, or after it died, the control acts
// with an empty style of its class, made here on the GUI thread and never
// while drawing.
//
// Threading: GUI thread; active() may be read while drawing under the root
// lock.

#include "gui/Component.h"

#include <memory>

namespace gui {

template <class StyleT> class SharedStyleLink {
public:
    explicit SharedStyleLink(Component& owner) : owner_(owner) {}
    ~SharedStyleLink() {
        if (style_ != nullptr) owner_.unlink(style_);
    }
    SharedStyleLink(const SharedStyleLink&) = delete;
    SharedStyleLink& operator=(const SharedStyleLink&) = delete;

    StyleT* get() const { return style_; }
    StyleT& active() const { return style_ != nullptr ? *style_ : *empty_; }

    // False when nothing changed.
    bool set(StyleT* style) {
        if (style == style_ && (style_ != nullptr || empty_ != nullptr)) return false;
        if (style_ != nullptr) owner_.unlink(style_);
        style_ = style;
        if (style_ != nullptr)
            owner_.link(style_);
        else
            makeEmpty();
        return true;
    }

    // True when the dead component was the style.
    bool forget(Component* dead) {
        if (dead == nullptr || dead != style_) return false;
        style_ = nullptr;
        makeEmpty();
        return true;
    }

private:
    void makeEmpty() {
        if (empty_ == nullptr) empty_ = std::make_unique<StyleT>(owner_.userInterface());
    }

    Component& owner_;
    StyleT* style_ = nullptr;
    std::unique_ptr<StyleT> empty_;
};

} // namespace gui
