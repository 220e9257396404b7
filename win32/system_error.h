#pragma once

#include <string>

// The system's description of an error code (FormatMessageA), without line breaks at the end.
std::string SystemErrorText(unsigned long error);
