#include "tracecap/trace_escape.h"

namespace {

const char HEX_DIGITS[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isEscapeAt(const std::string& text, size_t at) {
    return at + 3 < text.size() && text[at] == '\\' && text[at + 1] == 'x' && hexValue(text[at + 2]) >= 0 &&
           hexValue(text[at + 3]) >= 0;
}

void appendEscaped(std::string& line, unsigned char c) {
    line += "\\x";
    line += HEX_DIGITS[c >> 4];
    line += HEX_DIGITS[c & 15];
}

}  // namespace

std::string escapeTraceLine(const std::string& raw) {
    std::string line;
    line.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c < 32 || c == 127 || isEscapeAt(raw, i)) {
            appendEscaped(line, c);
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

std::string unescapeTraceLine(const std::string& line) {
    std::string raw;
    raw.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (isEscapeAt(line, i)) {
            raw += static_cast<char>(hexValue(line[i + 2]) * 16 + hexValue(line[i + 3]));
            i += 3;
        } else {
            raw += line[i];
        }
    }
    return raw;
}
