#include "modulation/ModulationMatrixOwner.h"

ModulationMatrixOwner::ModulationMatrixOwner() = default;

ModulationMatrixOwner::~ModulationMatrixOwner() = default;
