#pragma once

// What an instance reports to the host about its processor through
// clap.latency, clap.tail and clap.gain-adjustment-metering/0.
//
// The tail is the one the processor reported when the instance last built
// its port list (so the host sees one value between port rebuilds); a
// negative tail (a delay that may ring for ever, or one that never sleeps)
// is reported as endless. Main thread, except the metering read, which
// hosts may make from any thread and which only reads the meters.

#include "clap/ClapAbi.h"

#include <atomic>
#include <cstdint>

class GenericPluginProcessor;

class ClapProcessorReports {
public:
    // The tail the host takes as endless.
    static constexpr uint32_t kEndlessTail = 0x7FFFFFFF;

    // At each rebuild of the port list.
    void recordTail(GenericPluginProcessor& processor);
    // clap.tail get: the recorded tail in samples.
    uint32_t tail() const { return tail_.load(std::memory_order_relaxed); }

    // clap.latency get: the processor's latency in samples.
    static uint32_t latency(const GenericPluginProcessor& processor);

    // Whether clap.gain-adjustment-metering/0 is offered: only for a
    // processor that names a gain-reduction meter.
    static bool offersGainMetering(const GenericPluginProcessor& processor);
    // clap.gain-adjustment-metering get: the meter's value, the smallest over
    // the layout's channels for a per-channel meter; 0 without a meter.
    static double gainAdjustment(const GenericPluginProcessor& processor);

private:
    std::atomic<uint32_t> tail_{kEndlessTail};
};
