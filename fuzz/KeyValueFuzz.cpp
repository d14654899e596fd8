// Key=value text: any input ends with a status from 0 to 5 after at most one
// result per line, and every section and pair read is written back by the
// writer and read again unchanged.

#include "foundation/KeyValue.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Item {
    bool isSection;
    std::string key;
    std::string value;
};

std::vector<Item> readAll(std::istream& in, int32_t& status, size_t limit) {
    std::vector<Item> items;
    ::KeyValueReader reader(in);
    for (size_t i = 0; i <= limit; ++i) {
        std::string key = reader.readLine();
        if (!key.empty())
            items.push_back({false, key, reader.value()});
        else if (!reader.sectionName().empty())
            items.push_back({true, reader.sectionName(), {}});
        else
            break;
        if (i == limit) __builtin_trap(); // more results than lines
    }
    status = reader.status();
    if (status < 0 || status > 5) __builtin_trap();
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    int32_t status = 0;
    std::vector<Item> items = readAll(in, status, size + 1);

    std::stringstream copy;
    ::KeyValueWriter writer(copy, size % 2 ? "\r\n" : "\n");
    for (const Item& item : items) {
        if (item.isSection)
            writer.writeSection(item.key);
        else
            writer.writeString(item.key, item.value);
    }
    int32_t copyStatus = 0;
    std::vector<Item> again = readAll(copy, copyStatus, copy.str().size() + 1);
    if (copyStatus != 0 || again.size() != items.size()) __builtin_trap();
    for (size_t i = 0; i < items.size(); ++i)
        if (again[i].isSection != items[i].isSection || again[i].key != items[i].key ||
            again[i].value != items[i].value)
            __builtin_trap();
    return 0;
}
