// Where a downloaded runtime lives for one user, and the file operations on
// that place: %LOCALAPPDATA%\<folder>\runtime\<key>\ for the runtime, with
// the download's <key>.part file and the <key>.staging folder beside it.
// The key is the first 12 hexadecimal digits of the archive's SHA-256, so
// that a new pinned release never mixes with an old one. Nothing here
// writes, moves or removes anything outside the runtime folder.
#pragma once

#include <windows.h>

#include "base/text.h"

struct RuntimeStore {
    Text runtimeFolder;  // ...\<folder>\runtime
    Text home;           // runtimeFolder\<key>
    Text partFile;       // runtimeFolder\<key>.part
    Text staging;        // runtimeFolder\<key>.staging
    // runtimeFolder\<key>.refused: the runtime failed the search's rules
    // when it was downloaded, and the same archive would again.
    Text refusedMark;
};

// The first 12 digits of the digest's hexadecimal form, in lower case.
Text runtimeKey(const Text& sha256Hex);

// The launcher's file name without its folder and without ".exe" (any case).
Text defaultRuntimeFolderName(const Text& launcherFile);

RuntimeStore runtimeStoreFor(const Text& localAppData, const Text& folderName, const Text& sha256Hex);

// The name of the mutex that lets one launcher of this user at a time
// download the runtime of that digest.
Text runtimeMutexName(const Text& userName, const Text& sha256Hex);

// Creates the runtime folder and its missing parents below `localAppData`;
// false (with the error) when one cannot be made.
bool createRuntimeFolder(const Text& localAppData, const RuntimeStore& store, DWORD* error);

// Removes a folder and everything below it; a link to a folder elsewhere is
// removed as a link, never followed. True when nothing is left.
bool removeTree(const Text& folder);

// Removes the .part file and the staging folder; true when neither is left.
bool removeLeftovers(const RuntimeStore& store);

enum class Placement { Placed, KeptExisting, Failed };

// Renames the staging folder to the runtime's home, retrying for a while
// while another program (a virus scanner) holds a file in it open. When
// another launcher's rename came first, its folder stays and the staging
// folder goes.
Placement placeStagedRuntime(const RuntimeStore& store, const Text& executableName, DWORD* error);
