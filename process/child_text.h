// Text exchanged with a child process: console programs speak the system's
// OEM code page, the launcher its ANSI one. In Unicode mode the children's
// OEM code page is still the system's, and a character a read cuts in two
// waits for its second byte.
#pragma once

#include <stddef.h>
#include <windows.h>

#include "base/text.h"

// Converts a stream of chunks from one code page to another; a double-byte
// character cut at the end of a chunk is completed by the next one.
class CodePageStream {
public:
    CodePageStream(UINT from, UINT to) : from_(from), to_(to) {}
    Text convert(const char* bytes, size_t length);

private:
    const UINT from_, to_;
    char pending_ = 0;
    bool hasPending_ = false;
};

// How many of the bytes are whole characters of the code page: a final lead
// byte of a double-byte character is not.
size_t wholeCharacterLength(const char* bytes, size_t length, UINT codePage);

// The OEM code page of the system, which the launcher's children use
// whatever the launcher's own mode.
UINT systemOemCodePage();

// The child's output as the launcher reads it, chunk by chunk.
class ChildOutputDecoder {
public:
    explicit ChildOutputDecoder(bool raw);

    // The chunk read (NUL-terminated at `length`) as launcher text, valid
    // until the next call; null when it held only the start of a character.
    const char* decode(char* chunk, DWORD length);

private:
    enum class Way { Raw, InPlace, Stream };
    const Way way_;
    CodePageStream stream_;
    Text decoded_;
};

// Text for the child's standard input.
Text childInputText(const char* text, size_t length, bool raw);
