#pragma once

// MidiLearnMode: the editor's MIDI-learn state: whether the mode is on, the
// armed learn identifier and the overlay (linked: it dies with the tree or
// by its own posted message, and is then forgotten).
//
// The model tells the editor of every controller it sees while an editor
// is open (GenericPlugin::kMidiControllerSeen); controllerSeen maps it only
// while a live, shown overlay has an identifier armed, and only for a
// controller in 0..127 and an identifier of a parameter or a MIDI virtual
// parameter. Leaving the mode
// (the button, Close, the editor closing, the overlay dying) disarms, so a
// later controller takes nothing over.
//
// Threading: GUI thread only (the armed identifier is never read elsewhere).

#include "gui/Component.h"

#include <cstdint>
#include <string>

class GenericPluginInterface;
class MidiLearnController;

class MidiLearnMode : public gui::Component {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    explicit MidiLearnMode(GenericPluginInterface& owner);
    ~MidiLearnMode() override;

    bool isActive() const { return active_; }
    // On: the help hint goes, the overlay is made (the interface's factory),
    // the learn and MIDI buttons stay usable on it, the product adds its
    // ghosts, and it fades in. Off: disarmed, the ghosts dropped, the learn
    // button off, the overlay fades out and is forgotten.
    void setActive(bool on);
    uint32_t armedIdentifier() const { return armed_; }
    void arm(uint32_t identifier);
    MidiLearnController* overlay() const { return overlay_; }
    // A live overlay that is not hiding.
    bool hasOverlay() const;

    // kMidiControllerSeen: maps the controller to the armed identifier (see above), then
    // the overlay re-reads its labels.
    void controllerSeen(int32_t controller);
    // kRefreshLearnOverlay: the overlay rebuilds its ghosts from the links.
    void refresh();
    // kControllerMappingChanged: the map changed (the overlay re-reads its labels).
    void mapChanged();
    // Closing: disarmed and the overlay forgotten (the tree deletes it).
    void close();

    // A parameter index or a MIDI virtual parameter's identifier.
    bool isMappable(uint32_t identifier) const;
    // The parameter's, the virtual parameter's or the MIDI source's name;
    // empty outside the three ranges.
    std::string identifierName(uint32_t identifier) const;

    void componentDeleted(gui::Component* component) override;

private:
    void forgetOverlay();

    GenericPluginInterface& owner_;
    bool active_ = false;
    uint32_t armed_ = kNone;
    MidiLearnController* overlay_ = nullptr;
};
