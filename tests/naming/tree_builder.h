#pragma once

// The copy tests include the rule-tree builder by this path; it lives in tests/support.
#include "tests/support/tree_builder.h"
