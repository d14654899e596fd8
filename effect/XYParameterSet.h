#pragma once

// One XY controller's parameters ("XY Controller 1" .. "XY Controller 4"):
// " Hor" and " Ver", -1..1, default 0. Controller k is modulation sources
// 2k (horizontal) and 2k + 1 (vertical).

#include "effect/SourceParameterSetList.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>

class XYParameterSet : public PluginParameterSet {
public:
    XYParameterSet(GenericParameterOwner* owner, std::int32_t position);

    void setupParameterInfo() override;
    std::int32_t getPosition() const { return position_; }

    FloatPluginParameter hor;
    FloatPluginParameter ver;

private:
    std::int32_t position_;
};

using XYParameterSetList = SourceParameterSetList<XYParameterSet>;
