#include "editor/tests/walk/IntegrityCheck.h"

#include "editor/ABButton.h"
#include "editor/ComponentButton.h"
#include "editor/tests/walk/ControlPicture.h"
#include "gui/Bitmap.h"
#include "gui/Button.h"
#include "gui/Canvas.h"
#include "gui/Image.h"
#include "gui/ImageLabel.h"
#include "gui/Knob.h"
#include "gui/Menu.h"
#include "gui/MultiLabel.h"
#include "gui/Overlay.h"
#include "gui/ScrollButton.h"
#include "gui/SelectButton.h"
#include "gui/Switch.h"
#include "gui/Text.h"
#include "gui/ToggleButton.h"
#include "gui/UserInterface.h"
#include "gui/tests/RecordingCanvas.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

namespace walk {

namespace {

// Geometry may stray this far (logical units) before it counts.
constexpr float kSlack = 0.5f;
// A picture differs when at least this many pixels do, by more than the
// tolerance in a channel.
constexpr int kDifferentPixels = 4;
constexpr int kPixelTolerance = 8;
// Pixels at least this opaque count as drawn where a rule looks at one
// spot (a face's edge, a caption's cover).
constexpr int kOpaque = 128;
// What lies behind a caption: the median of a band this many device pixels
// wide around it.
constexpr int kGroundBand = 3;
// Text pixels at least this opaque are ink: a cut that takes only fainter
// ones (the edge of a glyph's smoothing, empty leading) cuts nothing.
constexpr int kInk = 64;
// A later control at least this opaque over a caption covers it.
constexpr int kVeil = 16;
// A control no press reaches at its centre is tried at the centres of this
// many cells a side over what shows of it.
constexpr int kReachGrid = 5;

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0, double d = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

std::string rectText(const gui::Rect& r) {
    return format("(%g, %g) to (%g, %g)", r.left, r.top, r.right, r.bottom);
}

bool hasPixels(const gui::Bitmap& bitmap) {
    return bitmap.pixelWidth() > 0 && bitmap.pixelHeight() > 0;
}

// WCAG relative luminance of an opaque colour.
double luminance(const gui::Color& c) {
    auto linear = [](std::uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double contrast(const gui::Color& a, const gui::Color& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

gui::Color over(const gui::Color& top, double alpha, const gui::Color& below) {
    auto mix = [alpha](std::uint8_t t, std::uint8_t b) {
        return std::uint8_t(std::lround(b + (t - b) * alpha));
    };
    return gui::Color(mix(top.r, below.r), mix(top.g, below.g), mix(top.b, below.b), 255);
}

// The leaf items of a menu and its submenus, separators left out.
int leafItems(const gui::Menu& menu) {
    int count = 0;
    for (int i = 0; i < menu.itemCount(); ++i) {
        const gui::MenuItem* item = menu.itemAt(i);
        if (item == nullptr || item->isSeparator()) continue;
        count += item->itemCount() > 0 ? leafItems(*item) : 1;
    }
    return count;
}

// A text's leading number and what follows it (trimmed).
bool splitNumber(const std::string& text, double& number, std::string& rest) {
    const char* begin = text.c_str();
    char* end = nullptr;
    number = std::strtod(begin, &end);
    if (end == begin) return false;
    rest = std::string(end);
    rest.erase(0, rest.find_first_not_of(' '));
    return true;
}

// Whether a rendered text has ink outside the kept part (logical units of
// the bitmap): what a cut takes away.
bool inkOutside(const gui::IBitmap& bitmap, const gui::Rect& kept) {
    const gui::PixelRect pixels = bitmap.getPixelRect();
    const gui::Rect logical = bitmap.getRect();
    const std::uint32_t* data = bitmap.getPixels();
    if (data == nullptr || pixels.isEmpty() || !(logical.width() > 0.0f)) return false;
    const float s = float(pixels.width()) / logical.width();
    const int left = int(std::floor(kept.left * s)), top = int(std::floor(kept.top * s));
    const int right = int(std::ceil(kept.right * s)), bottom = int(std::ceil(kept.bottom * s));
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            if (x >= left && x < right && y >= top && y < bottom) continue;
            const std::uint32_t p = data[std::size_t(y) * std::size_t(pixels.width()) + std::size_t(x)];
            if (255 - int(p >> 24) > kInk) return true;
        }
    return false;
}

bool isInteractive(gui::Control& control) {
    return dynamic_cast<gui::ValueControl*>(&control) != nullptr;
}

// The icon a button shows in its current state, or null.
const gui::Bitmap* shownIcon(gui::Button& button) {
    const int index = button.on.getValue() ? 1 : 0;
    if (hasPixels(button.icon(index))) return &button.icon(index);
    gui::Button::Style* style = button.style();
    if (style != nullptr && hasPixels(style->stateBitmap(3 + index))) return &style->stateBitmap(3 + index);
    return nullptr;
}

} // namespace

const char* ruleName(Rule rule) {
    switch (rule) {
    case Rule::kSize:
        return "size";
    case Rule::kInsideParent:
        return "inside parent";
    case Rule::kFace:
        return "face";
    case Rule::kFaceFills:
        return "face fills";
    case Rule::kLabel:
        return "label";
    case Rule::kCaptionWhole:
        return "caption whole";
    case Rule::kCaptionReadable:
        return "caption readable";
    case Rule::kChoices:
        return "choices";
    case Rule::kToggleStates:
        return "toggle states";
    case Rule::kComponentStates:
        return "component states";
    case Rule::kOverlap:
        return "overlap";
    case Rule::kReach:
        return "reach";
    case Rule::kLettering:
        return "lettering";
    case Rule::kValueText:
        return "value text";
    case Rule::kExpectation:
        return "expectation";
    }
    return "?";
}

std::string describe(const Finding& finding) {
    return std::string(ruleName(finding.rule)) + ": " + finding.control + ": " + finding.detail;
}

IntegrityCheck::IntegrityCheck(const ControlWalk& walk, Hooks hooks)
    : walk_(walk), hooks_(std::move(hooks)) {}

void IntegrityCheck::add(Rule rule, const ShownControl& shown, const std::string& detail) {
    findings_.push_back({rule, shown.name, shown.control, detail});
}

bool IntegrityCheck::hasShownChildren(std::size_t index) const {
    const std::vector<ShownControl>& all = walk_.controls();
    return index + 1 < all.size() && all[index + 1].parent == static_cast<int>(index);
}

std::vector<Finding> IntegrityCheck::run() {
    findings_.clear();
    const std::vector<ShownControl>& all = walk_.controls();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const ShownControl& shown = all[i];
        checkGeometry(i);
        if (!hasShownChildren(i)) checkFace(i);
        checkLabel(shown);
        checkChoices(shown);
        checkValueText(shown);
        checkReach(shown);
    }
    checkCaptions();
    checkOverlaps();
    checkLettering();
    // Last: these change a state for a moment, and the editor may lay
    // parts out again meanwhile.
    for (const ShownControl& shown : all) {
        checkToggle(shown);
        checkComponent(shown);
    }
    return findings_;
}

const ControlPicture& IntegrityCheck::picture(std::size_t index) {
    auto it = pictures_.find(index);
    if (it == pictures_.end())
        it = pictures_.emplace(index, ControlPicture::of(*walk_.controls()[index].control)).first;
    return it->second;
}

void IntegrityCheck::checkGeometry(std::size_t index) {
    const ShownControl& shown = walk_.controls()[index];
    const gui::Rect& b = shown.bounds;
    if (!(b.width() > 0.0f) || !(b.height() > 0.0f)) {
        // A layout may collapse a control along one axis (a closed section,
        // a step beyond the count); one never sized is lost.
        if (!(b.width() > 0.0f) && !(b.height() > 0.0f))
            add(Rule::kSize, shown, format("%g x %g", b.width(), b.height()));
        return;
    }
    // Content scrolls past its viewport; art shows the part its panel holds.
    if (shown.scrolls || dynamic_cast<gui::Image*>(shown.control) != nullptr) return;
    // What the control draws (it may be larger than what it draws, as a
    // ring knob whose arc alone shows) lies inside its parent.
    const ControlPicture& p = picture(index);
    const gui::PixelRect box = p.opaqueBox();
    if (box.isEmpty()) return;
    const gui::Rect drawn(b.left + float(box.left) / p.scale, b.top + float(box.top) / p.scale,
                          b.left + float(box.right) / p.scale, b.top + float(box.bottom) / p.scale);
    const ShownControl* parent = walk_.parentOf(shown);
    const gui::Rect area = parent != nullptr ? parent->bounds
                                             : gui::Rect::fromXYWH(0.0f, 0.0f, walk_.root().width.getValue(),
                                                                   walk_.root().height.getValue());
    const float slack = kSlack + 1.0f / p.scale;
    const gui::Rect widened(area.left - slack, area.top - slack, area.right + slack, area.bottom + slack);
    if (!widened.containsRect(drawn))
        add(Rule::kInsideParent, shown,
            "draws " + rectText(drawn) + " past " +
                (parent != nullptr ? parent->kind : std::string("the root")) + " at " + rectText(area));
}

void IntegrityCheck::checkFace(std::size_t index) {
    const ShownControl& shown = walk_.controls()[index];
    if (shown.bounds.isEmpty() || (hooks_.drawsNothing && hooks_.drawsNothing(shown))) return;
    const ControlPicture& picture = this->picture(index);
    if (picture.opaqueBox().isEmpty()) {
        add(Rule::kFace, shown, "draws nothing");
        return;
    }
    // A stretched face reaches the button's far edges where its bitmap
    // reaches its own.
    auto* button = dynamic_cast<gui::Button*>(shown.control);
    if (button == nullptr || button->style() == nullptr || button->placedOnBackground() ||
        button->backgroundStyle.getValue() != gui::Button::BackgroundStyle::kStretch)
        return;
    gui::Bitmap* face = &button->style()->stateBitmap(0);
    if (!hasPixels(*face)) face = &button->style()->stateBitmap(1);
    if (!hasPixels(*face)) return;
    const float fw = face->width.getValue(), fh = face->height.getValue();
    const float w = shown.bounds.width(), h = shown.bounds.height();
    // How far in from its right edge (along its middle row) and from its
    // bottom edge (along its middle column) the face's drawing ends.
    const int pw = face->pixelWidth(), ph = face->pixelHeight();
    int right = pw - 1, bottom = ph - 1;
    while (right >= 0 && face->pixelAt(right, ph / 2).a <= kVeil)
        --right;
    while (bottom >= 0 && face->pixelAt(pw / 2, bottom).a <= kVeil)
        --bottom;
    const float s = face->getScale();
    const float ps = picture.scale;
    struct Probe {
        bool drawn;
        float x, y;
    };
    const Probe probes[] = {{right >= 0, w - (float(pw - right) - 0.5f) / s, h * 0.5f},
                            {bottom >= 0, w * 0.5f, h - (float(ph - bottom) - 0.5f) / s}};
    for (const Probe& p : probes) {
        if (!p.drawn) continue;
        const int x = std::clamp(int(p.x * ps), 0, picture.width - 1);
        const int y = std::clamp(int(p.y * ps), 0, picture.height - 1);
        if (picture.alphaAt(x, y) <= kVeil) {
            add(Rule::kFaceFills, shown,
                format("its %g x %g face leaves the %g x %g button bare", fw, fh, w, h));
            return;
        }
    }
}

void IntegrityCheck::checkLabel(const ShownControl& shown) {
    auto* button = dynamic_cast<gui::Button*>(shown.control);
    if (button == nullptr || shown.bounds.isEmpty()) return;
    if (hooks_.faceIsLabel && hooks_.faceIsLabel(shown)) return;
    const int lines = std::min(static_cast<int>(button->textLines().size()), button->lineCount.getValue());
    for (int i = 0; i < lines; ++i)
        if (!button->textLine(i)->text.getValue().empty()) return;
    if (shownIcon(*button) != nullptr || hasPixels(button->labelImage()) ||
        (button->on.getValue() && hasPixels(button->onLabelImage())))
        return;
    add(Rule::kLabel, shown, "shows no caption, icon or label image");
}

void IntegrityCheck::checkCaptions() {
    struct Caption {
        const ShownControl* owner;
        gui::Text* measured;
        std::vector<gui::Text*> drawn;
        // Drawn wherever its control draws a caption (a label may show
        // another text in its place).
        bool mustDraw;
    };
    std::vector<Caption> captions;
    for (const ShownControl& shown : walk_.controls()) {
        gui::Control& control = *shown.control;
        if (auto* button = dynamic_cast<gui::Button*>(&control)) {
            // An icon button leaves its text no room: it shows no caption.
            const gui::Bitmap* icon = shownIcon(*button);
            if (icon != nullptr &&
                button->width.getValue() - 2.0f * button->textPadding.getValue() - icon->width.getValue() <=
                    0.0f)
                continue;
            const int lines =
                std::min(static_cast<int>(button->textLines().size()), button->lineCount.getValue());
            auto* ab = dynamic_cast<ABButton*>(button);
            for (int i = 0; i < lines; ++i) {
                gui::Text* line = button->textLine(i);
                if (line->text.getValue().empty()) continue;
                std::vector<gui::Text*> drawn{line};
                if (ab != nullptr && ab->enabled.getValue())
                    drawn = {const_cast<gui::Text*>(&ab->labelPart(0)),
                             const_cast<gui::Text*>(&ab->labelPart(1))};
                captions.push_back({&shown, line, drawn, true});
            }
        } else if (auto* label = dynamic_cast<gui::MultiLabel*>(&control)) {
            for (int i = 0; i < label->lineCount.getValue(); ++i)
                if (gui::Text* text = label->text(i); text != nullptr && !text->text.getValue().empty())
                    captions.push_back({&shown, text, {text}, false});
        } else if (auto* imageLabel = dynamic_cast<gui::ImageLabel*>(&control)) {
            if (gui::Text* text = imageLabel->text(); text != nullptr && !text->text.getValue().empty())
                captions.push_back({&shown, text, {text}, false});
        }
        if (hooks_.captions) {
            std::vector<gui::Text*> more;
            hooks_.captions(control, more);
            for (gui::Text* text : more)
                if (text != nullptr && !text->text.getValue().empty())
                    captions.push_back({&shown, text, {text}, false});
        }
    }
    if (captions.empty()) return;

    // Where each text's bitmap lands in the window, clipped by its control
    // and every ancestor, and at what opacity.
    gui::Control& root = walk_.root();
    gui::UserInterface& ui = root.userInterface();
    const float scale = ui.deviceBacking().getScale();
    test::RecordingCanvas recording(scale);
    {
        gui::Canvas canvas(&recording);
        canvas.clip.setValue(root.localRect());
        canvas.opacity.setValue(255);
        root.render(canvas);
    }
    struct Drawn {
        gui::Rect area;
        gui::Point from; // where in the bitmap the drawn part starts
        int alpha;
    };
    std::map<const void*, Drawn> drawnAt;
    for (const test::Call& call : recording.calls)
        if (call.op == test::Op::kBitmap) drawnAt[call.object] = {call.rect, call.point, call.alpha};
    const ControlPicture window = ControlPicture::of(root);
    const float slack = 1.0f / scale + 0.01f;

    for (const Caption& caption : captions) {
        const ShownControl& shown = *caption.owner;
        const std::string& string = caption.measured->text.getValue();
        const std::string quoted = "'" + string.substr(0, string.find('\n')) + "'";
        // Content scrolled partly out of its viewport is cut on purpose.
        const bool whole = shown.seen == shown.bounds;
        // The measured width, on one unbounded line.
        if (caption.measured->lineStyle.getValue() != gui::Text::LineStyle::kWordWrap) {
            std::unique_ptr<gui::Text> free(ui.platformDelegate().createText());
            free->assignStyleAndText(*caption.measured, string);
            free->wrapWidth.setValue(0.0f);
            free->lineStyle.setValue(gui::Text::LineStyle::kSingleLine);
            const float natural = free->width();
            const float area = caption.measured->wrapWidth.getValue();
            const gui::IBitmap* unbounded = free->render();
            if (area > 0.0f && natural > area + slack && unbounded != nullptr &&
                inkOutside(*unbounded, gui::Rect(0.0f, 0.0f, area, unbounded->getRect().height())))
                add(Rule::kCaptionWhole, shown,
                    quoted + format(" is %.1f wide in a text area of %.1f", natural, area));
        }
        bool drawnAny = false;
        const Drawn* brightest = nullptr;
        const gui::Text* brightestText = nullptr;
        for (gui::Text* piece : caption.drawn) {
            const gui::IBitmap* bitmap = piece->render();
            if (bitmap == nullptr) continue;
            auto it = drawnAt.find(bitmap);
            if (it == drawnAt.end()) continue;
            drawnAny = true;
            const gui::Rect full = bitmap->getRect();
            const gui::Rect& area = it->second.area;
            const gui::Rect kept = area.offset(it->second.from - area.topLeft());
            if (whole && (area.width() < full.width() - slack || area.height() < full.height() - slack) &&
                inkOutside(*bitmap, kept)) {
                add(Rule::kCaptionWhole, shown,
                    quoted + format(" is cut to %.1f x %.1f of %.1f x %.1f", area.width(), area.height(),
                                    full.width(), full.height()));
            }
            if (brightest == nullptr || it->second.alpha * piece->color.getValue().a >
                                            brightest->alpha * brightestText->color.getValue().a) {
                brightest = &it->second;
                brightestText = piece;
            }
        }
        if (!drawnAny) {
            if (caption.mustDraw && whole) add(Rule::kCaptionWhole, shown, quoted + " is not drawn");
            continue;
        }
        // A dimmed caption of a disabled control, or one under a veil (a
        // dimmer, the learn overlay), is not there to be read; one under
        // another control is hidden.
        if (brightest->alpha < 255 && disabled(shown)) continue;
        if (const ShownControl* cover = coverOf(shown, brightest->area)) {
            if (isInteractive(*cover->control))
                add(Rule::kCaptionReadable, shown, quoted + " lies under " + cover->name);
            continue;
        }
        // The ground is what lies right around the text inside its own
        // control (a display's window, a button's face) where there is any,
        // else what lies around it in the window.
        gui::Color background = window.medianAround(brightest->area, kGroundBand, shown.seen);
        if (background.a == 0)
            background = window.medianAround(brightest->area, kGroundBand, root.localRect());
        if (background.a == 0) continue;
        const gui::Color color = brightestText->color.getValue();
        const double alpha = (color.a / 255.0) * (brightest->alpha / 255.0);
        const double ratio = contrast(over(color, alpha, background), background);
        if (ratio < hooks_.minimumContrast)
            add(Rule::kCaptionReadable, shown,
                quoted + format(" stands out %.2f:1 from its ground (%g, %g, %g)", ratio, background.r,
                                background.g, background.b));
    }
}

bool IntegrityCheck::disabled(const ShownControl& shown) const {
    for (const gui::Control* c = shown.control; c != nullptr; c = c->getParent())
        if (!c->enabled.getValue()) return true;
    return false;
}

const ShownControl* IntegrityCheck::coverOf(const ShownControl& shown, const gui::Rect& area) {
    const std::vector<ShownControl>& all = walk_.controls();
    const auto owner = static_cast<std::size_t>(&shown - all.data());
    const gui::Point centre((area.left + area.right) * 0.5f, (area.top + area.bottom) * 0.5f);
    for (std::size_t j = owner + 1; j < all.size(); ++j) {
        if (!all[j].seen.contains(centre)) continue;
        bool inside = false;
        for (int p = all[j].parent; p >= 0 && !inside; p = all[static_cast<std::size_t>(p)].parent)
            inside = static_cast<std::size_t>(p) == owner;
        if (inside) continue;
        const ControlPicture& cover = picture(j);
        const int x = int((centre.x - all[j].bounds.left) * cover.scale);
        const int y = int((centre.y - all[j].bounds.top) * cover.scale);
        if (x >= 0 && y >= 0 && x < cover.width && y < cover.height && cover.alphaAt(x, y) > kVeil)
            return &all[j];
    }
    return nullptr;
}

void IntegrityCheck::checkChoices(const ShownControl& shown) {
    auto* select = dynamic_cast<gui::SelectButton*>(shown.control);
    if (select == nullptr) return;
    const std::size_t choices = select->choices().size();
    if (choices == 0) {
        add(Rule::kChoices, shown, "has no choice");
        return;
    }
    const int listed = leafItems(select->menu());
    if (listed != static_cast<int>(choices))
        add(Rule::kChoices, shown, format("its menu lists %g of %g choices", listed, double(choices)));
}

void IntegrityCheck::checkToggle(const ShownControl& shown) {
    auto* toggle = dynamic_cast<gui::ToggleButton*>(shown.control);
    if (toggle == nullptr || shown.bounds.isEmpty()) return;
    const bool was = toggle->on.getValue();
    toggle->on.setValue(false);
    const ControlPicture off = ControlPicture::of(*toggle);
    toggle->on.setValue(true);
    const ControlPicture on = ControlPicture::of(*toggle);
    toggle->on.setValue(was);
    if (on.differingPixels(off, kPixelTolerance) < kDifferentPixels)
        add(Rule::kToggleStates, shown, "looks the same on and off");
}

void IntegrityCheck::checkComponent(const ShownControl& shown) {
    auto* button = dynamic_cast<ComponentButton*>(shown.control);
    if (button == nullptr || button->enableParameter() == nullptr || !hooks_.setParameter) return;
    AbstractPluginParameter& enable = *button->enableParameter();
    const float was = enable.getValue();
    hooks_.setParameter(enable, enable.getMax());
    const ControlPicture on = ControlPicture::of(*button);
    hooks_.setParameter(enable, enable.getMin());
    const ControlPicture off = ControlPicture::of(*button);
    hooks_.setParameter(enable, was);
    if (on.differingPixels(off, kPixelTolerance) < kDifferentPixels)
        add(Rule::kComponentStates, shown, "looks the same with its component off");
}

std::optional<gui::Point> firstReachingPoint(gui::Control& control, const gui::Rect& area,
                                             const std::function<bool(const gui::Point&)>& reaches) {
    if (area.isEmpty()) return std::nullopt;
    const gui::Point centre((area.left + area.right) * 0.5f, (area.top + area.bottom) * 0.5f);
    if (reaches(centre)) return centre;
    // A switch or slider takes presses on its handle.
    if (auto* slider = dynamic_cast<gui::Switch*>(&control)) {
        const gui::Rect handle = slider->handleRect();
        const gui::Point middle = slider->toRoot(
            gui::Point((handle.left + handle.right) * 0.5f, (handle.top + handle.bottom) * 0.5f));
        if (!handle.isEmpty() && reaches(middle)) return middle;
    }
    for (int row = 0; row < kReachGrid; ++row)
        for (int column = 0; column < kReachGrid; ++column) {
            const gui::Point p(area.left + area.width() * (float(column) + 0.5f) / float(kReachGrid),
                               area.top + area.height() * (float(row) + 0.5f) / float(kReachGrid));
            if (reaches(p)) return p;
        }
    return std::nullopt;
}

std::optional<gui::Point> reachPoint(const ControlWalk& walk, const ShownControl& shown) {
    return firstReachingPoint(*shown.control, shown.seen,
                              [&](const gui::Point& p) { return walk.reaches(*shown.control, p); });
}

void IntegrityCheck::checkReach(const ShownControl& shown) {
    const gui::Rect& seen = shown.seen;
    if (!isInteractive(*shown.control) || seen.isEmpty() || disabled(shown)) return;
    if (reachPoint(walk_, shown)) return;
    const gui::Point centre((seen.left + seen.right) * 0.5f, (seen.top + seen.bottom) * 0.5f);
    gui::Control* instead = walk_.pressedAt(centre);
    // An overlay laid over the window (MIDI learn) takes every press below
    // it by design: what it offers there is its own to check.
    for (const gui::Control* c = instead; c != nullptr; c = c->getParent())
        if (dynamic_cast<const gui::Overlay*>(c) != nullptr) return;
    // A scroll strip's own buttons lie over the ends of what it scrolls:
    // what stands under them is reached by scrolling it clear.
    if (auto* button = dynamic_cast<const gui::ScrollButton*>(instead))
        for (const gui::Control* c = shown.control; c != nullptr; c = c->getParent())
            if (c == button->getParent()) return;
    const ShownControl* other = walk_.find(instead);
    const std::string name = other != nullptr ? other->name : ControlWalk::kindOf(*instead);
    add(Rule::kReach, shown,
        format("no press reaches it; one at its centre (%g, %g) reaches ", centre.x, centre.y) + name);
}

void IntegrityCheck::checkOverlaps() {
    const std::vector<ShownControl>& all = walk_.controls();
    auto isKnob = [](const ShownControl& shown) {
        return dynamic_cast<gui::Knob*>(shown.control) != nullptr && !shown.bounds.isEmpty();
    };
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!isKnob(all[i])) continue;
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            if (all[j].parent != all[i].parent || !isKnob(all[j])) continue;
            const gui::Rect common = gui::intersection(all[i].bounds, all[j].bounds);
            if (common.isEmpty()) continue;
            const gui::Point ci((all[i].bounds.left + all[i].bounds.right) * 0.5f,
                                (all[i].bounds.top + all[i].bounds.bottom) * 0.5f);
            const gui::Point cj((all[j].bounds.left + all[j].bounds.right) * 0.5f,
                                (all[j].bounds.top + all[j].bounds.bottom) * 0.5f);
            if (std::fabs(ci.x - cj.x) <= 1.0f && std::fabs(ci.y - cj.y) <= 1.0f) continue;
            // Pixels that both draw.
            const ControlPicture& a = picture(i);
            const ControlPicture& b = picture(j);
            const float s = a.scale;
            int both = 0;
            for (int y = int(common.top * s); y < int(common.bottom * s); ++y)
                for (int x = int(common.left * s); x < int(common.right * s); ++x) {
                    const int ax = x - int(all[i].bounds.left * s), ay = y - int(all[i].bounds.top * s);
                    const int bx = x - int(all[j].bounds.left * s), by = y - int(all[j].bounds.top * s);
                    if (ax < 0 || ay < 0 || ax >= a.width || ay >= a.height || bx < 0 || by < 0 ||
                        bx >= b.width || by >= b.height)
                        continue;
                    if (a.alphaAt(ax, ay) >= kOpaque && b.alphaAt(bx, by) >= kOpaque) ++both;
                }
            if (both >= kDifferentPixels)
                add(Rule::kOverlap, all[j],
                    "overlaps " + all[i].name +
                        format(" off its centre by (%g, %g)", cj.x - ci.x, cj.y - ci.y));
        }
    }
}

void IntegrityCheck::checkLettering() {
    if (!hooks_.lettering) return;
    const std::vector<ShownControl>& all = walk_.controls();
    for (std::size_t i = 0; i < all.size(); ++i) {
        auto* image = dynamic_cast<gui::Image*>(all[i].control);
        if (image == nullptr) continue;
        const gui::Point origin = all[i].bounds.topLeft() + image->offset.getValue();
        for (const gui::Rect& letters : hooks_.lettering(*image)) {
            const gui::Rect area = gui::intersection(letters.offset(origin), all[i].seen);
            if (area.isEmpty()) continue;
            for (std::size_t j = i + 1; j < all.size(); ++j) {
                if (!isInteractive(*all[j].control)) continue;
                const gui::Rect common = gui::intersection(area, all[j].seen);
                if (common.isEmpty()) continue;
                const ControlPicture& picture = this->picture(j);
                const float s = picture.scale;
                int covered = 0;
                for (int y = int(common.top * s); y < int(common.bottom * s); ++y)
                    for (int x = int(common.left * s); x < int(common.right * s); ++x) {
                        const int px = x - int(all[j].bounds.left * s), py = y - int(all[j].bounds.top * s);
                        if (px >= 0 && py >= 0 && px < picture.width && py < picture.height &&
                            picture.alphaAt(px, py) >= kOpaque)
                            ++covered;
                    }
                if (covered >= kDifferentPixels)
                    add(Rule::kLettering, all[j],
                        "covers the lettering of " + all[i].name + " at " + rectText(area));
            }
        }
    }
}

void IntegrityCheck::checkValueText(const ShownControl& shown) {
    if (!hooks_.valueDisplay) return;
    AbstractPluginParameter* parameter = hooks_.valueDisplay(*shown.control);
    if (parameter == nullptr) return;
    const std::string shownText = ControlWalk::captionOf(*shown.control);
    const std::string expected = parameter->formatValue(parameter->getValue());
    double shownNumber = 0.0, expectedNumber = 0.0;
    std::string shownRest, expectedRest;
    const bool numbers =
        splitNumber(shownText, shownNumber, shownRest) && splitNumber(expected, expectedNumber, expectedRest);
    const bool same = numbers ? std::fabs(shownNumber - expectedNumber) <=
                                        1e-3 * std::max(1.0, std::fabs(expectedNumber)) &&
                                    shownRest == expectedRest
                              : shownText == expected;
    if (!same) add(Rule::kValueText, shown, "shows '" + shownText + "' for '" + expected + "'");
}

} // namespace walk
