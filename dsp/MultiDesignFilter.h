#pragma once

// MultiDesignFilter: the generic filter the product's filters are. It keeps
// a list of design slots, one per filter characteristic (all sharing one
// DesignFilter whose style is swapped) plus alternatives the owner appends
// (the product appends a biquad as its own unit), and re-chooses its unit
// whenever the characteristic index, the response or the slope changes. A
// slot whose unit cannot give the slope for the response gives way to the
// last slot (walking backwards) that can; when none can, the chosen slot
// stays. An index outside the slot list is clamped into it.
//
// Switching never allocates (the shared unit reserves four filters; a style
// swap is a pointer swap), so it may run on the audio thread when a
// parameter changes there. Styles are shared, read-only, and owned by the
// characteristic list (MultiDesignFilter::Style), which outlives the filters.

#include "dsp/BiQuadFilter.h"
#include "dsp/DesignFilter.h"
#include "dsp/GenericFilter.h"

#include <memory>
#include <vector>

class MultiDesignFilter : public GenericFilter {
public:
    // The characteristic list: owns its styles, in choice order.
    class Style {
    public:
        Style() = default;
        Style(const Style&) = delete;
        Style& operator=(const Style&) = delete;
        void add(std::unique_ptr<DesignFilter::Style> style) { styles_.push_back(std::move(style)); }
        int size() const noexcept { return int(styles_.size()); }
        const DesignFilter::Style* at(int index) const noexcept {
            return index >= 0 && index < size() ? styles_[std::size_t(index)].get() : nullptr;
        }

    private:
        std::vector<std::unique_ptr<DesignFilter::Style>> styles_;
    };

    // A filter position's shared units: owns a DesignFilter made from the
    // list's first style (for the characteristics) and a BiQuadFilter (for
    // the plain biquad the owner may offer as well), and refers to the whole
    // list.
    class ParallelUnit : public wave::Component {
    public:
        ParallelUnit(wave::Environment& environment, const Style& styles,
                     StateVariableFilter* partner = nullptr);
        ~ParallelUnit() override;
        DesignFilter& unit() noexcept { return *unit_; }
        BiQuadFilter& biquadUnit() noexcept { return *biquad_; }
        // Pairs each unit with the same kind of unit of the position after
        // this one (GenericFilter::computeTogether).
        void pairWith(ParallelUnit& next) noexcept;
        const Style& styles() const noexcept { return *styles_; }

    private:
        std::unique_ptr<DesignFilter> unit_;
        std::unique_ptr<BiQuadFilter> biquad_;
        const Style* styles_;
    };

    struct Slot {
        std::unique_ptr<FilterUnit> ownUnit; // owned; null when the slot uses the shared unit
        ParallelFilterUnit* sharedUnit;      // not owned
        int styleIndex;                      // -1: none
    };

    explicit MultiDesignFilter(wave::Environment& environment);
    // On a filter position's unit: its list, its design unit as the shared
    // design unit (not owned), one slot per style, not yet chosen.
    explicit MultiDesignFilter(ParallelUnit& unit);
    ~MultiDesignFilter() override;

    Property<int> characteristicIndex;

    void setStyles(const Style* styles) noexcept { styles_ = styles; }
    const Style* styles() const noexcept { return styles_; }
    void setDesignUnit(DesignFilter* unit, bool owned);
    DesignFilter* designUnit() const noexcept { return designUnit_; }

    // One slot per style of the list, using the shared design unit.
    void initStyleSlots();
    // Appends a slot; an own unit is owned by the filter from now on.
    void appendSlot(std::unique_ptr<FilterUnit> ownUnit, ParallelFilterUnit* sharedUnit, int styleIndex);
    int slotCount() const noexcept { return int(slots_.size()); }
    const Slot& slot(int index) const { return slots_[std::size_t(index)]; }

    // Chooses the unit (and style) for the current index, response and slope.
    void chooseDesign() noexcept;
    // The slot chosen last (-1 before the first choice).
    int chosenSlot() const noexcept { return chosen_; }

    void propertyChanged(AbstractProperty& property) override;

private:
    FilterUnit* unitOf(const Slot& slot) const noexcept {
        return slot.ownUnit ? slot.ownUnit.get() : static_cast<FilterUnit*>(slot.sharedUnit);
    }

    const Style* styles_ = nullptr;
    DesignFilter* designUnit_ = nullptr;
    bool ownsDesignUnit_ = false;
    std::vector<Slot> slots_;
    int chosen_ = -1;
};
