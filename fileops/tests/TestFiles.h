#pragma once
// Scratch files for the file-format tests, from the test-support library.

#include "TempFolder.h"

using CTempDir = testsupport::CTempDir;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
