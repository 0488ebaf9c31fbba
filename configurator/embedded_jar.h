// The application's jar carried inside the launcher's file, after the
// image's sections (its overlay), with every zip offset counting from the
// file's start: java -jar and zip tools read the launcher's file as the
// jar. java -jar accepts it only while the end record's comment reaches
// exactly the end of the file, so a signature appended later must be
// covered by the comment length (see signing.h).
#pragma once

#include <optional>
#include <string>

#include "configurator/jar_manifest.h"
#include "configurator/zip_archive.h"

// The jar in a launcher file, signed or not; nullopt when it carries none.
// Throws FormatError when the file is no PE image.
std::optional<ZipArchive> findEmbeddedJar(const Bytes& file);

// The jar file as it was embedded: offsets from its own start, no comment.
Bytes extractEmbeddedJar(const Bytes& file, const ZipArchive& jar);

// A launcher file and the embedded jar it carried, apart.
struct LauncherParts {
    Bytes image;
    std::optional<Bytes> jar;
};
LauncherParts splitEmbeddedJar(const Bytes& file);

// `image` with `jar` (a file from checkApplicationJar or
// extractEmbeddedJar) as its overlay, the PE checksum updated.
Bytes appendJar(const Bytes& image, const Bytes& jar);

// Sets the embedded jar's comment length, which then reaches `length`
// bytes past the end record, and updates the PE checksum.
void setJarCommentLength(Bytes& file, const ZipArchive& jar, std::uint16_t length);

// Whether java -jar reads the file: the comment ends where the file does.
bool commentReachesEnd(const Bytes& file, const ZipArchive& jar);

// Refuses, naming `name`, a file that is not a zip, has a comment, or has
// no Main-Class; returns what show prints of it.
JarFacts checkApplicationJar(const Bytes& jar, const std::string& name);

// The lines show prints about the embedded jar.
std::string describeEmbeddedJar(const Bytes& file);
