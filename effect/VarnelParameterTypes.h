#pragma once

// The enumerations behind the effect's switches and choice parameters. The
// numbers are stored in presets and the parameter state block; never
// renumber them. DelaySync lives with the delay time controller.

#include "effect/DelayTimeController.h"

#include <cstdint>

// "Feedback Invert": "Normal,Inverted" (feedback gain sign +1 / -1).
enum class FeedbackInvert : std::int32_t { kNormal = 0, kInverted = 1 };

// "Feedback Link" and "Delay Link": "Separate,Linked".
enum class DelayLinkState : std::int32_t { kSeparate = 0, kLinked = 1 };

// "Filter Routing": "Serial,Parallel,Per Channel".
enum class FilterRouting : std::int32_t { kSerial = 0, kParallel = 1, kPerChannel = 2 };

// "Channel Mode": "Left/Right,Mid/Side".
enum class ChannelMode : std::int32_t { kLeftRight = 0, kMidSide = 1 };

// "Audition Signal": "Output,Input,Side Chain".
enum class AuditionSignal : std::int32_t { kOutput = 0, kInput = 1, kSideChain = 2 };

// A filter set's " Characteristic", in the order of its value names.
enum class FilterCharacteristic : std::int32_t {
    kZentorPrime = 0,
    kGentle = 1,
    kRaw = 2,
    kTube = 3,
    kMetal = 4,
    kEasyGoing = 5,
    kSmooth = 6,
    kHard = 7,
    kHollow = 8,
    kExtreme = 9,
    kClean = 10,
};

// A filter set's " Response": "LP,HP,BP".
enum class FilterResponse : std::int32_t { kLowPass = 0, kHighPass = 1, kBandPass = 2 };

// A filter set's " Slope": "12,24,48" (index i is the filter's slope i + 1).
enum class FilterSlope : std::int32_t { kSlope12 = 0, kSlope24 = 1, kSlope48 = 2 };

// An XLFO set's " Sync Mode": "Free,16,8,4,2,1,1/2,1/4,1/8,1/16,1/32,1/64".
enum class XLFOSyncMode : std::int32_t {
    kFree = 0,
    k16 = 1,
    k8 = 2,
    k4 = 3,
    k2 = 4,
    k1 = 5,
    kHalf = 6,
    kQuarter = 7,
    kEighth = 8,
    kSixteenth = 9,
    kThirtySecond = 10,
    kSixtyFourth = 11,
};

// An EG set's " Triggering": "Normal Input,Side Chain,MIDI".
enum class EGTriggering : std::int32_t { kNormalInput = 0, kSideChain = 1, kMidi = 2 };

// An EF set's "Input": "Normal Input,Side Chain".
enum class EFInput : std::int32_t { kNormalInput = 0, kSideChain = 1 };
