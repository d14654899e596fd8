#pragma once

// The registry tests' fixture: each test gets its own key below
// "Software\Zentor\VarnelTest" (deleted again at the end, under both roots)
// and, for the stand-in store, its own application-data folder.

#include "foundation/Registry.h"
#include "foundation/tests/TestFiles.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <list>
#include <string>

namespace test {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* previous = std::getenv("XDG_CONFIG_HOME");
        hadAppData_ = previous != nullptr;
        previousAppData_ = previous ? previous : "";
        setAppData(folder_.path());
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        key_ = std::string("Software\\Zentor\\VarnelTest\\") + info->name() + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007) +
               "-" + std::to_string(counter++);
    }
    void TearDown() override {
        deleteRegistryKey(RegistryRoot::kCurrentUser, key_);
        deleteRegistryKey(RegistryRoot::kLocalMachine, key_);
        if (hadAppData_)
            setEnvironment("XDG_CONFIG_HOME=" + previousAppData_);
        else
            setEnvironment("XDG_CONFIG_HOME=");
    }

    // Points the stand-in's application-data folder (an internal path) at
    // folder; the Windows registry does not read it.
    static void setAppData(const std::string& folder) {
        setEnvironment("XDG_CONFIG_HOME=" + fsPath(folder).generic_string());
    }

    test::TemporaryFolder folder_{"registry"};
    std::string key_;

private:
    // The environment keeps the pointer, so every text given stays alive.
    static void setEnvironment(const std::string& assignment) {
        static std::list<std::string> texts;
        texts.push_back(assignment);
        putenv(texts.back().data());
    }

    bool hadAppData_ = false;
    std::string previousAppData_;
};

} // namespace test
