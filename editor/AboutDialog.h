#pragma once

// AboutDialog: the product's name, version, build date, the maker's contact
// lines, the legal text and the plug-in format, over the editor.
//
// Dismissing it (a click or Escape) deletes it once, at the next drain of
// the GUI list through a message it posts to itself: a second dismiss posts
// nothing, and a dialog that the tree deletes first takes its posted
// message and its handler with it.
//
// Threading: GUI thread.

#include "editor/GenericDialog.h"
#include "foundation/VersionInfo.h"

#include <string>

class AboutDialog : public GenericDialog {
public:
    static constexpr const char* kEmail = "support@zentor.example";
    static constexpr const char* kWebAddress = "https://zentor.example";
    static constexpr const char* kPluginFormat = "CLAP plug-in format";
    static constexpr int kBitsOpacity = 160;

    // From the process's version information.
    AboutDialog(GenericPluginInterface& interface, Style& style);
    AboutDialog(GenericPluginInterface& interface, Style& style, const VersionInfo& version);
    ~AboutDialog() override;

    // "March 5, 2026"; the month clamped into 0..11.
    static std::string formatDate(const VersionInfo::Date& date);

    bool isClosing() const { return closing_; }
    void handleMessage(int code) override;

private:
    void build(const VersionInfo& version);
    void dismiss();

    bool closing_ = false;
};
