#pragma once

// The file helpers live in tests/support (link KelvraTestSupport and include
// "EngineTestSupport.h"); this path still works for sources that name it.
#include "../support/EngineTestSupport.h"
