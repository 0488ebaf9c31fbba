// Raw deflate data (RFC 1951), as a zip entry holds it, decoded in one
// pass: the input is pulled piece by piece, and the output is pushed out of
// the 32 KB window that matches refer back into. Every code is read bit by
// bit through canonical code counts, with no lookup tables: a tenth of a
// general-purpose library's size, fast enough for a runtime that is
// unpacked once.
#pragma once

#include <windows.h>

const DWORD INFLATE_WINDOW = 32768;

enum class InflateResult {
    Done,        // the final block ended
    Damaged,     // a code, length or distance the format does not allow
    InputEnded,  // the input ended (or failed) before the final block did
    Stopped,     // the output was refused
};

struct InflateStreams {
    // The next piece of input; 0 bytes when there is no more.
    DWORD (*pull)(void* context, const BYTE** data);
    // Takes decoded bytes; false stops the decoding.
    bool (*push)(void* context, const BYTE* data, DWORD length);
    void* context;
};

// `window` holds INFLATE_WINDOW bytes. With Done, `trailing` tells whether
// input of the last piece was left after the final block.
InflateResult inflateRaw(const InflateStreams& streams, BYTE* window, bool* trailing);
