#pragma once
// The user's well-known folders and the product's places below them. On
// Linux application data is $XDG_CONFIG_HOME (else ~/.config) and documents
// $XDG_DOCUMENTS_DIR (else ~/Documents). Folders come without a trailing '\'.

#include <cstdint>
#include <string>
#include <string_view>

std::string getApplicationDataFolder();
std::string getDocumentsFolder();
// <application data>\Zentor\<name>\ .
std::string getMakerFolderPath(std::string_view name);
// <documents>\Zentor\Presets\<productFolder>\ .
std::string getPresetsFolderPath(std::string_view productFolder);
// Software\Zentor\<product>\<major>.0 (below the current user's root).
std::string getRegistryKeyPath(std::string_view productName, std::int32_t majorVersion);
