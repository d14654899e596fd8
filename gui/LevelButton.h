#pragma once

// A float value button that shows its value as a level bar drawn over its
// background. The bar runs from the left edge to
//   levelOffset + 2 * levelMargin + (width - levelOffset - 2 * levelMargin) * f,
// f being the value's fraction of the range, centred vertically on the level
// bitmap (style holder 3; holder 4 when highlighted or pressed, else 3).
//
// Two images are cached, the normal look with its bar and the highlighted
// one; they are rendered again only inside draw, after a change of the
// value, the range, the level settings, the style, the bounds or the scale.
//
// Threading: GUI thread only; draw runs under the root lock and is the only
// place that renders the images.

#include "gui/Bitmap.h"
#include "gui/FloatValueButton.h"

#include <memory>

namespace gui {

class LevelButton : public FloatValueButton {
public:
    LevelButton(UserInterface& userInterface, Style* style);
    ~LevelButton() override;

    Property<bool> plainLevel; // the bitmap's left part at its own size, not stretched
    Property<float> levelMargin;
    Property<int> levelOffset;
    Property<bool> showLevel;

    void componentDeleted(Component* component) override;
    void paintContents(Canvas& canvas) override;
    void draw(Canvas& canvas) override;
    void boundsChanged() override;
    void scaleChanged() override;
    void valueControlPropertyChanged(AbstractProperty& property) override;
    void setStyle(Style* style) override;

    // The x where the bar ends.
    float levelEnd() const;
    const Bitmap& normalImage() const { return *normalImage_; }
    const Bitmap& highlightedImage() const { return *highlightedImage_; }
    // How often the two images were rendered.
    int renderCount() const { return renderCount_; }

private:
    void invalidateImages();
    void renderImages();
    void drawLevel(Canvas& canvas, const Bitmap& level, int alpha);
    void paintLevel(Canvas& canvas);

    std::unique_ptr<Bitmap> normalImage_;
    std::unique_ptr<Bitmap> highlightedImage_;
    bool stale_ = true;
    int renderCount_ = 0;
};

} // namespace gui
