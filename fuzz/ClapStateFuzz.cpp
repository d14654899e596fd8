// Hands arbitrary bytes to an instance's clap.state load, through a host
// stream that moves a few bytes per read (the first input byte sets how
// many). A load that succeeds saves again, and that state loads again.

#include "clap/ClapPluginAdapter.h"
#include "clap/ClapProduct.h"
#include "fuzz/FuzzModel.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

using fuzz::check;

class FuzzPlugin : public fuzz::FuzzModel {
public:
    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter pan{this, "Pan"};
};

class FuzzProcessor : public GenericPluginProcessor {
public:
    FuzzProcessor() {
        pluginId = "TsPl";
        pluginName = "Fuzz";
        initProcessing();
    }
    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter pan{this, "Pan"};
};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t step;
    size_t position = 0;
};

int64_t readSome(const clap_istream_t* stream, void* buffer, uint64_t size) {
    auto* reader = static_cast<Reader*>(stream->ctx);
    const size_t n = std::min({size_t(size), reader->step, reader->size - reader->position});
    std::memcpy(buffer, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<int64_t>(n);
}

int64_t writeAll(const clap_ostream_t* stream, const void* buffer, uint64_t size) {
    static_cast<std::string*>(stream->ctx)->append(static_cast<const char*>(buffer), size);
    return static_cast<int64_t>(size);
}

const clap_host_t host{CLAP_VERSION_INIT,
                       nullptr,
                       "fuzz",
                       "",
                       "",
                       "",
                       [](const clap_host_t*, const char*) -> const void* { return nullptr; },
                       [](const clap_host_t*) {},
                       [](const clap_host_t*) {},
                       nullptr};

ClapPluginAdapter& instance() {
    static std::unique_ptr<ClapPluginAdapter> adapter = [] {
        GenericPluginInfo info;
        clapProduct().fillInfo(info);
        auto made = std::make_unique<ClapPluginAdapter>(&host, nullptr, info);
        check(made->init());
        return made;
    }();
    return *adapter;
}

bool load(const uint8_t* data, size_t size, size_t step) {
    Reader reader{data, size, step};
    const clap_istream_t stream{&reader, readSome};
    return instance().loadState(&stream);
}

} // namespace

const ClapProduct& clapProduct() {
    static const ClapProduct product{[](GenericPluginInfo& info) {
                                         info.pluginId = "TsPl";
                                         info.pluginName = "Fuzz";
                                     },
                                     []() -> GenericPlugin* { return new FuzzPlugin(); },
                                     [](int32_t) -> GenericPluginProcessor* { return new FuzzProcessor(); }};
    return product;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t step = 1 + data[0] % 64;
    if (!load(data + 1, size - 1, step)) return 0;
    std::string saved;
    const clap_ostream_t out{&saved, writeAll};
    check(instance().saveState(&out));
    check(load(reinterpret_cast<const uint8_t*>(saved.data()), saved.size(), 4096));
    return 0;
}
