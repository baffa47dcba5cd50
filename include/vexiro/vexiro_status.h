// The outcome every member of the engine reports, VexiroStatus, and its name. Values 1 to 21 are
// the imaging platform's own status values, so a platform result passes through unchanged.
#pragma once
#include "vexiro/enumerations.h"
