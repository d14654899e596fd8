#include "plugin/GenericPluginInstanceList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Instance : IGenericPluginInstance {
    Instance(std::string name, uint32_t index) : name(std::move(name)), index(index) {}
    const std::string& getInstanceName() const override { return name; }
    bool isInstance(uint32_t i) const override { return i != 0xFFFFFFFF && i == index; }
    std::string name;
    uint32_t index;
};

TEST(GenericPluginInstanceList, ClaimsKeepIndicesUnique) {
    Instance a("A", 0), b("B", 1);
    auto* list = new GenericPluginInstanceList(&a);
    list->addInstance(&b);
    EXPECT_TRUE(list->claimIndex(3));
    EXPECT_EQ(list->allocateIndex(), 4u);
    EXPECT_FALSE(list->claimIndex(1));
    // An index whose successor does not fit is refused.
    EXPECT_FALSE(list->claimIndex(0x7FFFFFFF));
    EXPECT_FALSE(list->claimIndex(0xFFFFFFFE));
    EXPECT_TRUE(list->claimIndex(0x7FFFFFFE));
    EXPECT_FALSE(list->removeInstance(&a));
    EXPECT_TRUE(list->removeInstance(&b)); // deleted itself
}

TEST(GenericPluginInstanceList, NaturalNameOrderAndSearch) {
    Instance nine("Echo 9", 0), ten("Echo 10", 1), plain("Echo", 2), other("echo 9", 3);
    auto* list = new GenericPluginInstanceList(&ten);
    list->addInstance(&nine);
    list->addInstance(&other);
    list->addInstance(&plain);
    list->sort();
    std::vector<std::string> names;
    for (int32_t i = 0; i < list->getCount(); ++i)
        names.push_back(list->getInstance(i)->getInstanceName());
    EXPECT_EQ(names, (std::vector<std::string>{"Echo", "Echo 9", "echo 9", "Echo 10"}));
    EXPECT_EQ(list->findByName("echo 9"), &other);
    EXPECT_EQ(list->findByName("Echo 9"), &nine);
    EXPECT_EQ(list->findByName("Echo 11"), nullptr);
    list->removeInstance(&nine);
    list->removeInstance(&ten);
    list->removeInstance(&plain);
    list->removeInstance(&other);
}

TEST(GenericPluginInstanceList, InstancesComeAndGoOnTwoThreads) {
    Instance anchor("Anchor", 1000000);
    auto* list = new GenericPluginInstanceList(&anchor);
    auto work = [list](int base) {
        for (int i = 0; i < 2000; ++i) {
            Instance instance("I" + std::to_string(base + i), 0xFFFFFFFF);
            list->addInstance(&instance);
            instance.index = list->allocateIndex();
            {
                ScopedLock hold(*list);
                list->findByName(instance.name);
                list->sort();
            }
            list->removeInstance(&instance);
        }
    };
    std::thread first(work, 0), second(work, 100000);
    first.join();
    second.join();
    EXPECT_EQ(list->getCount(), 1);
    EXPECT_EQ(list->allocateIndex(), 4000u);
    EXPECT_TRUE(list->removeInstance(&anchor));
}

} // namespace
