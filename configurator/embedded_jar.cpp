#include "configurator/embedded_jar.h"

#include "configurator/pe_image.h"
#include "configurator/sha256.h"

namespace {

// A signer pads the file to 8 bytes before its certificate table.
const std::size_t SIGNATURE_PADDING_MAX = 7;

// The checksum lies 64 bytes into the optional header, in PE32 and PE32+.
void updateChecksum(Bytes& file) {
    const std::size_t at = std::size_t(read32(file, 0x3C)) + 24 + 64;
    write32(file, at, PeImage::computeChecksum(file, at));
}

// The archive's offset fields as they lie in a copy that begins at `from`.
ZipArchive shiftedFields(ZipArchive zip, std::size_t from, std::size_t to) {
    for (OffsetField& f : zip.offsetFields) f.at = f.at - from + to;
    return zip;
}

}  // namespace

std::optional<ZipArchive> findEmbeddedJar(const Bytes& file) {
    const PeImage image(file);
    const std::size_t from = image.sectionsEnd();
    std::size_t to = file.size();
    if (image.certificateSize() != 0 && image.certificateOffset() >= from && image.certificateOffset() <= to) {
        to = image.certificateOffset();
    }
    return findZip(file, from, to, SIGNATURE_PADDING_MAX);
}

Bytes extractEmbeddedJar(const Bytes& file, const ZipArchive& jar) {
    Bytes out(file.begin() + jar.start, file.begin() + jar.recordsEnd());
    relocateZip(out, shiftedFields(jar, jar.start, 0), -static_cast<std::int64_t>(jar.start));
    write16(out, jar.commentField() - jar.start, 0);
    return out;
}

LauncherParts splitEmbeddedJar(const Bytes& file) {
    const std::optional<ZipArchive> jar = findEmbeddedJar(file);
    if (!jar) return LauncherParts{file, std::nullopt};
    return LauncherParts{Bytes(file.begin(), file.begin() + jar->start), extractEmbeddedJar(file, *jar)};
}

Bytes appendJar(const Bytes& image, const Bytes& jar) {
    const std::optional<ZipArchive> zip = findZip(jar, 0, jar.size(), 0);
    require(zip && zip->start == 0, "the jar to embed is no zip file");
    Bytes out = image;
    out.insert(out.end(), jar.begin(), jar.end());
    relocateZip(out, shiftedFields(*zip, 0, image.size()), static_cast<std::int64_t>(image.size()));
    updateChecksum(out);
    return out;
}

void setJarCommentLength(Bytes& file, const ZipArchive& jar, std::uint16_t length) {
    write16(file, jar.commentField(), length);
    updateChecksum(file);
}

bool commentReachesEnd(const Bytes& file, const ZipArchive& jar) { return jar.claimedEnd() == file.size(); }

JarFacts checkApplicationJar(const Bytes& jar, const std::string& name) {
    const std::optional<ZipArchive> zip = findZip(jar, 0, jar.size(), 0);
    if (!zip) throw FormatError(name + ": not a zip file (no end of central directory)");
    if (zip->start != 0) throw FormatError(name + ": not a plain jar (data lies before its first entry)");
    if (zip->commentLength != 0) {
        throw FormatError(name + ": the jar has a zip comment, where the launcher's signature must go; remove it (zip -z " +
                          name + " < /dev/null)");
    }
    if (zip->claimedEnd() != jar.size()) throw FormatError(name + ": data follows the jar's end record");
    try {
        return readJarFacts(jar, *zip);
    } catch (const FormatError& e) {
        throw FormatError(name + ": " + e.what());
    }
}

std::string describeEmbeddedJar(const Bytes& file) {
    const std::optional<ZipArchive> jar = findEmbeddedJar(file);
    if (!jar) return "Embedded jar: none\n";
    std::string mainClass;
    try {
        mainClass = readJarFacts(file, *jar).mainClass;
    } catch (const FormatError& e) {
        mainClass = std::string("(none: ") + e.what() + ")";
    }
    const Bytes original = extractEmbeddedJar(file, *jar);
    return "Embedded jar: " + std::to_string(original.size()) + " bytes at offset " + std::to_string(jar->start) + ", " +
           std::to_string(jar->entryCount) + (jar->entryCount == 1 ? " entry" : " entries") +
           ", Main-Class: " + mainClass + "\n"
           "  SHA-256: " + sha256Hex(original) + " (the jar file's, as sha256sum prints it)\n"
           "  Zip comment reaches the end of the file: " +
           (commentReachesEnd(file, *jar) ? "yes, java -jar reads this file\n"
                                          : "no, java -jar refuses this file (sign it with launcher-config sign)\n");
}
