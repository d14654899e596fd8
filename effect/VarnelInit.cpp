#include "effect/VarnelInit.h"

void VarnelInit::fillPluginInfo(GenericPluginInfo& info) {
    info.pluginKind = GenericPluginInfo::kDelay;
    info.pluginFlags = kPluginFlags;
    info.pluginId = kPluginId;
    info.pluginName = kPluginName;
}
