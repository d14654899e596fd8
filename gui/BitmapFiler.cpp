#include "gui/BitmapFiler.h"

#include <algorithm>

namespace gui {

namespace {

std::vector<BitmapFilerFactory*>& factoryList() {
    static std::vector<BitmapFilerFactory*> list;
    return list;
}

} // namespace

const std::vector<BitmapFilerFactory*>& bitmapFilerFactories() {
    return factoryList();
}

void registerBitmapFilerFactory(BitmapFilerFactory* factory) {
    auto& list = factoryList();
    if (factory == nullptr || std::find(list.begin(), list.end(), factory) != list.end()) return;
    list.push_back(factory);
}

void unregisterBitmapFilerFactory(BitmapFilerFactory* factory) {
    auto& list = factoryList();
    list.erase(std::remove(list.begin(), list.end(), factory), list.end());
}

} // namespace gui
