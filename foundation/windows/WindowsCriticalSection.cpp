#include "foundation/Lock.h"

#include <windows.h>

namespace {

class WindowsCriticalSection final : public CriticalSection {
public:
    WindowsCriticalSection() { InitializeCriticalSection(&section_); }
    ~WindowsCriticalSection() override { DeleteCriticalSection(&section_); }

    void enter() override { EnterCriticalSection(&section_); }
    bool tryEnter() override { return TryEnterCriticalSection(&section_) != FALSE; }
    void leave() override { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

} // namespace

std::unique_ptr<CriticalSection> CriticalSection::create() {
    return std::make_unique<WindowsCriticalSection>();
}
