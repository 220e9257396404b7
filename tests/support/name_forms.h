#pragma once

#include "copy/copy_run.h"

// Names of files as each system reads them, for journals written and read in tests: Linux
// separates at every "/" byte; Windows at "\" and "/", in its code page's text (Shift-JIS here).
inline const TNameForm kLinuxNames{TEncoding::Utf8, '/'};
inline const TNameForm kWindowsNames{TEncoding::ShiftJis, '\\'};
