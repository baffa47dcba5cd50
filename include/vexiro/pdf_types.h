// The choices a host passes when it starts a PDF document: PdfEncryption and the PdfRight flags an
// encrypted document grants (added together).
#pragma once
#include "vexiro/enumerations.h"
