// Little-endian reads and writes on byte buffers, bounds-checked: a read
// outside the buffer throws FormatError instead of reading past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Input the configurator refuses; the message is shown to the user as is.
class FormatError : public std::runtime_error {
public:
    explicit FormatError(const std::string& message) : std::runtime_error(message) {}
};

inline bool fits(const Bytes& bytes, std::size_t offset, std::size_t length) {
    return offset <= bytes.size() && length <= bytes.size() - offset;
}

inline void require(bool condition, const char* message) {
    if (!condition) throw FormatError(message);
}

inline std::uint16_t read16(const Bytes& b, std::size_t at) {
    require(fits(b, at, 2), "truncated or malformed data");
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

inline std::uint32_t read32(const Bytes& b, std::size_t at) {
    require(fits(b, at, 4), "truncated or malformed data");
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

inline std::uint64_t read64(const Bytes& b, std::size_t at) {
    require(fits(b, at, 8), "truncated or malformed data");
    return read32(b, at) | (static_cast<std::uint64_t>(read32(b, at + 4)) << 32);
}

inline void write16(Bytes& b, std::size_t at, std::uint16_t v) {
    require(fits(b, at, 2), "write outside the buffer");
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void write32(Bytes& b, std::size_t at, std::uint32_t v) {
    require(fits(b, at, 4), "write outside the buffer");
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void write64(Bytes& b, std::size_t at, std::uint64_t v) {
    require(fits(b, at, 8), "write outside the buffer");
    for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void append16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void append32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void padTo(Bytes& b, std::size_t alignment) {
    while (b.size() % alignment) b.push_back(0);
}

inline std::uint32_t alignUp(std::uint32_t value, std::uint32_t alignment) {
    std::uint64_t aligned = (static_cast<std::uint64_t>(value) + alignment - 1) / alignment * alignment;
    require(aligned <= 0xFFFFFFFFu, "image too large");
    return static_cast<std::uint32_t>(aligned);
}
