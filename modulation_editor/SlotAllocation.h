#pragma once

// allocateSlots: fills new modulation slots, one per target, with a source.
// The slot list grows: the new slots follow the count in use (empty listed
// slots are not reused), all of them or none. The capacity is the smaller
// of the matrix's slot count and the count parameter's maximum.
//
// Threading: GUI thread only.

#include <cstdint>
#include <vector>

class AbstractSlotController;

// The text of the information box when the slots do not fit.
inline constexpr const char* kNoFreeSlotsText =
    "No free slots are available. Clear one or more slots and try again.";

// Fills slots count .. count + n - 1 with the source, each target in turn
// (~0: no target), the neutral level, bypass and invert off, in one update of
// the matrix, and sets the count parameter to the new count (a plain value).
// Returns the controller's listed count before the first new slot, or ~0
// when the slots do not fit (nothing changes; the caller tells the user).
// The caller refreshes and stores the undo step.
std::uint32_t allocateSlots(AbstractSlotController& slots, std::int32_t source,
                            const std::vector<std::uint32_t>& targets);
