#include "foundation/IntervalTimer.h"

#include <windows.h>

#include <mmsystem.h> // after windows.h

std::uint32_t systemMilliseconds() {
    return timeGetTime();
}
