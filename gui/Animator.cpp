#include "gui/Animator.h"

#include "gui/Timer.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <unordered_map>

namespace gui {

namespace {

// Which animator each user interface has (GUI thread only).
std::unordered_map<UserInterface*, Animator*>& animators() {
    static std::unordered_map<UserInterface*, Animator*> map;
    return map;
}

constexpr int kDefaultRate = 10;
constexpr int kStartInterval = 100; // ms, until rate or running change

} // namespace

Animator::UIDeleteNotifier::~UIDeleteNotifier() {
    if (animator_ != nullptr) animator_->userInterfaceGone();
}

Animator::Animator(UserInterface& userInterface, IntervalTimer::Clock clock)
    : running(this, false), rate(this, kDefaultRate), clock_(std::move(clock)),
      userInterface_(&userInterface) {
    if (!clock_) clock_ = systemMilliseconds;
    notifier_ = new UIDeleteNotifier(userInterface, this);
    animators()[&userInterface] = this;
    timer_ = userInterface.createTimer();
    if (timer_ != nullptr) {
        timer_->interval.setValue(kStartInterval);
        timer_->enabled.setValue(true);
        timer_->tickEvent.addHandler(NotifyEvent::bind(this, &Animator::tick));
        // The user interface deletes its timers as it goes.
        timer_->destroyEvent.addHandler(NotifyEvent::bind(this, &Animator::timerDestroyed));
    }
    stamp_ = clock_();
}

Animator::~Animator() {
    if (userInterface_ != nullptr) {
        auto& map = animators();
        auto found = map.find(userInterface_);
        if (found != map.end() && found->second == this) map.erase(found);
    }
    if (timer_ != nullptr) {
        timer_->destroyEvent.clear();
        delete timer_;
    }
    if (notifier_ != nullptr) {
        notifier_->animator_ = nullptr;
        delete notifier_;
    }
    std::vector<Entry> entries;
    entries.swap(running_);
    entries.insert(entries.end(), queued_.begin(), queued_.end());
    queued_.clear();
    for (const Entry& entry : entries)
        if (entry.animation != nullptr) entry.animation->destroy();
    for (AnimatedObject* object : doomed_)
        object->destroy();
}

void Animator::userInterfaceGone() {
    auto& map = animators();
    auto found = map.find(userInterface_);
    if (found != map.end() && found->second == this) map.erase(found);
    userInterface_ = nullptr;
    timer_ = nullptr;
    notifier_ = nullptr;
}

void Animator::timerDestroyed() {
    timer_ = nullptr;
    // The user interface is going: its notifier goes now, while the user
    // interface can still unregister it.
    if (notifier_ != nullptr) {
        UIDeleteNotifier* notifier = notifier_;
        notifier->animator_ = nullptr;
        delete notifier;
    }
    userInterfaceGone();
}

Animator* Animator::of(UserInterface& userInterface) {
    auto& map = animators();
    auto found = map.find(&userInterface);
    return found == map.end() ? nullptr : found->second;
}

void Animator::propertyChanged(AbstractProperty&) {
    if (timer_ == nullptr) return;
    timer_->interval.setValue(1000 / std::max(1, rate.getValue()));
    timer_->enabled.setValue(running.getValue());
}

void Animator::discard(AnimatedObject* animation) {
    if (animation == nullptr) return;
    if (inTick_) {
        if (std::find(doomed_.begin(), doomed_.end(), animation) == doomed_.end())
            doomed_.push_back(animation);
        return;
    }
    animation->destroy();
}

void Animator::startAnimation(AnimatedObject* animation, Control* control, const void* key) {
    if (inTick_) {
        if (animation == nullptr && control != nullptr) {
            // A control going away: its entries and requests go at once.
            for (Entry& entry : running_)
                if (entry.control == control && entry.animation != nullptr) {
                    AnimatedObject* dropped = entry.animation;
                    entry = {nullptr, nullptr, nullptr};
                    emptied_ = true;
                    discard(dropped);
                }
            for (auto it = queued_.begin(); it != queued_.end();) {
                if (it->control != control) {
                    ++it;
                    continue;
                }
                AnimatedObject* dropped = it->animation;
                it = queued_.erase(it);
                discard(dropped);
            }
            return;
        }
        queued_.push_back({animation, control, key});
        return;
    }
    if (key != nullptr) {
        auto it =
            std::find_if(running_.begin(), running_.end(), [key](const Entry& e) { return e.key == key; });
        if (it != running_.end()) {
            AnimatedObject* old = it->animation;
            running_.erase(it);
            discard(old);
        }
    }
    if (animation == nullptr) {
        if (control == nullptr) return;
        std::vector<AnimatedObject*> dropped;
        running_.erase(std::remove_if(running_.begin(), running_.end(),
                                      [&](const Entry& e) {
                                          if (e.control != control) return false;
                                          dropped.push_back(e.animation);
                                          return true;
                                      }),
                       running_.end());
        for (AnimatedObject* object : dropped)
            discard(object);
        return;
    }
    running_.push_back({animation, control, key});
}

void Animator::removeAnimation(AnimatedObject* animation) {
    if (animation == nullptr) return;
    bool found = false;
    if (inTick_) {
        for (Entry& entry : running_)
            if (entry.animation == animation) {
                entry = {nullptr, nullptr, nullptr};
                emptied_ = true;
                found = true;
            }
        auto it = std::find_if(queued_.begin(), queued_.end(),
                               [&](const Entry& e) { return e.animation == animation; });
        if (it != queued_.end()) {
            queued_.erase(it);
            found = true;
        }
    } else {
        auto end = std::remove_if(running_.begin(), running_.end(),
                                  [&](const Entry& e) { return e.animation == animation; });
        found = end != running_.end();
        running_.erase(end, running_.end());
    }
    if (found) discard(animation);
}

void Animator::stopAnimations(const void* key) {
    if (!inTick_) {
        startAnimation(nullptr, nullptr, key);
        return;
    }
    for (Entry& entry : running_)
        if (entry.key == key && entry.animation != nullptr) {
            AnimatedObject* dropped = entry.animation;
            entry = {nullptr, nullptr, nullptr};
            emptied_ = true;
            discard(dropped);
            break;
        }
    for (auto it = queued_.begin(); it != queued_.end();) {
        if (it->key != key) {
            ++it;
            continue;
        }
        AnimatedObject* dropped = it->animation;
        it = queued_.erase(it);
        discard(dropped);
    }
}

void Animator::forget(AnimatedObject* object) {
    for (Entry& entry : running_)
        if (entry.animation == object) {
            entry = {nullptr, nullptr, nullptr};
            emptied_ = true;
        }
    queued_.erase(
        std::remove_if(queued_.begin(), queued_.end(), [&](const Entry& e) { return e.animation == object; }),
        queued_.end());
    doomed_.erase(std::remove(doomed_.begin(), doomed_.end(), object), doomed_.end());
    if (!inTick_ && emptied_) {
        running_.erase(std::remove_if(running_.begin(), running_.end(),
                                      [](const Entry& e) { return e.animation == nullptr; }),
                       running_.end());
        emptied_ = false;
    }
}

void Animator::tick() {
    if (inTick_) return;
    stamp_ = clock_();
    inTick_ = true;
    tickEvent.notify(this);
    for (std::size_t i = 0; i < running_.size(); ++i)
        if (running_[i].animation != nullptr) running_[i].animation->step();
    inTick_ = false;
    // What was dropped during the stepping goes now, one at a time (a
    // destroy may drop more).
    while (!doomed_.empty()) {
        AnimatedObject* object = doomed_.back();
        doomed_.pop_back();
        object->destroy();
    }
    if (emptied_) {
        running_.erase(std::remove_if(running_.begin(), running_.end(),
                                      [](const Entry& e) { return e.animation == nullptr; }),
                       running_.end());
        emptied_ = false;
    }
    std::vector<Entry> requests;
    requests.swap(queued_);
    for (const Entry& request : requests)
        startAnimation(request.animation, request.control, request.key);
}

bool Animator::isRunning(const void* key) const {
    return std::any_of(running_.begin(), running_.end(),
                       [key](const Entry& e) { return e.animation != nullptr && e.key == key; });
}

int Animator::runningCount() const {
    return int(std::count_if(running_.begin(), running_.end(),
                             [](const Entry& e) { return e.animation != nullptr; }));
}

AnimatedControl::AnimatedControl(UserInterface& userInterface) : Control(userInterface) {}

AnimatedControl::~AnimatedControl() {
    if (Animator* a = animator()) a->startAnimation(nullptr, this, nullptr);
}

} // namespace gui
