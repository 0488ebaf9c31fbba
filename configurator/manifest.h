// The launcher's application manifest (RT_MANIFEST 1) and its Unicode mode:
// the entry activeCodePage = UTF-8 makes the ANSI code page of the process
// UTF-8 on Windows 10 1903 and later, so that every ANSI call of the
// launcher takes and gives UTF-8. Older systems ignore it.
//
// The manifest is edited as text: the entry is added or removed and every
// other byte of the manifest is kept.
#pragma once

#include <string>

#include "configurator/resource_tree.h"

extern const char UTF8_CODE_PAGE_ENTRY[];

// Whether the manifest holds activeCodePage = UTF-8 in its windowsSettings.
bool manifestSetsUtf8(const std::string& manifest);

// The manifest with the UTF-8 entry (on) or without any activeCodePage
// entry (off). The entry goes into the windowsSettings of the assembly's
// application element, which are added when missing. Throws FormatError
// when the text has no assembly element.
std::string withUnicodeMode(const std::string& manifest, bool on);

// Throws FormatError when a manifest of the image is not well-formed or
// holds no assembly element: Windows refuses to start such an image.
void checkManifests(const ResourceTree& tree);

// The same on an image's resources. Without a manifest, "on" adds one that
// holds only the entry.
bool unicodeMode(const ResourceTree& tree);
void setUnicodeMode(ResourceTree& tree, bool on);
