#pragma once

// The streams the test host hands to state save and load. Like a careful
// host they move few bytes per call (at most 17 per read and 23 per write by
// default), so a plug-in that assumes one call moves everything fails. A
// stream can be told to fail (-1) once its position reaches a given offset.

#include "clap/ClapAbi.h"

#include <cstdint>
#include <optional>
#include <vector>

class HostInputStream {
public:
    static constexpr uint64_t kDefaultMaxRead = 17;

    explicit HostInputStream(std::vector<uint8_t> bytes, uint64_t maxRead = kDefaultMaxRead);
    HostInputStream(const HostInputStream&) = delete;
    HostInputStream& operator=(const HostInputStream&) = delete;

    void failAt(uint64_t offset) { failAt_ = offset; }
    const clap_istream_t* clapStream() const { return &stream_; }
    uint64_t position() const { return position_; }
    uint32_t calls() const { return calls_; }

private:
    int64_t read(void* buffer, uint64_t size);

    std::vector<uint8_t> bytes_;
    uint64_t maxRead_;
    uint64_t position_ = 0;
    uint32_t calls_ = 0;
    std::optional<uint64_t> failAt_;
    clap_istream_t stream_;
};

class HostOutputStream {
public:
    static constexpr uint64_t kDefaultMaxWrite = 23;

    explicit HostOutputStream(uint64_t maxWrite = kDefaultMaxWrite);
    HostOutputStream(const HostOutputStream&) = delete;
    HostOutputStream& operator=(const HostOutputStream&) = delete;

    void failAt(uint64_t offset) { failAt_ = offset; }
    const clap_ostream_t* clapStream() const { return &stream_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    uint32_t calls() const { return calls_; }

private:
    int64_t write(const void* buffer, uint64_t size);

    std::vector<uint8_t> bytes_;
    uint64_t maxWrite_;
    uint32_t calls_ = 0;
    std::optional<uint64_t> failAt_;
    clap_ostream_t stream_;
};
