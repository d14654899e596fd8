#include "dsp/DisplaySources.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <istream>

static_assert(std::endian::native == std::endian::little, "records are read straight into float storage");

namespace {

// Bytes between the read position and the end of the reader's stream; -1
// when the stream has failed or cannot tell.
std::int64_t bytesLeft(BinaryDataReader& reader) {
    std::istream* s = reader.getStream();
    if (s == nullptr || !reader.isGood()) return -1;
    std::istream::pos_type here = s->tellg();
    if (here == std::istream::pos_type(-1)) return -1;
    s->seekg(0, std::ios::end);
    std::istream::pos_type end = s->tellg();
    s->seekg(here);
    if (end == std::istream::pos_type(-1) || !s->good()) return -1;
    return static_cast<std::int64_t>(end - here);
}

void failStream(BinaryDataReader& reader) {
    if (std::istream* s = reader.getStream()) s->setstate(std::ios::failbit);
}

} // namespace

// ------------------------------------------------------------ levels ---

float LevelSourceProxy::level(int index) const {
    if (index < 0 || index >= 5) return 0.0f;
    ScopedLock hold(*lock_);
    return levels_[index];
}

int LevelSourceProxy::info() const {
    ScopedLock hold(*lock_);
    return info_;
}

bool LevelSourceProxy::readLevels(BinaryDataReader& reader) {
    float levels[5];
    for (float& l : levels)
        l = reader.readFloat();
    std::int32_t info = reader.readInt32();
    if (!reader.isGood()) return false;
    ScopedLock hold(*lock_);
    std::copy(levels, levels + 5, levels_);
    info_ = info;
    return true;
}

// ---------------------------------------------------------- spectrum ---

const float* SpectrumSourceProxy::values() const {
    ScopedLock hold(*lock_);
    return values_.empty() ? nullptr : values_.data();
}

int SpectrumSourceProxy::valueCount() const {
    ScopedLock hold(*lock_);
    return static_cast<int>(values_.size());
}

int SpectrumSourceProxy::info() const {
    ScopedLock hold(*lock_);
    return info_;
}

bool SpectrumSourceProxy::readSpectrum(BinaryDataReader& reader) {
    std::int32_t info = reader.readInt32();
    std::uint32_t count = reader.readUInt32();
    std::int64_t left = bytesLeft(reader);
    if (left < 0 || static_cast<std::uint64_t>(count) * 4u > static_cast<std::uint64_t>(left)) {
        failStream(reader);
        return false;
    }
    ScopedLock hold(*lock_);
    record_.resize(count);
    if (count > 0 && !reader.readBytes(record_.data(), static_cast<std::size_t>(count) * 4u)) {
        record_.clear();
        return false;
    }
    info_ = info;
    bool fresh = fresh_.exchange(false);
    if (fresh || values_.size() != record_.size()) {
        values_ = record_;
    } else {
        for (std::size_t i = 0; i < values_.size(); ++i)
            values_[i] = std::max(values_[i], record_[i]);
    }
    return true;
}

// ------------------------------------------------------------- audio ---

void AudioSourceProxy::markRead() {
    ScopedLock hold(*lock_);
    readPosition_ = writePosition_;
}

int AudioSourceProxy::framesPerBlock() const {
    ScopedLock hold(*lock_);
    return frames_;
}

int AudioSourceProxy::channels() const {
    ScopedLock hold(*lock_);
    return channels_;
}

int AudioSourceProxy::capacity() const {
    ScopedLock hold(*lock_);
    return capacity_;
}

std::uint64_t AudioSourceProxy::totalBlocks() const {
    ScopedLock hold(*lock_);
    return total_;
}

float AudioSourceProxy::getSampleRate() const {
    ScopedLock hold(*lock_);
    return sampleRate_;
}

void AudioSourceProxy::setSampleRate(float rate) {
    ScopedLock hold(*lock_);
    if (rate != sampleRate_) {
        sampleRate_ = rate;
        rateChanged_ = true;
    }
}

const float* AudioSourceProxy::block(int index, int channel) const {
    ScopedLock hold(*lock_);
    if (storage_.empty() || channel < 0 || channel >= channels_) return nullptr;
    int entry = ((readPosition_ + index) % capacity_ + capacity_) % capacity_;
    std::size_t offset = (static_cast<std::size_t>(entry) * static_cast<std::size_t>(channels_) +
                          static_cast<std::size_t>(channel)) *
                         static_cast<std::size_t>(frames_);
    return storage_.data() + offset;
}

int AudioSourceProxy::available() const {
    ScopedLock hold(*lock_);
    return (writePosition_ - readPosition_ + capacity_) % capacity_;
}

int AudioSourceProxy::newBlocks(std::uint64_t* lastTotal, int* count) {
    ScopedLock hold(*lock_);
    int n = 0;
    if (lastTotal != nullptr) {
        if (*lastTotal <= total_)
            n = static_cast<int>(
                std::min<std::uint64_t>(total_ - *lastTotal, static_cast<std::uint64_t>(capacity_)));
        *lastTotal = total_;
    }
    if (count != nullptr) *count = n;
    return writePosition_ + 2 * capacity_ - n;
}

bool AudioSourceProxy::readAudio(BinaryDataReader& reader) {
    std::uint32_t channels = reader.readUInt32();
    std::uint32_t blocks = reader.readUInt32();
    std::uint32_t frames = reader.readUInt32();
    if (!reader.isGood()) return false;
    if (channels == 0 || blocks == 0 || frames == 0) return true;

    // Every size is checked before anything is re-sized: channels * frames
    // fits 64 bits, and the samples must be in the stream.
    std::int64_t left = bytesLeft(reader);
    std::uint64_t perBlock = static_cast<std::uint64_t>(channels) * frames;
    if (left < 0 || channels > kMaxChannels || frames > static_cast<std::uint64_t>(left) / 4u ||
        perBlock > static_cast<std::uint64_t>(left) / 4u / blocks) {
        failStream(reader);
        return false;
    }

    ScopedLock hold(*lock_);
    if (static_cast<int>(channels) != channels_ || static_cast<int>(frames) != frames_ || rateChanged_) {
        double quarter = std::trunc(std::clamp(static_cast<double>(sampleRate_), 0.0, 1.0e7) * 0.25);
        if (std::isnan(quarter)) quarter = 0.0;
        int capacity = static_cast<int>(std::ceil(quarter / static_cast<double>(frames)));
        capacity_ = std::max(capacity, 1);
        channels_ = static_cast<int>(channels);
        frames_ = static_cast<int>(frames);
        storage_.assign(static_cast<std::size_t>(capacity_) * perBlock, 0.0f);
        readPosition_ = 0;
        writePosition_ = 0;
        rateChanged_ = false;
    }
    total_ += blocks;
    std::size_t bytes = static_cast<std::size_t>(perBlock) * 4u;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        float* entry = storage_.data() + static_cast<std::size_t>(writePosition_) * perBlock;
        if (!reader.readBytes(entry, bytes)) return false;
        writePosition_ = (writePosition_ + 1) % capacity_;
    }
    return true;
}
