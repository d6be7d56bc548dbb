// Diagnostic trace lines: where the program stays silent by design, a trace line says what happened.
// They go to stderr when the environment variable ALBATRIX_TRACE is "1", and nowhere otherwise.
#pragma once

#include <string_view>

namespace albatrix {

bool TraceEnabled();
void Trace(std::string_view line);

}  // namespace albatrix
