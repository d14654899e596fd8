#pragma once

// The posted-message channel of a user interface: two posted-message lists
// (MessageList below) of {target component, code} records, a lock-free
// signal queue per list, and the listeners of notifications, dropped files
// and help hints.
//
// Other threads hand work to the GUI thread here. postMessage appends a
// record and pushes a list marker into the list's signal queue; push (the
// audio thread's way in) queues a notification of two values. Draining a list
// pops its signal queue: a notification goes to every listener (last added
// first), a marker drains the list front first, unlinking each record before
// its target's handleMessage runs, so that a record that a handler appends
// is handled in the same drain.
//
// Lifetime: the user interface holds the channel through a shared pointer and
// clears the alive flag in its destructor; a drain holds its own reference,
// checks the flag before each record and after each listener, and so stops
// cleanly when a handler or listener destroys the user interface.
//
// Lists changed while they run: a record removed (removePostedMessages) or a
// listener removed during a drain is not called; a listener added during a
// notification is called from the next one on.
//
// Signal queues hold all their nodes from construction, so no push takes the
// growth lock. A full queue drops the signal and counts it; takeDroppedCount
// reads and resets the count, so the editor can refresh everything.
//
// Threading: push is lock-free, allocates nothing and never throws (any
// thread, the audio thread included). postMessage locks the list lock (a
// leaf, never held while a handler runs) and allocates. Only the GUI thread
// (or the render thread under the root control's lock) posts to a component
// and drains; two drains of one list never overlap because both drainers hold
// the root control's lock.

#include "foundation/Lock.h"
#include "foundation/LockFreeQueue.h"
#include "gui/MessageTarget.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace gui {

class MessageTarget;
class UserInterface;

// The two lists, which differ in the thread that drains them. The frame list
// is drained before every frame: on the render thread (under the root
// control's lock) while the root is accelerated, else on the GUI thread, and
// on the GUI thread's tick; what goes there must be safe beside the GUI
// thread. The GUI list is drained on the GUI thread's tick alone, after the
// frame list.
enum MessageList : int { kFrameList = 0, kGuiList = 1 };

class MessageChannel {
public:
    static constexpr int kListCount = 2;
    // Nodes of each signal queue, all made at construction.
    static constexpr std::uint32_t kQueueNodes = 65536;
    // The most records a posted-message list holds.
    static constexpr std::size_t kMaxPostedMessages = 65536;

    class Listener {
    public:
        virtual ~Listener() = default;
        // A file dropped on the editor at the point (root coordinates).
        virtual void filesDropped(float x, float y, const std::string& path);
        // A notification pushed through push(list, code, argument).
        virtual void notification(std::uint32_t code, std::uint32_t argument);
        // The help hint to show; empty hides it.
        virtual void helpHint(const std::string& text);
    };

    // One signal of a queue. kind tells a list marker from a notification,
    // so that no (code, argument) pair reads as the marker.
    struct Signal {
        enum Kind : std::uint32_t { kMarker = 0, kNotification = 1 };
        std::uint32_t kind;
        std::uint32_t code;
        std::uint32_t argument;
    };

    explicit MessageChannel(UserInterface& userInterface);
    ~MessageChannel();
    MessageChannel(const MessageChannel&) = delete;
    MessageChannel& operator=(const MessageChannel&) = delete;

    // Queues a notification for the listeners. Lock-free; false (and counted)
    // when the queue is full or the list index is out of range.
    bool push(MessageList list, std::uint32_t code, std::uint32_t argument);

    // Appends {target, code} to the list and signals it. False when the list
    // holds its maximum ("list too long"), the index is out of range or the
    // user interface is gone.
    bool postMessage(MessageTarget* target, int code, MessageList list);
    // Drops every record posted to the component (it is being destroyed).
    void removePostedMessages(const MessageTarget* target);
    // Records waiting in a list.
    std::size_t postedCount(MessageList list) const;

    // Pops the list's signal queue until it is empty or the user interface
    // is gone (see the class comment). The caller holds a reference.
    void drain(MessageList list);

    // Signals dropped because a queue was full since the last call; resets.
    std::uint32_t takeDroppedCount();

    void addListener(Listener* listener);
    void removeListener(Listener* listener);
    // Tell every listener, last added first (GUI thread).
    void notifyFilesDropped(float x, float y, const std::string& path);
    void notifyHelpHint(const std::string& text);

    bool isAlive() const { return alive_.load(std::memory_order_acquire); }
    // Called by the user interface's destructor.
    void userInterfaceDestroyed();
    // The user interface while it lives, else null.
    UserInterface* userInterface() const { return isAlive() ? userInterface_ : nullptr; }

    // An object that lives as long as the channel (the platform's use).
    void setOwnedObject(std::shared_ptr<void> object) { ownedObject_ = std::move(object); }

private:
    struct Record {
        MessageTarget* target;
        int code;
    };
    template <class Call> void forEachListener(Call call);
    bool popRecord(MessageList list, Record& record);

    UserInterface* userInterface_;
    std::atomic<bool> alive_{true};
    std::atomic<std::uint32_t> dropped_{0};
    std::unique_ptr<LockFreeQueue<Signal>> queues_[kListCount];
    std::unique_ptr<CriticalSection> listLock_;
    std::list<Record> lists_[kListCount];
    std::vector<Listener*> listeners_; // null entries while notifying
    int notifyDepth_ = 0;
    std::shared_ptr<void> ownedObject_;
};

} // namespace gui
