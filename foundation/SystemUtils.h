#pragma once
// Umbrella over the operating-system services. New code includes the header
// of the one concern it uses:
//   TextConversion.h   UTF-8 / UTF-16 at OS calls
//   FilePaths.h        path pieces ('\' separated)
//   KnownFolders.h     application data, documents, the product's folders
//   Files.h            files and folders on disk, reading a whole file
//   ModuleResources.h  the library's module, its resources and version strings
//   SharedMemory.h     named per-process shared memory
//   ThreadWindows.h    windows of the calling thread
//   SetupBundle.h      installing the factory files (installSetupDocs)

#include "foundation/FilePaths.h"
#include "foundation/Files.h"
#include "foundation/KnownFolders.h"
#include "foundation/ModuleResources.h"
#include "foundation/SetupBundle.h"
#include "foundation/SharedMemory.h"
#include "foundation/TextConversion.h"
#include "foundation/ThreadWindows.h"
