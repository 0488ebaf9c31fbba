#include "base/text.h"

#include <stdlib.h>
#include <string.h>

namespace {

// A launcher that cannot get a few hundred bytes cannot do anything useful;
// ending at once is better than running on with a cut text.
[[noreturn]] void outOfMemory() { abort(); }

}  // namespace

Text::Text(const char* s) { append(s); }

Text::Text(const char* s, size_t n) { append(s, n); }

Text::Text(const Text& other) { append(other); }

Text::Text(Text&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = empty_;
    other.length_ = other.capacity_ = 0;
}

Text& Text::operator=(const Text& other) {
    if (this != &other) {
        truncate(0);
        append(other);
    }
    return *this;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this != &other) {
        if (capacity_) free(data_);
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = empty_;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

Text::~Text() {
    if (capacity_) free(data_);
}

void Text::grow(size_t needed) {
    if (needed < length_) outOfMemory();  // size overflow
    if (needed + 1 <= capacity_) return;
    size_t capacity = capacity_ ? capacity_ : 32;
    while (capacity < needed + 1) {
        if (capacity > static_cast<size_t>(-1) / 2) outOfMemory();
        capacity *= 2;
    }
    char* grown = static_cast<char*>(realloc(capacity_ ? data_ : nullptr, capacity));
    if (!grown) outOfMemory();
    data_ = grown;
    capacity_ = capacity;
}

Text& Text::append(const char* s, size_t n) {
    if (n == 0) {
        return *this;
    }
    grow(length_ + n);
    // memmove: the source may lie inside this text (t.append(t)).
    memmove(data_ + length_, s, n);
    length_ += n;
    data_[length_] = '\0';
    return *this;
}

Text& Text::append(const char* s) { return s ? append(s, strlen(s)) : *this; }

size_t Text::find(const char* needle, size_t from) const {
    size_t n = strlen(needle);
    if (n == 0 || from > length_ || length_ - from < n) return npos;
    for (size_t i = from; i + n <= length_; ++i) {
        if (memcmp(data_ + i, needle, n) == 0) return i;
    }
    return npos;
}

size_t Text::findLast(char c) const {
    for (size_t i = length_; i > 0; --i) {
        if (data_[i - 1] == c) return i - 1;
    }
    return npos;
}

Text Text::substr(size_t pos, size_t n) const {
    if (pos >= length_) return Text();
    if (n > length_ - pos) n = length_ - pos;
    return Text(data_ + pos, n);
}

void Text::erase(size_t pos, size_t n) {
    if (pos >= length_) return;
    if (n > length_ - pos) n = length_ - pos;
    memmove(data_ + pos, data_ + pos + n, length_ - pos - n + 1);
    length_ -= n;
}

void Text::truncate(size_t n) {
    if (n < length_) {
        length_ = n;
        data_[n] = '\0';
    }
}

bool Text::operator==(const char* s) const {
    if (!s) s = "";
    return strlen(s) == length_ && memcmp(c_str(), s, length_) == 0;
}

bool Text::operator==(const Text& t) const {
    return length_ == t.length_ && memcmp(c_str(), t.c_str(), length_) == 0;
}

Text operator+(const Text& a, const Text& b) { return Text(a).append(b); }

Text operator+(const Text& a, const char* b) { return Text(a).append(b); }

Text operator+(const char* a, const Text& b) { return Text(a).append(b); }

Text decimalText(unsigned long long value) {
    char digits[24];
    return Text(_ui64toa(value, digits, 10));
}
