#include "tools/testhost/HostStreams.h"

#include <algorithm>
#include <cstring>
#include <utility>

HostInputStream::HostInputStream(std::vector<uint8_t> bytes, uint64_t maxRead)
    : bytes_(std::move(bytes)), maxRead_(std::max<uint64_t>(maxRead, 1)) {
    stream_.ctx = this;
    stream_.read = [](const clap_istream_t* stream, void* buffer, uint64_t size) {
        return static_cast<HostInputStream*>(stream->ctx)->read(buffer, size);
    };
}

int64_t HostInputStream::read(void* buffer, uint64_t size) {
    ++calls_;
    if (failAt_ && position_ >= *failAt_) return -1;
    uint64_t count = std::min({size, maxRead_, static_cast<uint64_t>(bytes_.size()) - position_});
    if (failAt_) count = std::min(count, *failAt_ - position_);
    if (count > 0) {
        if (!buffer) return -1;
        std::memcpy(buffer, bytes_.data() + position_, count);
    }
    position_ += count;
    return static_cast<int64_t>(count);
}

HostOutputStream::HostOutputStream(uint64_t maxWrite) : maxWrite_(std::max<uint64_t>(maxWrite, 1)) {
    stream_.ctx = this;
    stream_.write = [](const clap_ostream_t* stream, const void* buffer, uint64_t size) {
        return static_cast<HostOutputStream*>(stream->ctx)->write(buffer, size);
    };
}

int64_t HostOutputStream::write(const void* buffer, uint64_t size) {
    ++calls_;
    if (failAt_ && bytes_.size() >= *failAt_) return -1;
    uint64_t count = std::min(size, maxWrite_);
    if (failAt_) count = std::min<uint64_t>(count, *failAt_ - bytes_.size());
    if (count > 0) {
        if (!buffer) return -1;
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        bytes_.insert(bytes_.end(), bytes, bytes + count);
    }
    return static_cast<int64_t>(count);
}
