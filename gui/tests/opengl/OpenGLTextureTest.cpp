#include "gui/OpenGLTexture.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/DeviceBacking.h"
#include "gui/OpenGLRenderer.h"
#include "gui/PixelArithmetic.h"
#include "gui/tests/opengl/GLTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace gui {
namespace {

using test::makeCurrentContext;
using test::readFrame;

constexpr Color kRed(255, 0, 0);
constexpr Color kGreen(0, 255, 0);
constexpr Color kBlue(0, 0, 255);

// A renderer on a 32 x 16 context, and a 4 x 4 red bitmap drawn at (0, 0).
struct TextureRig {
    DeviceBacking backing;
    std::unique_ptr<GLContext> context = makeCurrentContext(32, 16);
    std::unique_ptr<OpenGLRenderer> renderer;
    std::unique_ptr<Bitmap> bitmap = std::make_unique<Bitmap>(backing);
    Canvas canvas;

    TextureRig() {
        if (context == nullptr) return;
        renderer = std::make_unique<OpenGLRenderer>(backing, *context);
        EXPECT_TRUE(renderer->initialize());
        canvas.setTarget(renderer.get());
        canvas.clip.setValue(Rect(0, 0, 32, 16));
        bitmap->setSize(4, 4);
        bitmap->getCanvas().fillRect({0, 0, 4, 4}, kRed);
    }
    ~TextureRig() {
        bitmap.reset();
        renderer.reset();
        if (context != nullptr) context->release();
    }
    bool ready() const { return renderer != nullptr; }

    // One frame with the bitmap at (0, 0); the colour of pixel (x, y) as r, g, b.
    Color frame(int x, int y) {
        renderer->setViewport({0, 0, 32, 16});
        canvas.drawBitmap(*bitmap, Point(0, 0), 255);
        const auto f = readFrame(32, 16);
        return Color(f.at(x, y)[0], f.at(x, y)[1], f.at(x, y)[2]);
    }
    // A pixel written behind the bitmap's back: no change reported.
    void writeUnreported(int x, int y, Color c) {
        bitmap->getPixels()[std::size_t(y) * std::size_t(bitmap->pixelWidth()) + std::size_t(x)] =
            pixel::premultiply(c);
    }
    unsigned textureName() const {
        auto* texture = dynamic_cast<OpenGLTexture*>(bitmap->getTexture());
        return texture != nullptr ? texture->name() : 0;
    }
};

TEST(OpenGLTextureTest, ABitmapUploadsOnceAndThenOnlyItsReportedRects) {
    TextureRig rig;
    ASSERT_TRUE(rig.ready());
    EXPECT_EQ(rig.frame(1, 1), kRed);
    ASSERT_NE(rig.textureName(), 0u);
    EXPECT_EQ(rig.bitmap->getChangeState(), BitmapChangeState::kUnchanged);

    // Unreported: the texture keeps the old pixel.
    rig.writeUnreported(1, 1, kBlue);
    EXPECT_EQ(rig.frame(1, 1), kRed);

    // One reported rect updates inside it only.
    rig.bitmap->getCanvas().fillRect({3, 2, 4, 4}, kGreen);
    EXPECT_EQ(rig.bitmap->getChangeState(), BitmapChangeState::kRects);
    const unsigned name = rig.textureName();
    EXPECT_EQ(rig.frame(3, 3), kGreen);
    EXPECT_EQ(rig.frame(3, 2), kGreen);
    EXPECT_EQ(rig.frame(1, 1), kRed);
    EXPECT_EQ(rig.textureName(), name);
}

TEST(OpenGLTextureTest, AResizedBitmapDrawsAtItsNewSize) {
    TextureRig rig;
    ASSERT_TRUE(rig.ready());
    EXPECT_EQ(rig.frame(1, 1), kRed);
    EXPECT_EQ(rig.frame(6, 1), Color(0, 0, 0));
    rig.bitmap->setSize(8, 4);
    rig.bitmap->getCanvas().fillRect({0, 0, 8, 4}, kGreen);
    EXPECT_EQ(rig.frame(6, 1), kGreen);
    EXPECT_EQ(rig.frame(1, 3), kGreen);
}

TEST(OpenGLTextureTest, ADestroyedBitmapsNameLivesUntilTheNextFrame) {
    TextureRig rig;
    ASSERT_TRUE(rig.ready());
    rig.frame(0, 0);
    const unsigned name = rig.textureName();
    ASSERT_EQ(glIsTexture(name), GL_TRUE);
    // A bitmap may die on another thread: it only queues its name.
    std::thread([&] { rig.bitmap.reset(); }).join();
    EXPECT_EQ(rig.renderer->textureList()->queuedCount(), 1);
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    rig.renderer->setViewport({0, 0, 32, 16});
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
    EXPECT_EQ(rig.renderer->textureList()->liveCount(), 0);
}

TEST(OpenGLTextureTest, AnOlderGenerationIsUploadedWholeAgainAndItsNameForgotten) {
    TextureRig rig;
    ASSERT_TRUE(rig.ready());
    rig.frame(0, 0);
    const unsigned old = rig.textureName();
    rig.writeUnreported(1, 1, kBlue);
    // A new context that does not share: every name is forgotten, none deleted.
    rig.renderer->forgetAllTextures();
    EXPECT_EQ(rig.frame(1, 1), kBlue);
    EXPECT_NE(rig.textureName(), old);
    rig.renderer->setViewport({0, 0, 32, 16});
    EXPECT_EQ(glIsTexture(old), GL_TRUE) << "a forgotten name is never deleted";
    EXPECT_EQ(rig.renderer->textureList()->queuedCount(), 0);

    // Deleting all textures (drawing stops for good) deletes the names.
    const unsigned current = rig.textureName();
    rig.renderer->deleteAllTextures();
    EXPECT_EQ(glIsTexture(current), GL_FALSE);
    rig.writeUnreported(2, 2, kGreen);
    EXPECT_EQ(rig.frame(2, 2), kGreen);
}

TEST(OpenGLTextureTest, ARendererOnASharingContextKeepsTheTextures) {
    TextureRig rig;
    ASSERT_TRUE(rig.ready());
    rig.frame(0, 0);
    const unsigned name = rig.textureName();
    rig.context->release();
    auto next = makeCurrentContext(32, 16, rig.context.get());
    ASSERT_NE(next, nullptr);
    ASSERT_TRUE(next->sharesObjects());
    auto renderer = std::make_unique<OpenGLRenderer>(rig.backing, *next, rig.renderer->textureList());
    ASSERT_TRUE(renderer->initialize());
    rig.renderer = std::move(renderer);
    rig.canvas.setTarget(rig.renderer.get());
    std::swap(rig.context, next);
    next.reset(); // the old context goes; its shared texture stays
    rig.writeUnreported(1, 1, kBlue);
    EXPECT_EQ(rig.frame(1, 1), kRed) << "the texture is not uploaded again";
    EXPECT_EQ(rig.textureName(), name);
}

TEST(OpenGLTextureTest, TheListQueuesOnlyNamesOfItsCurrentGeneration) {
    OpenGLTextureList list;
    list.add(5);
    list.add(6);
    list.release(5, list.generation());
    std::vector<unsigned> names;
    list.takeQueued(names);
    EXPECT_EQ(names, std::vector<unsigned>{5});
    const std::uint32_t old = list.generation();
    names.clear();
    list.dropAll(&names);
    EXPECT_EQ(names, std::vector<unsigned>{6});
    EXPECT_NE(list.generation(), old);
    list.release(6, old);
    EXPECT_EQ(list.queuedCount(), 0);
    EXPECT_EQ(list.liveCount(), 0);
}

TEST(OpenGLTextureTest, TexturesDyingOnAnotherThreadAreEachQueuedOnce) {
    // The drawing thread makes textures and takes the queue; another thread
    // destroys them, as bitmaps die outside the root lock.
    auto list = std::make_shared<OpenGLTextureList>();
    constexpr unsigned kCount = 4000;
    std::mutex handOver;
    std::vector<std::unique_ptr<OpenGLTexture>> doomed;
    std::atomic<bool> done{false};
    std::thread killer([&] {
        for (;;) {
            std::vector<std::unique_ptr<OpenGLTexture>> batch;
            {
                std::lock_guard<std::mutex> hold(handOver);
                batch.swap(doomed);
            }
            if (batch.empty() && done.load()) return;
            batch.clear();
            std::this_thread::yield();
        }
    });
    std::vector<unsigned> taken;
    for (unsigned name = 1; name <= kCount; ++name) {
        list->add(name);
        auto texture = std::make_unique<OpenGLTexture>(list, name, list->generation());
        std::lock_guard<std::mutex> hold(handOver);
        doomed.push_back(std::move(texture));
        if (name % 64 == 0) list->takeQueued(taken);
    }
    done = true;
    killer.join();
    list->takeQueued(taken);
    std::sort(taken.begin(), taken.end());
    ASSERT_EQ(taken.size(), std::size_t(kCount));
    for (unsigned i = 0; i < kCount; ++i)
        EXPECT_EQ(taken[i], i + 1);
    EXPECT_EQ(list->liveCount(), 0);
}

} // namespace
} // namespace gui
