#pragma once

// The offscreen context of a GL test, current on the test's thread. A test
// that cannot make one fails (with the platform's reason); it never skips.

#include "gui/GLContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace test {

inline std::unique_ptr<gui::GLContext> makeCurrentContext(int width, int height,
                                                          gui::GLContext* shareWith = nullptr) {
    std::string error;
    auto context = gui::GLContext::createOffscreen(width, height, shareWith, &error);
    EXPECT_NE(context, nullptr) << "no OpenGL context: " << error;
    if (context == nullptr) return nullptr;
    EXPECT_TRUE(context->makeCurrent()) << "the context cannot be made current";
    return context;
}

// The frame's pixels, rows from the top, as r, g, b bytes per pixel.
struct FrameRgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    const std::uint8_t* at(int x, int y) const {
        return bytes.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    }
};

inline FrameRgb readFrame(int width, int height) {
    FrameRgb frame{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 4)};
    std::vector<std::uint8_t> rgba(frame.bytes.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glFinish();
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    frame.bytes.resize(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                frame.bytes[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3 + std::size_t(c)] =
                    rgba[(std::size_t(height - 1 - y) * std::size_t(width) + std::size_t(x)) * 4 +
                         std::size_t(c)];
    return frame;
}

} // namespace test
