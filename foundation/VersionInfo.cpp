#include "foundation/VersionInfo.h"

#include "foundation/KnownFolders.h"
#include "foundation/ModuleResources.h"
#include "foundation/VersionNumber.h"

#include <utility>

VersionInfo::VersionInfo(std::string productName)
    : VersionInfo(std::move(productName), getVersionInfoString(VersionField::kProductVersion),
                  getVersionInfoString(VersionField::kLegalCopyright)) {}

VersionInfo::VersionInfo(std::string productName, std::string_view versionText, std::string legalText)
    : legalText_(std::move(legalText)), displayName_(std::string(makerName) + " " + productName),
      productName_(std::move(productName)) {
    parseVersionString(versionText, version_);
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
