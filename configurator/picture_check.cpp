#include "configurator/picture_check.h"

namespace {

bool startsWith(const Bytes& b, const char* magic, std::size_t n) {
    if (b.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (b[i] != static_cast<std::uint8_t>(magic[i])) return false;
    }
    return true;
}

std::string checkBitmap(const Bytes& b) {
    require(b.size() >= 54, "the splash picture is a cut BMP file");
    const std::uint32_t fileSize = read32(b, 2), pixels = read32(b, 10), header = read32(b, 14);
    require(header >= 12 && 14u + header <= b.size(), "the splash picture is a malformed BMP file");
    require(pixels >= 14u + header && pixels <= b.size(), "the splash picture is a cut BMP file");
    require(fileSize == 0 || fileSize <= b.size(), "the splash picture is a cut BMP file");
    return "BMP";
}

std::string checkJpeg(const Bytes& b) {
    // The data ends with the end-of-image marker (trailing zero bytes are
    // tolerated by every reader).
    std::size_t end = b.size();
    while (end > 2 && b[end - 1] == 0) --end;
    require(end >= 4 && b[end - 2] == 0xFF && b[end - 1] == 0xD9, "the splash picture is a cut JPEG file");
    return "JPEG";
}

std::string checkGif(const Bytes& b) {
    require(b.size() >= 14, "the splash picture is a cut GIF file");
    std::size_t end = b.size();
    while (end > 13 && b[end - 1] == 0) --end;
    require(b[end - 1] == 0x3B, "the splash picture is a cut GIF file");
    return "GIF";
}

}  // namespace

std::string checkSplashPicture(const Bytes& b) {
    if (startsWith(b, "BM", 2)) return checkBitmap(b);
    if (startsWith(b, "\xFF\xD8\xFF", 3)) return checkJpeg(b);
    if (startsWith(b, "GIF87a", 6) || startsWith(b, "GIF89a", 6)) return checkGif(b);
    if (startsWith(b, "\x89PNG", 4)) {
        throw FormatError("the splash picture is a PNG file, which the Windows picture loader does not read; "
                          "use BMP, JPEG or GIF");
    }
    if (b.size() >= 4 && (read32(b, 0) == 40 || read32(b, 0) == 108 || read32(b, 0) == 124)) {
        throw FormatError("the splash picture is a bitmap without its file header; use a complete .bmp file");
    }
    throw FormatError("the splash picture is not a picture file (BMP, JPEG or GIF)");
}

void pictureSize(const Bytes& b, int& width, int& height) {
    width = height = 0;
    if (startsWith(b, "BM", 2) && b.size() >= 26) {
        width = static_cast<int>(read32(b, 18));
        height = static_cast<int>(read32(b, 22));
        if (height < 0) height = -height;
    } else if ((startsWith(b, "GIF87a", 6) || startsWith(b, "GIF89a", 6)) && b.size() >= 10) {
        width = read16(b, 6);
        height = read16(b, 8);
    } else if (startsWith(b, "\xFF\xD8", 2)) {
        // The frame header (SOF0 to SOF15 but DHT, JPG and DAC) holds the size.
        for (std::size_t at = 2; at + 9 < b.size();) {
            if (b[at] != 0xFF) return;
            const std::uint8_t marker = b[at + 1];
            const std::size_t length = (b[at + 2] << 8) | b[at + 3];
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
                height = (b[at + 5] << 8) | b[at + 6];
                width = (b[at + 7] << 8) | b[at + 8];
                return;
            }
            at += 2 + length;
        }
    }
}
