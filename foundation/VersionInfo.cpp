#include "foundation/VersionInfo.h"

#include "foundation/KnownFolders.h"
#include "foundation/ModuleResources.h"
#include "foundation/VersionNumber.h"

#include <utility>

VersionInfo::VersionInfo(std::string productName)
    : VersionInfo(std::move(productName), getVersionInfoString(VersionField::kProductVersion),
                  getVersionInfoString(VersionField::kLegalCopyright),
                  getVersionInfoString(VersionField::kComments),
                  getVersionInfoString(VersionField::kBuildDate)) {}

VersionInfo::VersionInfo(std::string productName, std::string_view versionText, std::string legalText,
                         std::string comments, std::string_view buildDate)
    : legalText_(std::move(legalText)), comments_(std::move(comments)),
      displayName_(std::string(makerName) + " " + productName), productName_(std::move(productName)) {
    parseVersionString(versionText, version_);
    hasBuildDate_ = parseDate(buildDate, buildDate_);
}

bool VersionInfo::parseDate(std::string_view text, Date& date) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    auto number = [&](size_t at, size_t length, std::int32_t& out) {
        out = 0;
        for (size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    std::int32_t year = 0, month = 0, day = 0;
    if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day)) return false;
    if (year < 1900 || month < 1 || month > 12 || day < 1) return false;
    static constexpr std::int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > days[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
    date.year = year - 1900;
    date.month = month - 1;
    date.day = day;
    return true;
}

std::string VersionInfo::suffixFor(std::int32_t majorVersion) {
    if (majorVersion <= baseMajorVersion) return std::string();
    std::string suffix(1, ' ');
    suffix += std::to_string(majorVersion);
    return suffix;
}

std::string VersionInfo::getVersionSuffix() const {
    return suffixFor(version_.majorVersion);
}

std::string VersionInfo::getProductKeyPath(std::int32_t majorVersion) const {
    return getRegistryKeyPath(productName_ + suffixFor(majorVersion), baseMajorVersion);
}
