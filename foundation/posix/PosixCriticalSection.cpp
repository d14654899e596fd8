#include "foundation/Lock.h"

#include <mutex>

namespace {

// Re-entrant for the owning thread, like the Windows critical section.
class PosixCriticalSection final : public CriticalSection {
public:
    void enter() override { mutex_.lock(); }
    bool tryEnter() override { return mutex_.try_lock(); }
    void leave() override { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

} // namespace

std::unique_ptr<CriticalSection> CriticalSection::create() {
    return std::make_unique<PosixCriticalSection>();
}
