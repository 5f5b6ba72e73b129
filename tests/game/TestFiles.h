// Only BmpTest.cpp still takes its file helper from here; delete this file
// once it includes TestSupport.h itself.
#pragma once

#include "TestSupport.h"

namespace enginetest {
using testsupport::WriteBytes;
}  // namespace enginetest
