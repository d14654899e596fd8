#include "editor/BitmapParameterGhostControl.h"

#include "foundation/FilePaths.h"
#include "foundation/ModuleResources.h"
#include "gui/Canvas.h"

BitmapParameterGhostControl::BitmapParameterGhostControl(gui::DeviceBacking& backing,
                                                         std::uint32_t parameterIndex)
    : bitmap_(backing) {
    storedIndex = parameterIndex;
}

BitmapParameterGhostControl::~BitmapParameterGhostControl() = default;

void BitmapParameterGhostControl::loadBitmap(const std::string& name) {
    if (name.empty() || !(resourceExists(name) || resourceExists(addDoubleScaleSuffix(name)))) return;
    bitmap_.load(name);
}

void BitmapParameterGhostControl::draw(gui::Canvas& canvas) {
    canvas.drawBitmap(bitmap_, getRect().topLeft(), 255);
}
