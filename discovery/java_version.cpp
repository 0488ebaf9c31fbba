#include "discovery/java_version.h"

namespace {

const unsigned ELEMENT_MAX = 999999999;

// A version text is short; anything longer is not one, and the trace
// shows what was read, so it stays bounded.
const size_t VERSION_TEXT_MAX = 64;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

unsigned readNumber(const char*& s) {
    unsigned value = 0;
    for (; isDigit(*s); ++s) {
        const unsigned digit = static_cast<unsigned>(*s - '0');
        value = value > (ELEMENT_MAX - digit) / 10 ? ELEMENT_MAX : value * 10 + digit;
    }
    return value;
}

// The collected elements, one more than kept, so that the leading 1 of
// the old scheme can be dropped without losing the last kept element.
struct ElementList {
    unsigned values[JavaVersion::MAX_ELEMENTS + 1] = {};
    int count = 0;
    int read = 0;

    void add(unsigned value) {
        if (count < JavaVersion::MAX_ELEMENTS + 1) values[count++] = value;
        ++read;
    }
};

bool startsWith(const Text& text, size_t at, const char* prefix) {
    for (size_t i = 0; prefix[i]; ++i) {
        if (at + i >= text.length() || text[at + i] != prefix[i]) return false;
    }
    return true;
}

size_t lineEnd(const Text& text, size_t start) {
    size_t end = start;
    while (end < text.length() && text[end] != '\n') ++end;
    return end;
}

Text boundedVersionText(const Text& text, size_t from, size_t to) {
    if (to - from > VERSION_TEXT_MAX) to = from + VERSION_TEXT_MAX;
    return text.substr(from, to - from);
}

}  // namespace

JavaVersion parseJavaVersion(const char* s) {
    JavaVersion version;
    while (*s == ' ' || *s == '\t') ++s;
    if (!isDigit(*s)) return version;
    ElementList list;
    for (;;) {
        list.add(readNumber(s));
        if ((*s == '.' || *s == '_') && isDigit(s[1])) {
            ++s;
        } else if (*s == 'u' && list.read == 1 && isDigit(s[1])) {
            list.add(0);  // 8u301: feature 8, update 301
            ++s;
        } else {
            break;
        }
    }
    version.preRelease = *s == '-' && !(s[1] == 'b' && isDigit(s[2]));
    const int skip = list.values[0] == 1 && list.count > 1 ? 1 : 0;
    for (int i = skip; i < list.count && version.count < JavaVersion::MAX_ELEMENTS; ++i) {
        version.elements[version.count++] = list.values[i];
    }
    return version;
}

int compareJavaVersions(const JavaVersion& a, const JavaVersion& b) {
    const int count = a.count > b.count ? a.count : b.count;
    for (int i = 0; i < count; ++i) {
        const unsigned x = i < a.count ? a.elements[i] : 0;
        const unsigned y = i < b.count ? b.elements[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.preRelease != b.preRelease) return a.preRelease ? -1 : 1;
    return 0;
}

bool isWithinMaximum(const JavaVersion& version, const JavaVersion& maximum) {
    for (int i = 0; i < maximum.count; ++i) {
        const unsigned x = i < version.count ? version.elements[i] : 0;
        if (x != maximum.elements[i]) return x < maximum.elements[i];
    }
    return true;
}

Text versionInJavaOutput(const Text& output) {
    for (size_t start = 0; start < output.length();) {
        const size_t end = lineEnd(output, start);
        if (!startsWith(output, start, "Picked up ")) {
            const size_t marker = output.find(" version \"", start);
            if (marker != Text::npos && marker < end) {
                const size_t from = marker + 10;
                size_t close = from;
                while (close < end && output[close] != '"') ++close;
                return close < end ? boundedVersionText(output, from, close) : Text();
            }
        }
        start = end + 1;
    }
    return Text();
}

size_t afterPickedUpLines(const Text& output) {
    size_t start = 0;
    while (startsWith(output, start, "Picked up ")) {
        const size_t end = lineEnd(output, start);
        if (end >= output.length()) break;
        start = end + 1;
    }
    return start;
}

bool holdsVersionLine(const Text& output) {
    for (size_t start = 0; start < output.length();) {
        const size_t end = lineEnd(output, start);
        if (end >= output.length()) return false;
        if (!startsWith(output, start, "Picked up ")) {
            const size_t marker = output.find(" version \"", start);
            if (marker != Text::npos && marker < end) return true;
        }
        start = end + 1;
    }
    return false;
}

Text versionInReleaseFile(const Text& contents) {
    for (size_t start = 0; start < contents.length();) {
        size_t end = lineEnd(contents, start);
        if (startsWith(contents, start, "JAVA_VERSION=")) {
            size_t from = start + 13;
            if (end > from && contents[end - 1] == '\r') --end;
            if (end > from && contents[from] == '"') ++from;
            if (end > from && contents[end - 1] == '"') --end;
            return boundedVersionText(contents, from, end);
        }
        start = end + 1;
    }
    return Text();
}
