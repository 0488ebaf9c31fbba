#include "fetch/archive_names.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

size_t firstSeparator(const char* name, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (isSeparator(name[i])) return i;
    }
    return length;
}

}  // namespace

Text topFolderOf(const char* name, size_t length) { return Text(name, firstSeparator(name, length)); }

Text belowTopFolder(const char* name, size_t length) {
    const size_t separator = firstSeparator(name, length);
    if (separator + 1 >= length) return Text();
    Text rest(name + separator + 1, length - separator - 1);
    if (isSeparator(rest[rest.length() - 1])) rest.truncate(rest.length() - 1);
    Text out;
    for (size_t i = 0; i < rest.length(); ++i) out += rest[i] == '/' ? '\\' : rest[i];
    return out;
}

bool namesFolder(const char* name, size_t length) { return length > 0 && isSeparator(name[length - 1]); }
