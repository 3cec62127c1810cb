#pragma once
// Base addresses (scheme and host, optional port, no trailing slash) of the three sites.
// Compiled in (the demo sites on loopback) and replaceable at start-up by SORVANE_SOURCE_A,
// SORVANE_SOURCE_B and SORVANE_SOURCE_C.

#include "app/runtime.h"

Text SourceABase();
Text SourceBBase();
Text SourceCBase();
// Reads the three environment variables; a value that is not an http or https address is
// ignored with a warning on standard error.
void LoadSourceBases();
// Tests point the sources at their fake sites.
void SetSourceBases(const Text& a, const Text& b, const Text& c);
