#pragma once

// Named images for tests that load bitmaps by resource name: solid, opaque
// PNGs made at run time and added to the program's resources as one more
// table. Call it once per program for a set of names (a function-local
// static does); the table stays registered until the program ends.

#include "foundation/EmbeddedResources.h"
#include "foundation/FilePaths.h"
#include "foundation/StringUtils.h"
#include "gui/tests/GoldenImage.h"

#include <deque>
#include <string>
#include <vector>

namespace test {

struct SolidImage {
    std::string name; // a resource name; the extension is dropped as lookups do
    int pixelWidth;
    int pixelHeight;
    gui::Color color; // opaque
};

inline bool registerSolidImages(const std::vector<SolidImage>& images) {
    struct Store {
        std::deque<std::string> names, bytes;
        std::deque<std::vector<EmbeddedResource>> entries;
        std::deque<EmbeddedResourceTable> tables;
    };
    static Store store;
    gui::DeviceBacking backing;
    std::vector<EmbeddedResource>& entries = store.entries.emplace_back();
    for (const SolidImage& image : images) {
        gui::Bitmap bitmap(backing);
        bitmap.resize(image.pixelWidth, image.pixelHeight);
        bitmap.fillRect(bitmap.getRect(), image.color);
        const std::string& name = store.names.emplace_back(toUpperAscii(removeFileExtension(image.name)));
        const std::string& png = store.bytes.emplace_back(encodeOpaquePng(bitmap));
        entries.push_back({name.c_str(), reinterpret_cast<const unsigned char*>(png.data()), png.size()});
    }
    EmbeddedResourceTable& table =
        store.tables.emplace_back(EmbeddedResourceTable{entries.data(), entries.size(), nullptr});
    return registerResourceTable(table);
}

} // namespace test
