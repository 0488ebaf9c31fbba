// Where a downloaded runtime lives for one user, and the file operations on
// that place: %LOCALAPPDATA%\<folder>\runtime\<key>\ for the runtime, with
// the download's <key>.part file, the <key>.staging folder and the
// <key>.lock file beside it. The key is the first 12 hexadecimal digits of
// the archive's SHA-256, so that a new pinned release never mixes with an
// old one. Nothing here writes, moves or removes anything outside the
// runtime folder, and no link (junction or symbolic link) is ever entered:
// a link is removed as a link, or refused.
#pragma once

#include <windows.h>

#include "base/handle.h"
#include "base/text.h"

struct RuntimeStore {
    Text runtimeFolder;  // ...\<folder>\runtime
    Text home;           // runtimeFolder\<key>
    // home\.installed: written once the runtime is whole in its place; a
    // home without it (or without its executable) is leftovers.
    Text mark;
    Text partFile;       // runtimeFolder\<key>.part
    Text staging;        // runtimeFolder\<key>.staging
    // runtimeFolder\<key>.refused: the runtime failed the search's rules
    // when it was downloaded, and the same archive would again under the
    // same rules, which the file holds.
    Text refusedMark;
    // runtimeFolder\<key>.lock: held, unshared, by the one launcher that
    // downloads, in whichever session of the user it runs.
    Text lockFile;
};

// The first 12 digits of the digest's hexadecimal form, in lower case.
Text runtimeKey(const Text& sha256Hex);

// The launcher's file name without its folder and without ".exe" (any case).
Text defaultRuntimeFolderName(const Text& launcherFile);

RuntimeStore runtimeStoreFor(const Text& localAppData, const Text& folderName, const Text& sha256Hex);

// The runtime is in its place, whole: its executable and the mark are
// there. Two file tests.
bool isInstalled(const RuntimeStore& store, const Text& executableName);

// Creates the runtime folder and its missing parents below `localAppData`.
// A link at the runtime folder is removed; one above it is refused. False
// with the level that failed and the system's error, 0 for a link.
bool prepareRuntimeFolder(const Text& localAppData, const RuntimeStore& store, Text* level, DWORD* error);

// The lock file, open with no sharing and deleted when it is closed; an
// empty handle, with the error, when it cannot be had.
FileHandle takeRuntimeLock(const RuntimeStore& store, DWORD* error);

// Whether takeRuntimeLock failed because another launcher holds the lock.
bool isLockHeld(DWORD error);

// Removes a folder and everything below it; a link, at the top or below, is
// removed as a link, never entered. True when nothing is left.
bool removeTree(const Text& folder);

// The files below a folder and their bytes in all; links not entered.
void countTree(const Text& folder, unsigned* files, ULONGLONG* bytes);

// Removes the .part file and the staging folder; true when neither is left.
bool removeLeftovers(const RuntimeStore& store);

// Renames the staging folder to the runtime's home, retrying for a while
// while another program (a virus scanner) holds a file in it open.
bool placeStagedRuntime(const RuntimeStore& store, DWORD* error);

// Writes a small file anew; whatever was at the path, a link included,
// goes first, and nothing is written through a link.
bool writeSmallFile(const Text& path, const char* contents, DWORD* error);

// A small file's contents, at most 512 bytes; empty when there is none.
Text readSmallFile(const Text& path);
