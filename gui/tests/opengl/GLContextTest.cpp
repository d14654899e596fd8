#include "gui/GLContext.h"

#include "gui/tests/opengl/GLTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace gui {
namespace {

using test::makeCurrentContext;
using test::readFrame;

void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

TEST(GLContextTest, AnOffscreenContextDrawsAndReadsBack) {
    auto context = makeCurrentContext(32, 16);
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(context->isOffscreen());
    EXPECT_EQ(context->surfaceWidth(), 32);
    EXPECT_FALSE(context->sharesObjects());
    ASSERT_NE(glGetString(GL_VERSION), nullptr);
    glViewport(0, 0, 32, 16);
    clearTo(1.0f, 0.0f, 0.0f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(31, 15, 1, 1); // the top-right pixel
    clearTo(0.0f, 0.0f, 1.0f);
    glDisable(GL_SCISSOR_TEST);
    auto frame = readFrame(32, 16);
    EXPECT_EQ(frame.at(0, 0)[0], 255);
    EXPECT_EQ(frame.at(31, 0)[2], 255);
    EXPECT_EQ(frame.at(31, 0)[0], 0);
    EXPECT_TRUE(context->swapBuffers());
    context->release();
}

TEST(GLContextTest, EntryPointsAreFoundByName) {
    auto context = makeCurrentContext(8, 8);
    ASSERT_NE(context, nullptr);
    for (const char* name :
         {"glActiveTexture", "glClientActiveTexture", "glMultiTexCoord2f", "glBindTexture"})
        EXPECT_NE(context->getProcAddress(name), nullptr) << name;
    context->setSwapInterval(0); // answered either way; must not fail the context
    EXPECT_TRUE(context->makeCurrent());
    context->release();
}

TEST(GLContextTest, ASharingContextKnowsTheTexturesOfThePreviousOne) {
    auto first = makeCurrentContext(8, 8);
    ASSERT_NE(first, nullptr);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const std::uint32_t pixel = 0xFF00FF00u;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    glFinish();
    first->release();

    auto shared = makeCurrentContext(8, 8, first.get());
    ASSERT_NE(shared, nullptr);
    EXPECT_TRUE(shared->sharesObjects());
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    shared->release();

    auto alone = makeCurrentContext(8, 8);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
    alone->release();

    // The texture outlives the context that made it while a sharing one lives.
    first.reset();
    ASSERT_TRUE(shared->makeCurrent());
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    glDeleteTextures(1, &name);
    shared->release();
}

TEST(GLContextTest, AContextMadeOnOneThreadDrawsOnAnother) {
    std::string error;
    auto context = GLContext::createOffscreen(16, 16, nullptr, &error);
    ASSERT_NE(context, nullptr) << error;
    std::uint8_t red = 0;
    bool current = false;
    std::thread drawer([&] {
        current = context->makeCurrent();
        if (!current) return;
        glViewport(0, 0, 16, 16);
        clearTo(1.0f, 0.0f, 0.0f);
        red = readFrame(16, 16).at(8, 8)[0];
        context->release();
    });
    drawer.join();
    EXPECT_TRUE(current);
    EXPECT_EQ(red, 255);
}

TEST(GLContextTest, AResizedSurfaceHoldsTheNewSize) {
    auto context = makeCurrentContext(8, 8);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(context->resizeSurface(40, 20));
    EXPECT_EQ(context->surfaceWidth(), 40);
    EXPECT_EQ(context->surfaceHeight(), 20);
    ASSERT_TRUE(context->makeCurrent());
    glViewport(0, 0, 40, 20);
    clearTo(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(readFrame(40, 20).at(39, 19)[1], 255);
    EXPECT_FALSE(context->resizeSurface(0, 5));
    context->release();
}

TEST(GLContextTest, AnEmptySurfaceIsRefusedWithAReason) {
    std::string error;
    EXPECT_EQ(GLContext::createOffscreen(0, 10, nullptr, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace gui
