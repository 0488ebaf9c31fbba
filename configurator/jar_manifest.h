// What java -jar needs of a jar: a Main-Class in the main section of
// META-INF/MANIFEST.MF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "configurator/zip_archive.h"

// The Main-Class of a manifest's main section (names compared without
// case, continuation lines joined); nullopt when absent or empty.
std::optional<std::string> manifestMainClass(const std::string& manifest);

struct JarFacts {
    std::uint64_t entryCount = 0;
    std::string mainClass;
};

// The facts of the jar `zip` in `bytes`; throws FormatError when it has no
// manifest or no Main-Class.
JarFacts readJarFacts(const Bytes& bytes, const ZipArchive& zip);
