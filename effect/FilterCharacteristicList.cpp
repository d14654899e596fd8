#include "effect/FilterCharacteristicList.h"

#include "dsp/FilterCharacteristics.h"

std::unique_ptr<MultiDesignFilter::Style> makeFilterCharacteristicList() {
    auto list = std::make_unique<MultiDesignFilter::Style>();
    for (const auto& characteristic : kFilterCharacteristics)
        list->add(std::make_unique<DesignFilter::Style>(characteristic.file, characteristic.drive));
    return list;
}
