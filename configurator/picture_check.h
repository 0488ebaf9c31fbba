// What a splash picture must be: a complete picture file that the
// platform's picture loader reads from memory: BMP with its file header,
// JPEG or GIF.
#pragma once

#include <string>

#include "configurator/byte_io.h"

// "BMP", "JPEG" or "GIF"; throws FormatError, saying why, for anything
// else (a bitmap without its file header, PNG, a cut file, other bytes).
std::string checkSplashPicture(const Bytes& picture);

// Width and height as the file states them, for the listing; 0 when unknown.
void pictureSize(const Bytes& picture, int& width, int& height);
