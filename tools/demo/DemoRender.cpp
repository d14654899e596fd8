#include "tools/demo/DemoRender.h"

#include <algorithm>
#include <cmath>

DemoRender renderDemo(HostedPlugin& plugin, const DemoSignal& signal, uint32_t block) {
    DemoRender render;
    if (plugin.inputPortCount() == 0 || plugin.outputPortCount() == 0 || plugin.outputChannelCount(0) < 2) {
        render.error = "the plug-in has no stereo main output or no input";
        return render;
    }
    render.channels.assign(2, std::vector<float>(signal.frames(), 0.0f));
    HostEventList events;
    for (uint32_t start = 0; start < signal.frames(); start += block) {
        const uint32_t frames = std::min(block, signal.frames() - start);
        for (uint32_t port = 0; port < plugin.inputPortCount(); ++port)
            for (uint32_t channel = 0; channel < plugin.inputChannelCount(port); ++channel) {
                float* input = plugin.input(port, channel);
                const std::vector<float>* source = port != 0      ? nullptr
                                                   : channel == 0 ? &signal.left
                                                   : channel == 1 ? &signal.right
                                                                  : nullptr;
                for (uint32_t n = 0; n < frames; ++n)
                    input[n] = source ? (*source)[start + n] : 0.0f;
            }
        if (plugin.process(frames, events) == CLAP_PROCESS_ERROR) {
            render.error = "process failed at frame " + std::to_string(start);
            return render;
        }
        for (uint32_t channel = 0; channel < 2; ++channel) {
            const float* output = plugin.output(0, channel);
            for (uint32_t n = 0; n < frames; ++n) {
                if (!std::isfinite(output[n])) {
                    render.error = "output is not finite at frame " + std::to_string(start + n);
                    return render;
                }
                render.channels[channel][start + n] = output[n];
            }
        }
        plugin.pumpMainThread();
    }
    return render;
}
