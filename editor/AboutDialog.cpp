#include "editor/AboutDialog.h"

#include "editor/GenericPluginInterface.h"
#include "gui/MultiLabel.h"
#include "gui/Text.h"
#include "gui/UserInterface.h"
#include "plugin/GenericPlugin.h"

#include <algorithm>

namespace {

constexpr int kDeleteMessage = 1;
constexpr float kBitsGap = 6.0f;

const VersionInfo& processVersion() {
    static const VersionInfo empty("", "", "");
    const VersionInfo* info = GenericPlugin::getVersionInfo();
    return info != nullptr ? *info : empty;
}

} // namespace

AboutDialog::AboutDialog(GenericPluginInterface& interface, Style& style)
    : AboutDialog(interface, style, processVersion()) {}

AboutDialog::AboutDialog(GenericPluginInterface& interface, Style& style, const VersionInfo& version)
    : GenericDialog(interface, style) {
    build(version);
    dismissEvent.setHandler(NotifyEvent::bind(this, &AboutDialog::dismiss));
}

AboutDialog::~AboutDialog() = default;

std::string AboutDialog::formatDate(const VersionInfo::Date& date) {
    static constexpr const char* months[] = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
    const int32_t month = std::clamp<int32_t>(date.month, 0, 11);
    return std::string(months[month]) + " " + std::to_string(date.day) + ", " +
           std::to_string(date.year + 1900);
}

void AboutDialog::build(const VersionInfo& version) {
    gui::MultiLabel* name = addLabel(0, 0, version.getDisplayName());
    if (gui::Text* line = name->text(0)) line->lineStyle.setValue(gui::Text::LineStyle::kEndEllipsis);
    gui::MultiLabel* number = addLabel(0, 16, "version " + version.getDisplayVersion());
    gui::MultiLabel* bits = addLabel(number->width.getValue() + kBitsGap, 16, "(64-bit)");
    bits->opacity.setValue(kBitsOpacity);
    // A bad date leaves its line empty.
    addLabel(0, 84, version.hasBuildDate() ? formatDate(version.getBuildDate()) : std::string());
    addLabel(0, 42, kEmail);
    addLabel(0, 58, kWebAddress);
    addLabel(0, 142, version.getLegalText());
    addLabel(0, 168, version.getComments().empty() ? std::string(kPluginFormat) : version.getComments());
}

void AboutDialog::dismiss() {
    if (closing_) return;
    closing_ = true;
    userInterface().postMessage(this, kDeleteMessage, gui::kGuiList);
}

void AboutDialog::handleMessage(int code) {
    if (code == kDeleteMessage && closing_) {
        delete this;
        return;
    }
    GenericDialog::handleMessage(code);
}
