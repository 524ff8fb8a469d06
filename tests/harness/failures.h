// The renderer's failure messages by name (failure::seven_sources), from the
// library's own lists: those of both platforms and those of the platform
// built for. failure::missing_entry_point is followed by a GL function's name;
// the Windows coded messages by " (GetLastError=0xXXXXXXXX)".
#ifndef OMBREL_TEST_FAILURES_H
#define OMBREL_TEST_FAILURES_H

#include "messages.h"

namespace failure {
#define OMBREL_FAILURE(name, text) constexpr const char *name = text;
OMBREL_MESSAGES(OMBREL_FAILURE)
#ifdef _WIN32
OMBREL_WGL_MESSAGES(OMBREL_FAILURE)
OMBREL_WGL_CODED_MESSAGES(OMBREL_FAILURE)
#else
OMBREL_GLX_MESSAGES(OMBREL_FAILURE)
#endif
#undef OMBREL_FAILURE
} // namespace failure

#endif
