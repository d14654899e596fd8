#pragma once
// The product's identity as the program sees it: its names, legal text and
// parsed version, read once from the module's version resource. One instance
// per process (the first plug-in instance creates it, the last deletes it).
//
// Names that depend on the major version (the product's maker folder, some
// file names, the registry key) take the version suffix: a blank and the
// major version when it is above the base major version, else nothing.

#include "foundation/VersionNumber.h"

#include <cstdint>
#include <string>
#include <string_view>

class VersionInfo {
public:
    static constexpr const char* makerName = "Zentor";
    static constexpr std::int32_t baseMajorVersion = 1;

    // A calendar date: the year less 1900, the month 0..11, the day.
    struct Date {
        std::int32_t year = 0;
        std::int32_t month = 0;
        std::int32_t day = 0;
    };

    // Reads "ProductVersion", "LegalCopyright", "Comments" and "BuildDate"
    // of the library's module.
    explicit VersionInfo(std::string productName);
    // The same from given texts (a version text that does not parse keeps
    // the defaults: major 1, minor 0; a build date that is not a valid
    // "YYYY-MM-DD" leaves none).
    VersionInfo(std::string productName, std::string_view versionText, std::string legalText,
                std::string comments = {}, std::string_view buildDate = {});
    virtual ~VersionInfo() = default;

    const std::string& getProductName() const { return productName_; }
    // maker + " " + product name, e.g. "Zentor Varnel".
    const std::string& getDisplayName() const { return displayName_; }
    const std::string& getLegalText() const { return legalText_; }
    const std::string& getComments() const { return comments_; }
    bool hasBuildDate() const { return hasBuildDate_; }
    const Date& getBuildDate() const { return buildDate_; }
    // "YYYY-MM-DD" with a real day of a year 1900..9999 (the Gregorian
    // calendar).
    static bool parseDate(std::string_view text, Date& date);
    const VersionNumber& getVersion() const { return version_; }
    std::int32_t getMajorVersion() const { return version_.majorVersion; }
    bool isBetaBuild() const { return version_.betaNumber > 0; }

    // " 2" for major 2 over base 1; "" when the major is not above the base.
    std::string getVersionSuffix() const;
    // The name the host shows: product name + suffix ("Varnel 2").
    std::string getPluginName() const { return productName_ + getVersionSuffix(); }
    // The display version text ("2.00", "2.10 beta 3").
    std::string getDisplayVersion() const { return formatVersionString(version_); }

    // The registry key (below the user's or the machine's root) of the
    // product: Software\Zentor\<product name + suffix>\<base major>.0,
    // "Software\Zentor\Varnel 2\1.0" for version 2. With a major version: the
    // key that version of the product used ("Software\Zentor\Varnel\1.0" for 1).
    std::string getProductKeyPath() const { return getProductKeyPath(version_.majorVersion); }
    std::string getProductKeyPath(std::int32_t majorVersion) const;

    // True from construction until the settings find that this version has
    // run before.
    bool isFirstStart() const { return firstStart_; }
    void setFirstStart(bool firstStart) { firstStart_ = firstStart; }

private:
    static std::string suffixFor(std::int32_t majorVersion);

    std::string legalText_;
    std::string comments_;
    Date buildDate_;
    bool hasBuildDate_ = false;
    std::string displayName_;
    std::string productName_;
    VersionNumber version_;
    bool firstStart_ = true;
};
