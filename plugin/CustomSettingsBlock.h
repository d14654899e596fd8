#pragma once

// The custom settings block "CuSV", little-endian, strings as u32 length and
// bytes: "CuSV", u32 version 1 (not checked on reading), i32 pair count
// (negative is an error), then the pairs (key, value) in ascending key
// order. In a host-state chunk the last pair is "_PerTrackIndex" with the
// per-track index as "%d"; in presets it is left out.
//
// The block is optional: without the tag nothing is consumed. Reading
// collects into this value; the caller applies it only when the whole block
// was read. A repeated key keeps its first value.

#include "foundation/BinaryData.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

struct CustomSettingsBlock {
    static constexpr const char* kTag = "CuSV";
    static constexpr uint32_t kVersion = 1;
    // The key of the per-track index.
    static constexpr const char* kPerTrackIndexKey = "_PerTrackIndex";

    bool present = false;
    std::map<std::string, std::string> values;
    bool hasPerTrackIndex = false;
    uint32_t perTrackIndex = 0xFFFFFFFF;

    // False for a negative count or a block that ends early.
    static bool read(BinaryDataReader& reader, CustomSettingsBlock& block);
    // What follows the tag: the version, the count and the pairs, each handed
    // to take(key, value) in file order. False for a negative count or a
    // block that ends early.
    template <typename Take> static bool readPairs(BinaryDataReader& reader, Take&& take) {
        reader.readUInt32();
        const int32_t count = reader.readInt32();
        if (!reader.isGood() || count < 0) return false;
        for (int32_t i = 0; i < count; ++i) {
            std::string key = reader.readString();
            std::string value = reader.readString();
            if (!reader.isGood()) return false;
            take(std::move(key), std::move(value));
        }
        return true;
    }
    // perTrackIndex is written only when withPerTrackIndex is set.
    static void write(BinaryDataWriter& writer, const std::map<std::string, std::string>& values,
                      bool withPerTrackIndex, uint32_t perTrackIndex);
    // "%d" of a text ("12abc" gives 12); 0xFFFFFFFF when there is no number.
    static uint32_t parsePerTrackIndex(const std::string& text);
};
