#include "gui/Shape.h"

#include "gui/Bitmap.h"
#include "gui/tests/TestInterface.h"

#include <gtest/gtest.h>

namespace gui {
namespace {

TEST(Shape, FrameFillsTheOuterLineAndTheFillTheInside) {
    test::TestInterface ui;
    const Color fill(0, 200, 0, 255), line(200, 0, 0, 255);
    Shape shape(ui, fill);
    shape.setBoundsXYWH(0, 0, 10, 10);
    shape.lineColor.setValue(line);
    shape.lineWidth.setValue(2.0f);
    Bitmap target(ui.deviceBacking());
    target.setSize(10, 10);
    shape.draw(target.getCanvas());
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inner = x >= 2 && x < 8 && y >= 2 && y < 8;
            EXPECT_EQ(target.pixelAt(x, y), inner ? fill : line) << x << "," << y;
        }
}

TEST(Shape, GradientCacheFollowsSizeScaleAndType) {
    test::TestInterface ui;
    Shape shape(ui, Color(0, 0, 0, 0));
    shape.setBoundsXYWH(0, 0, 10, 10);
    shape.lineWidth.setValue(2.0f);
    EXPECT_EQ(shape.gradientCache(), nullptr) << "no stops";
    shape.gradient.setValue(Gradient(Color(255, 0, 0, 255), Color(0, 0, 255, 255)));
    ASSERT_NE(shape.gradientCache(), nullptr);
    EXPECT_EQ(shape.gradientCache()->getRect(), Rect(0, 0, 6, 6));
    shape.setSize(20, 10);
    EXPECT_EQ(shape.gradientCache()->getRect(), Rect(0, 0, 16, 6));
    const Bitmap* before = shape.gradientCache();
    const Color top = before->pixelAt(0, 0);
    shape.gradientDirection.setValue(Direction::kDown); // rebuilt the other way round
    EXPECT_NE(shape.gradientCache()->pixelAt(0, 0), top);
    shape.lineWidth.setValue(5.0f); // no inner area
    EXPECT_EQ(shape.gradientCache(), nullptr);
    shape.lineWidth.setValue(1.0f);
    ASSERT_NE(shape.gradientCache(), nullptr);
    shape.gradientType.setValue(Shape::GradientType::kDirect);
    EXPECT_EQ(shape.gradientCache(), nullptr);
    // Drawn directly, the inner area still gets the gradient.
    Bitmap target(ui.deviceBacking());
    target.setSize(20, 10);
    shape.draw(target.getCanvas());
    EXPECT_GT(target.pixelAt(10, 5).a, 0);
}

TEST(Shape, GradientCacheFollowsTheScale) {
    test::TestInterface ui;
    auto* shape = new Shape(ui, Color(0, 0, 0, 0));
    shape->parent.setValue(&ui.root());
    shape->setBoundsXYWH(0, 0, 10, 10);
    shape->lineWidth.setValue(2.0f);
    shape->gradient.setValue(Gradient(Color(255, 0, 0, 255), Color(0, 0, 255, 255)));
    ASSERT_NE(shape->gradientCache(), nullptr);
    EXPECT_EQ(shape->gradientCache()->pixelWidth(), 6);
    ui.deviceBacking().setSystemScale(2.0f);
    ASSERT_NE(shape->gradientCache(), nullptr);
    EXPECT_EQ(shape->gradientCache()->pixelWidth(), 12);
    EXPECT_EQ(shape->gradientCache()->pixelAt(5, 11).a, 255) << "filled again at the new scale";
}

} // namespace
} // namespace gui
