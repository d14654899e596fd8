#include "editor/ControlChangeManager.h"

#include "gui/Component.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

// The manager's own component: linked to every bound control, it hears when
// one dies.
class ControlChangeManager::Watcher : public gui::Component {
public:
    Watcher(gui::UserInterface& userInterface, ControlChangeManager& manager)
        : gui::Component(userInterface), manager_(manager) {}
    void componentDeleted(gui::Component* component) override { manager_.componentDied(component); }

private:
    ControlChangeManager& manager_;
};

ControlChangeManager::ControlChangeManager(GenericPlugin& plugin)
    : links_(static_cast<size_t>(std::max(plugin.getNumParameters(), 0))), plugin_(plugin) {}

ControlChangeManager::~ControlChangeManager() {
    // Controls that outlive the manager no longer call it.
    for (LinkRecord& r : links_)
        if (r.control != nullptr && r.control->listener() == this) r.control->setListener(nullptr);
}

void ControlChangeManager::releaseWatcher() {
    watcher_.reset();
}

AbstractPluginParameter* ControlChangeManager::parameterAt(int32_t index) const {
    return validIndex(index) ? plugin_.getParameter(index) : nullptr;
}

int32_t ControlChangeManager::indexOfControl(const gui::ValueControl* control) const {
    if (control == nullptr) return -1;
    const int32_t id = control->controlId.getValue();
    if (validIndex(id) && links_[static_cast<size_t>(id)].control == control) return id;
    for (int32_t i = firstUsed_; i < lastUsed_; ++i)
        if (links_[static_cast<size_t>(i)].control == control) return i;
    return -1;
}

// --- Gestures

int ControlChangeManager::valueControlQuery(gui::ValueControl* control, int delta) {
    const int32_t head = control != nullptr ? control->controlId.getValue() : -1;
    if (!validIndex(head)) return 0;
    const int64_t low = control->minimum.getValue();
    const int64_t high = control->maximum.getValue();
    int64_t result = 0;
    int32_t guard = linkCount();
    for (int32_t j = record(head).next; j >= 0 && guard-- > 0; j = record(j).next) {
        const LinkRecord& follower = record(j);
        if (follower.linkMode != kLinkSteps) continue;
        const int64_t p = std::clamp(static_cast<int64_t>(std::trunc(follower.startValue)), low, high);
        const int64_t q = std::clamp(p + delta, low, high);
        result = std::max<int64_t>(result, q > p ? q - p : p - q);
    }
    return static_cast<int>(result);
}

void ControlChangeManager::beginValueControlGroup() {}

void ControlChangeManager::endValueControlGroup() {}

void ControlChangeManager::valueControlChanged(gui::ValueControl* control, int phase, int delta) {
    if (control == nullptr) return;
    AbstractPluginParameter* parameter = parameterAt(control->controlId.getValue());
    if (parameter == nullptr) return;
    setParameterFromControl(control, parameter, phase, delta);
}

void ControlChangeManager::setParameterFromControl(gui::ValueControl* control,
                                                   AbstractPluginParameter* parameter, int phase, int delta) {
    float plain = 0.0f;
    if (phase == gui::kGestureChange) {
        const int low = control->minimum.getValue();
        const int high = control->maximum.getValue();
        float fraction = static_cast<float>(control->value.getValue() - low) / static_cast<float>(high - low);
        if (control->valueToPosition != nullptr) fraction = control->valueToPosition(fraction);
        plain = parameter->fromLinearNormalized(fraction);
    } else {
        delta = 0;
    }
    setLinkedParameterValue(phase, parameter->getIndex(), plain, delta);
}

void ControlChangeManager::setLinkedParameterValue(int phase, int32_t head, float plain, int delta) {
    if (!validIndex(head)) return;
    AbstractPluginParameter* headParameter = parameterAt(head);
    const float headBefore = headParameter != nullptr ? headParameter->getValue() : 0.0f;
    sendParameterChange(phase, head, plain);
    if (record(head).next < 0) return;
    gui::ValueControl* k = record(head).control;
    float v = plain;
    bool headCaptured = false;
    int32_t guard = linkCount();
    for (int32_t j = record(head).next; j >= 0 && guard-- > 0; j = record(j).next) {
        LinkRecord& follower = record(j);
        AbstractPluginParameter* parameter = parameterAt(j);
        if (parameter == nullptr) break;
        if (follower.linkMode == kLinkSame || k == nullptr) {
            sendParameterChange(phase, j, v);
            continue;
        }
        if (phase == gui::kGestureBegin || !follower.captured) {
            if (follower.linkMode == kLinkProportional) {
                follower.startValue = parameter->getValue();
                if (!headCaptured) record(head).startValue = headBefore;
                headCaptured = true;
            } else {
                float t = parameter->toLinearNormalized(parameter->getValue());
                if (k->positionToValue != nullptr) t = k->positionToValue(t);
                follower.startValue = static_cast<float>(k->minimum.getValue() + k->toSteps(t));
            }
            follower.captured = true;
        }
        if (phase == gui::kGestureChange && delta != 0) {
            if (follower.linkMode == kLinkProportional) {
                v = parameter->rescale(follower.startValue, record(head).startValue, plain);
                v = std::clamp(v, parameter->getMin(), parameter->getMax());
            } else {
                follower.startValue += static_cast<float>(delta);
                const double range = double(k->maximum.getValue()) - double(k->minimum.getValue());
                float t = static_cast<float>(
                    (std::trunc(double(follower.startValue)) - k->minimum.getValue()) / range);
                if (k->valueToPosition != nullptr) t = k->valueToPosition(t);
                t = std::clamp(t, 0.0f, 1.0f);
                v = parameter->fromLinearNormalized(t);
            }
        }
        sendParameterChange(phase, j, v);
    }
}

void ControlChangeManager::sendParameterChange(int phase, int32_t index, float plain) {
    if (!validIndex(index)) return;
    LinkRecord& r = record(index);
    if (phase == gui::kGestureBegin) {
        if (!r.gestureOpen) {
            plugin_.beginGesture(index);
            r.gestureOpen = true;
        }
    } else if (phase == gui::kGestureChange) {
        const bool wasOpen = r.gestureOpen;
        if (!wasOpen) plugin_.beginGesture(index);
        plugin_.sendValueToHost(index, plain);
        if (!wasOpen) {
            if (gestureHold_ == 0)
                plugin_.endGesture(index);
            else
                r.gestureOpen = true;
        }
        if (valueDisplay_ != nullptr) valueDisplay_->parameterValueSent(index, plain);
    } else if (gestureHold_ == 0 && r.gestureOpen) {
        r.gestureOpen = false;
        plugin_.endGesture(index);
    }
}

void ControlChangeManager::endGesture(int32_t index) {
    LinkRecord& r = record(index);
    if (!r.gestureOpen) return;
    r.gestureOpen = false;
    plugin_.endGesture(index);
}

void ControlChangeManager::endChainGestures(int32_t index) {
    endGesture(index);
    int32_t guard = linkCount();
    for (int32_t j = record(index).next; j >= 0 && guard-- > 0; j = record(j).next)
        endGesture(j);
}

void ControlChangeManager::endOpenGestures() {
    for (int32_t i = 0; i < linkCount(); ++i)
        endGesture(i);
}

// --- Links

void ControlChangeManager::linkControl(AbstractPluginParameter* parameter, gui::ValueControl* control) {
    if (parameter == nullptr) return;
    const int32_t i = parameter->getIndex();
    if (!validIndex(i)) return;
    if (control != nullptr) {
        if (record(i).control == control) {
            // Keeps the control; the chain behind the parameter dissolves.
            unlinkControl(parameter, nullptr);
            return;
        }
        const int32_t other = indexOfControl(control);
        if (other >= 0) unlinkControl(parameterAt(other), control);
        setControlFromParameter(control, parameter);
        control->controlId.setValue(i);
        control->setListener(this);
    }
    gui::ValueControl* old = record(i).control;
    if (old != nullptr && old != control) {
        if (old->controlId.getValue() == i) old->controlId.setValue(-1);
        unlinkControl(parameter, old);
    }
    record(i).control = control;
    record(i).component = control;
    if (control != nullptr) {
        watch(control);
        widenRange(i);
        refreshControl(i);
    }
    linksChanged();
}

void ControlChangeManager::unlinkControl(AbstractPluginParameter* parameter, gui::ValueControl* control) {
    if (parameter == nullptr || !validIndex(parameter->getIndex())) return;
    const int32_t i = parameter->getIndex();
    LinkRecord& r = record(i);
    const bool follower = r.previous >= 0;
    if (follower) {
        endGesture(i);
        leaveChain(i);
    }
    if (r.control != nullptr && r.control == control) {
        endChainGestures(i);
        if (control->controlId.getValue() == i) control->controlId.setValue(-1);
        if (control->listener() == this) control->setListener(nullptr);
        gui::Component* component = r.component;
        r.control = nullptr;
        r.component = nullptr;
        unwatchIfUnused(component);
    }
    if (!follower) dissolveChain(i);
    shrinkRange(i);
    linksChanged();
}

void ControlChangeManager::dropControl(int32_t index) {
    LinkRecord& r = record(index);
    endChainGestures(index);
    r.control = nullptr;
    r.component = nullptr;
    if (r.previous >= 0)
        leaveChain(index);
    else
        dissolveChain(index);
    shrinkRange(index);
}

void ControlChangeManager::leaveChain(int32_t index) {
    LinkRecord& r = record(index);
    const int32_t previous = r.previous;
    const int32_t next = r.next;
    record(previous).next = next;
    if (next >= 0) record(next).previous = previous;
    r.previous = -1;
    r.next = -1;
    r.captured = false;
    updateLinkDifference(previous);
}

void ControlChangeManager::dissolveChain(int32_t index) {
    int32_t j = record(index).next;
    record(index).next = -1;
    int32_t guard = linkCount();
    while (j >= 0 && guard-- > 0) {
        LinkRecord& follower = record(j);
        endGesture(j);
        const int32_t next = follower.next;
        follower.next = -1;
        follower.previous = -1;
        follower.captured = false;
        shrinkRange(j);
        j = next;
    }
    if (record(index).control != nullptr) updateLinkDifference(index);
}

bool ControlChangeManager::chainParameter(AbstractPluginParameter* a, gui::ValueControl* b, uint32_t mode) {
    if (a == nullptr || b == nullptr || mode > kLinkProportional) return false;
    const int32_t x = a->getIndex();
    const int32_t y = b->controlId.getValue();
    if (!validIndex(x) || !validIndex(y) || x == y || record(y).control != b) return false;
    LinkRecord& follower = record(x);
    if (follower.previous >= 0 || follower.next >= 0) return false;
    follower.next = record(y).next;
    if (follower.next >= 0) record(follower.next).previous = x;
    follower.previous = y;
    follower.linkMode = mode;
    follower.captured = false;
    record(y).next = x;
    widenRange(x);
    updateLinkDifference(y);
    return true;
}

void ControlChangeManager::controlRemoved(gui::ValueControl* control) {
    const int32_t i = indexOfControl(control);
    if (i >= 0) linkControl(parameterAt(i), nullptr);
}

void ControlChangeManager::unlinkEveryControl() {
    const int32_t first = firstUsed_;
    const int32_t last = lastUsed_;
    for (int32_t i = first; i < last; ++i) {
        LinkRecord& r = record(i);
        if (r.control != nullptr)
            linkControl(parameterAt(i), nullptr);
        else if (r.previous >= 0 || r.next >= 0)
            unlinkControl(parameterAt(i), nullptr);
    }
}

void ControlChangeManager::widenRange(int32_t index) {
    if (firstUsed_ == lastUsed_) {
        firstUsed_ = index;
        lastUsed_ = index + 1;
        return;
    }
    firstUsed_ = std::min(firstUsed_, index);
    lastUsed_ = std::max(lastUsed_, index + 1);
}

void ControlChangeManager::shrinkRange(int32_t index) {
    auto used = [this](int32_t i) {
        const LinkRecord& r = record(i);
        return r.control != nullptr || r.previous >= 0 || r.next >= 0;
    };
    if (index == firstUsed_)
        while (firstUsed_ < lastUsed_ && !used(firstUsed_))
            ++firstUsed_;
    if (index == lastUsed_ - 1)
        while (lastUsed_ > firstUsed_ && !used(lastUsed_ - 1))
            --lastUsed_;
    if (firstUsed_ == lastUsed_) firstUsed_ = lastUsed_ = 0;
}

void ControlChangeManager::watch(gui::ValueControl* control) {
    if (!watcher_) watcher_ = std::make_unique<Watcher>(control->userInterface(), *this);
    watcher_->link(control);
}

void ControlChangeManager::unwatchIfUnused(gui::Component* component) {
    if (component == nullptr || !watcher_) return;
    for (int32_t i = firstUsed_; i < lastUsed_; ++i)
        if (record(i).component == component) return;
    watcher_->unlink(component);
}

void ControlChangeManager::componentDied(gui::Component* component) {
    bool changed = false;
    for (int32_t i = firstUsed_; i < lastUsed_; ++i) {
        if (record(i).component != component) continue;
        dropControl(i);
        changed = true;
    }
    if (changed) linksChanged();
}

// --- Values into controls

void ControlChangeManager::setControlFromParameter(gui::ValueControl* control,
                                                   AbstractPluginParameter* parameter) {
    if (control == nullptr || parameter == nullptr) return;
    int low = 0;
    int high = kContinuousSteps;
    if (parameter->isStepped()) {
        low = static_cast<int>(std::trunc(parameter->getMin()));
        high = static_cast<int>(std::trunc(parameter->getMax()));
    }
    // Set the bound that keeps minimum below maximum first.
    if (low < control->maximum.getValue()) {
        control->minimum.setValue(low);
        control->maximum.setValue(high);
    } else {
        control->maximum.setValue(high);
        control->minimum.setValue(low);
    }
    if (parameter->isStepped()) {
        control->defaultValue.setValue(static_cast<int>(std::trunc(parameter->getDefault())));
    } else {
        float t = parameter->toLinearNormalized(parameter->getDefault());
        if (control->positionToValue != nullptr) t = control->positionToValue(t);
        control->defaultValue.setValue(control->minimum.getValue() + control->toSteps(t));
    }
}

bool ControlChangeManager::refreshControl(int32_t index) {
    if (!validIndex(index)) return false;
    gui::ValueControl* control = record(index).control;
    if (control == nullptr) return false;
    AbstractPluginParameter* parameter = parameterAt(index);
    control->setNormalizedValue(parameter->toLinearNormalized(parameter->getValue()));
    updateLinkDifference(index);
    return true;
}

void ControlChangeManager::updateLinkDifference(int32_t index) {
    if (!validIndex(index)) return;
    int32_t head = index;
    int32_t guard = linkCount();
    while (record(head).previous >= 0 && guard-- > 0)
        head = record(head).previous;
    gui::ValueControl* control = record(head).control;
    if (control == nullptr) return;
    const float headValue = parameterAt(head)->getValue();
    bool differs = false;
    guard = linkCount();
    for (int32_t j = record(head).next; j >= 0 && guard-- > 0 && !differs; j = record(j).next)
        differs = std::fabs(parameterAt(j)->getValue() - headValue) > kValueTolerance;
    control->indeterminate.setValue(differs);
}

void ControlChangeManager::refreshControls(int32_t index) {
    if (index == -1) {
        for (int32_t i = firstUsed_; i < lastUsed_; ++i)
            refreshControl(i);
    } else if (validIndex(index)) {
        if (!refreshControl(index)) updateLinkDifference(index);
    } else {
        return;
    }
    if (valueDisplay_ != nullptr) valueDisplay_->parameterRefreshed(index);
}

void ControlChangeManager::parametersChanged() {
    const int32_t layout = plugin_.getChannelLayout();
    for (const auto& listener : listeners_)
        listener->parametersChanged(layout);
}

void ControlChangeManager::addListener(std::unique_ptr<Listener> listener) {
    if (listener) listeners_.push_back(std::move(listener));
}
