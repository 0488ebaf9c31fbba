// How the trace capture writes one debug string as one line, so that the
// line can be turned back into the exact string and still reads naturally
// (paths keep their single backslashes).
//
// The only escape is "\xHH" with two upper-case hex digits. Control
// characters (below 32, and 127) are written that way; so is a backslash
// that would otherwise be read as the start of such an escape. Every other
// byte, blanks and bytes above 127 included, stands as it is.
#pragma once

#include <string>

std::string escapeTraceLine(const std::string& raw);

// The inverse of escapeTraceLine.
std::string unescapeTraceLine(const std::string& line);
