#pragma once

// The product's editor as the module offers it: on Windows the editor host
// with the product's interface; on a platform without editor windows none,
// and the module then links no GUI library.

#include "clap/ClapProduct.h"

const ClapEditorEntry* varnelEditorEntry();
