// Owned, growable text of 8-bit characters in the ANSI code page.
//
// The launcher uses this instead of the C++ library's string type: a static
// image that pulls in that type weighs several times the whole launcher.
// The text is always terminated, so c_str() can be handed to the system;
// an empty one that owns no memory is the shared empty string, so that
// c_str() needs no test.
#pragma once

#include <stddef.h>

class Text {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    Text() = default;
    Text(const char* s);  // NOLINT: implicit on purpose, texts mix with literals
    Text(const char* s, size_t n);
    Text(const Text& other);
    Text(Text&& other) noexcept;
    Text& operator=(const Text& other);
    Text& operator=(Text&& other) noexcept;
    ~Text();

    const char* c_str() const { return data_; }
    size_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    char operator[](size_t i) const { return data_[i]; }

    Text& append(const char* s, size_t n);
    Text& append(const char* s);
    Text& append(const Text& t) { return append(t.c_str(), t.length_); }
    Text& append(char c) { return append(&c, 1); }
    Text& operator+=(const char* s) { return append(s); }
    Text& operator+=(const Text& t) { return append(t); }
    Text& operator+=(char c) { return append(c); }

    size_t find(const char* needle, size_t from = 0) const;
    size_t findLast(char c) const;
    Text substr(size_t pos, size_t n = npos) const;
    void erase(size_t pos, size_t n);
    void truncate(size_t n);
    void clear() { truncate(0); }

    bool operator==(const char* s) const;
    bool operator==(const Text& t) const;
    bool operator!=(const char* s) const { return !(*this == s); }
    bool operator!=(const Text& t) const { return !(*this == t); }

private:
    void grow(size_t needed);

    static inline char empty_[1] = {};  // never written: an empty text writes no terminator
    char* data_ = empty_;
    size_t length_ = 0;
    size_t capacity_ = 0;
};

Text operator+(const Text& a, const Text& b);
// The number in decimal digits.
Text decimalText(unsigned long long value);
Text operator+(const Text& a, const char* b);
Text operator+(const char* a, const Text& b);
