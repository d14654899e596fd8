#include "clap/ClapProcessorReports.h"

#include "plugin/GenericPluginProcessor.h"

#include <algorithm>

void ClapProcessorReports::recordTail(GenericPluginProcessor& processor) {
    const int32_t samples = processor.getTailLength();
    tail_.store(samples < 0 ? kEndlessTail : static_cast<uint32_t>(samples), std::memory_order_relaxed);
}

uint32_t ClapProcessorReports::latency(const GenericPluginProcessor& processor) {
    return static_cast<uint32_t>(std::max(processor.getLatency(), 0));
}

bool ClapProcessorReports::offersGainMetering(const GenericPluginProcessor& processor) {
    return processor.getGainReductionMeterIndex() >= 0;
}

double ClapProcessorReports::gainAdjustment(const GenericPluginProcessor& processor) {
    const int32_t index = processor.getGainReductionMeterIndex();
    const auto& sources = processor.getLevelSources();
    if (index < 0 || static_cast<size_t>(index) >= sources.size() ||
        sources[static_cast<size_t>(index)] == nullptr)
        return 0.0;
    float value = sources[static_cast<size_t>(index)]->level(0);
    const int32_t stride = processor.getLevelSourcesPerChannel();
    if (index < stride) {
        for (int32_t channel = 1; channel < processor.getNumChannels(); ++channel) {
            const size_t next = static_cast<size_t>(index + channel * stride);
            if (next >= sources.size() || sources[next] == nullptr) break;
            value = std::min(value, sources[next]->level(0));
        }
    }
    return static_cast<double>(value);
}
