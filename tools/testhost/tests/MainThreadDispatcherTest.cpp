#include "tools/testhost/MainThreadDispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(MainThreadDispatcher, PostsFromOtherThreadsRunOnceOnThePumpingThread) {
    std::thread::id ranOn;
    int runs = 0;
    auto dispatcher = MainThreadDispatcher::create([&] {
        ranOn = std::this_thread::get_id();
        ++runs;
    });
    EXPECT_EQ(dispatcher->pump(), 0);

    std::vector<std::thread> posters;
    for (int i = 0; i < 4; ++i)
        posters.emplace_back([&] {
            for (int j = 0; j < 100; ++j)
                dispatcher->post();
        });
    for (auto& poster : posters)
        poster.join();
    EXPECT_EQ(runs, 0); // nothing runs before the pump
    EXPECT_EQ(dispatcher->pump(), 1);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(dispatcher->pump(), 0);

    dispatcher->post();
    EXPECT_EQ(dispatcher->pump(), 1);
    EXPECT_EQ(runs, 2);
}

} // namespace
