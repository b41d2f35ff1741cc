#pragma once
// The scratch folder lives in the test-support library; this name stays for
// the test folders that still include it from here.

#include "TempFolder.h"

using TempDir = testsupport::CTempDir;
