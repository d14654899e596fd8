#pragma once

// Display sources on the model side. The processor writes levels, audio
// blocks and spectra into its display snapshot on the audio side; the model
// reads each record into one of these proxies on the exchange thread; the
// editor's displays read the proxies on the GUI thread. Requests travel the
// other way: the GUI sets request bits on a proxy, and the next exchange
// takes them (atomically, so none is lost) and hands them to the processor.
//
// Every proxy of a model shares one display-source lock (given at
// construction, not owned). Each operation takes it itself (the lock is
// re-entrant); a caller that keeps a pointer returned by block() or
// values() holds the lock (lock()/unlock()) for as long as it uses it.
//
// The record readers trust nothing: sizes are checked in 64-bit arithmetic
// against the bytes left in the stream before anything is re-sized, and a
// record that does not fit fails the stream and leaves the proxy as it was.
// Proxies never run on the audio thread.

#include "foundation/BinaryData.h"
#include "foundation/Lock.h"

#include <atomic>
#include <cstdint>
#include <vector>

class ILockedSource : public ILock {
public:
    virtual ~ILockedSource() = default;
};

class IAudioSource : public ILockedSource {
public:
    virtual int channels() const = 0;
    virtual int framesPerBlock() const = 0;
};

class IAudioSourceBuffer : public IAudioSource {
public:
    // Everything received so far counts as read.
    virtual void markRead() = 0;
    // The samples of one channel of the entry index places after the read
    // position (modulo the capacity); null when there is no such channel.
    virtual const float* block(int index, int channel) const = 0;
    // Entries between the read and the write position.
    virtual int available() const = 0;
    // count = the entries received since *lastTotal (at most the capacity; 0
    // without a last total or when it is ahead), *lastTotal = the total;
    // returns write position + 2 * capacity - count, an entry index (modulo
    // the capacity) of the first new entry that never goes negative.
    virtual int newBlocks(std::uint64_t* lastTotal, int* count) = 0;
};

class ILevelSource {
public:
    virtual ~ILevelSource() = default;
    virtual float level(int index) const = 0;
    virtual void requestBit0() = 0;
    virtual void requestBit1() = 0;
};

class SpectrumSource : public ILockedSource {
public:
    // Asks that the next record replaces the values instead of holding peaks.
    virtual void requestFresh() = 0;
    // The displayed values; null when there are none.
    virtual const float* values() const = 0;
    virtual int valueCount() const = 0;
    virtual int info() const = 0;
};

// Five levels and an int, as the processor writes them.
class LevelSourceProxy : public ILevelSource {
public:
    explicit LevelSourceProxy(ILock& lock) : lock_(&lock) {}

    float level(int index) const override;
    void requestBit0() override { requests_.fetch_or(1); }
    void requestBit1() override { requests_.fetch_or(2); }
    int info() const;

    // The request byte for the exchange; clears it.
    std::uint8_t takeRequests() { return requests_.exchange(0); }
    // Reads five floats and an int (24 bytes). False, with the proxy
    // unchanged, when the stream fails.
    bool readLevels(BinaryDataReader& reader);

private:
    ILock* lock_;
    int info_ = 1;
    float levels_[5] = {};
    std::atomic<std::uint8_t> requests_{0};
};

// A spectrum: an int, a count and count floats per record. The last record
// is kept as it came (lastRecord); the displayed values take a record whose
// count changed, or the first one after requestFresh, and otherwise keep the
// larger of the held and the new value at each position.
class SpectrumSourceProxy : public SpectrumSource {
public:
    explicit SpectrumSourceProxy(ILock& lock) : lock_(&lock) {}

    void lock() override { lock_->lock(); }
    void unlock() override { lock_->unlock(); }
    void requestFresh() override { fresh_.store(true); }
    const float* values() const override;
    int valueCount() const override;
    int info() const override;
    const std::vector<float>& lastRecord() const { return record_; }

    bool readSpectrum(BinaryDataReader& reader);

private:
    ILock* lock_;
    std::atomic<bool> fresh_{false};
    std::vector<float> record_;
    std::vector<float> values_;
    int info_ = 0;
};

// A ring of audio blocks holding about a quarter of a second.
class AudioSourceProxy : public IAudioSourceBuffer {
public:
    // Records with more channels than this are refused: with the rate it
    // bounds the ring (capacity * frames * channels floats).
    static constexpr std::uint32_t kMaxChannels = 64;

    explicit AudioSourceProxy(ILock& lock) : lock_(&lock) {}

    void lock() override { lock_->lock(); }
    void unlock() override { lock_->unlock(); }
    void markRead() override;
    int framesPerBlock() const override;
    const float* block(int index, int channel) const override;
    int available() const override;
    int channels() const override;
    int newBlocks(std::uint64_t* lastTotal, int* count) override;

    // The rate of the audio the processor sends (44100 until set); the ring
    // is re-sized for it with the next record.
    void setSampleRate(float rate);
    float getSampleRate() const;
    int capacity() const;
    std::uint64_t totalBlocks() const;

    // Reads one audio record: u32 channels, u32 block count, u32 frames per
    // block, then block count * channels arrays of frames floats. A record
    // with a zero field is read and ignored. A change of channels or frames
    // re-sizes the ring (emptying it). Returns false, failing the stream and
    // keeping the ring, when the stream fails or the record does not fit.
    bool readAudio(BinaryDataReader& reader);

private:
    ILock* lock_;
    int frames_ = 0;
    std::vector<float> storage_;
    int capacity_ = 1;
    int channels_ = 0;
    int readPosition_ = 0;
    float sampleRate_ = 44100.0f;
    bool rateChanged_ = false;
    std::uint64_t total_ = 0;
    int writePosition_ = 0;
};
