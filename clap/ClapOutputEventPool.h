#pragma once

// The events an instance hands to the host where CLAP allows output events
// (the end of process, the params flush): parameter gestures and values
// raised on any thread by the editor, the model or MIDI learn.
//
// A lock-free queue (foundation/LockFreeQueue.h) of 56-byte event records,
// whose node pool never moves, so a consumer never reads a node that growth
// relocated. The pool starts with 1024 nodes and doubles on demand up to
// 65536; beyond that, pushes are dropped silently.
//
// Threads: push on any thread; drain on one consumer at a time (the audio
// thread in process, the main thread in flush; CLAP never runs both at once
// for one instance). A push made on the thread that is draining (inside
// process or flush) never grows the pool: with no free node it drops the
// event, so the audio thread never takes the growth lock.

#include "clap/ClapAbi.h"
#include "foundation/LockFreeQueue.h"

#include <atomic>
#include <cstdint>
#include <thread>

class ClapOutputEventPool {
public:
    static constexpr uint32_t kFirstNodes = 1024;
    static constexpr uint32_t kPayloadBytes = 56;

    // One queued event, as the host will read it.
    struct alignas(8) Record {
        unsigned char bytes[kPayloadBytes];
    };

    ClapOutputEventPool();
    ClapOutputEventPool(const ClapOutputEventPool&) = delete;
    ClapOutputEventPool& operator=(const ClapOutputEventPool&) = delete;

    // Queues a parameter-value event (value widened to double) or a gesture
    // begin or end for parameter id; false when the event was dropped.
    bool pushValue(clap_id id, double value);
    bool pushGesture(clap_id id, bool begin);
    // Any core event of at most kPayloadBytes.
    bool push(const clap_event_header_t& event);

    // Hands every queued event, oldest first, to out (its try_push result is
    // not looked at; a null out only empties the queue). Returns the count.
    // None pending: the queue is empty now. A push still under way is one
    // that came after this drain, and the next drain hands it on.
    uint32_t drain(const clap_output_events_t* out) { return pending_.load() == 0 ? 0 : drainQueued(out); }

    // While set, pushes from this thread never grow the pool. Only the
    // thread that set it acts on the value, and it always reads its own
    // latest store (another thread never finds its own id in a value it did
    // not store itself), so no ordering is asked for.
    class DrainScope {
    public:
        explicit DrainScope(ClapOutputEventPool& pool) : pool_(pool) {
            pool_.drainingThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
        }
        ~DrainScope() { pool_.drainingThread_.store(std::thread::id(), std::memory_order_relaxed); }
        DrainScope(const DrainScope&) = delete;
        DrainScope& operator=(const DrainScope&) = delete;

    private:
        ClapOutputEventPool& pool_;
    };

    uint32_t nodeCount() const { return queue_.getPool().getNodeCount(); }

private:
    uint32_t drainQueued(const clap_output_events_t* out);

    using Queue = LockFreeQueue<Record>;
    Queue queue_;
    // Records pushed and not yet drained. A push counts its record before it
    // queues it, so the count never falls below what the queue holds: at 0
    // a drain has nothing to look for.
    std::atomic<uint32_t> pending_{0};
    std::atomic<std::thread::id> drainingThread_{};
};
