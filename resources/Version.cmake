# The product's version definition: the one source of the Windows version
# resource (VERSIONINFO, via windres) and of the strings compiled into the
# Linux binaries. Read by varnel_add_version_info (cmake/VarnelResources.cmake).

set(VARNEL_VERSION_NUMBERS 2 0 0 0)          # FILEVERSION and PRODUCTVERSION
set(VARNEL_VERSION_LANGUAGE 0x0409)          # US English
set(VARNEL_VERSION_CODE_PAGE 1200)           # UTF-16: string block "040904B0"

# Fields of the string table, in the order of the version-field indices.
set(VARNEL_VERSION_CompanyName "Zentor")
set(VARNEL_VERSION_FileDescription "Varnel 2 stereo delay")
set(VARNEL_VERSION_FileVersion "2.00")
set(VARNEL_VERSION_LegalCopyright "Copyright (C) 2026 Zentor")
set(VARNEL_VERSION_ProductName "Varnel")
set(VARNEL_VERSION_ProductVersion "2.00")
# No "Comments".
