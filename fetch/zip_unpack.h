// Unpacks a runtime's zip archive into an empty staging folder, deflated
// entries through fetch/inflate.h: the archive's single top folder is taken
// off, and every entry is checked before anything of it is written (its
// name, that it is not encrypted, that it is stored or deflated) and after
// (its size and CRC-32). Entries are read through the central directory,
// which holds the authoritative sizes; a data descriptor changes nothing.
// Everything is written below a staging folder the unpacker creates itself,
// and nothing is opened through a link.
#pragma once

#include <windows.h>

#include "base/text.h"

// Whether a zip end record starts at `at` (4 bytes readable). Compared
// byte by byte, so that the launcher's own image never holds the signature:
// a jar appended to the image would seem to end twice.
bool isZipEndRecord(const unsigned char* at);

enum class UnpackFailure {
    None,
    CannotRead,        // the archive file
    NotAnArchive,      // no end record, or its offsets point outside the file
    Zip64,             // sizes beyond 4 GB are not supported
    TooManyEntries,
    NoSingleTopFolder,
    BadName,
    Encrypted,
    Method,            // neither stored nor deflate
    Damaged,           // a local header, or data that does not inflate
    WrongSize,
    WrongCrc,
    TooLarge,          // more than the unpacked bound in all
    CannotWrite,
    Cancelled,
    Incomplete,        // no bin\javaw.exe or release file
};

struct UnpackResult {
    UnpackFailure failure = UnpackFailure::None;
    DWORD error = 0;    // the system's error, for reading and writing
    Text entry;         // the entry that failed, as the archive names it
    Text detail;        // for a bad name: why
    unsigned files = 0; // files written
    ULONGLONG bytes = 0;  // their bytes in all
};

// Reads the archive through the handle it was checked through (opened for
// reading, writers denied). `cancel` is polled between chunks; non-zero
// stops the unpacking.
UnpackResult unpackRuntimeArchive(HANDLE archive, const Text& staging, const volatile LONG* cancel);

// The fixed text for the trace and the dialog.
const char* unpackFailureText(UnpackFailure failure);
