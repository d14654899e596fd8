#pragma once

// The test user interface with the headless platform's delegate, so that
// menus, dialogs and text editors answer as scripted, and the clock the
// test gives (none: the platform's).

#include "gui/headless/HeadlessPlatformDelegate.h"
#include "gui/tests/TestInterface.h"

#include <memory>
#include <utility>

namespace test {

struct DelegateInterface : TestInterface {
    explicit DelegateInterface(IntervalTimer::Clock clock = {}) : TestInterface(std::move(clock)) {
        setPlatformDelegate(std::make_unique<gui::headless::HeadlessPlatformDelegate>(*this));
    }
};

} // namespace test
