#pragma once

// The effect's list of filter characteristics, in the order of the filter
// sets' "Characteristic" values (the ten resource files with their drive
// factors; "Clean" is each filter's own biquad after them). Built once per
// process by the first processor, on the main thread.

#include "dsp/MultiDesignFilter.h"

#include <memory>

std::unique_ptr<MultiDesignFilter::Style> makeFilterCharacteristicList();
