// Forwards to the shared harness in tests/support/, where the plug-in tests' helpers live now.
#pragma once

#include "tests/support/ComTestHarness.h"
