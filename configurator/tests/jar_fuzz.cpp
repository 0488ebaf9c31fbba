// Feeds the embedded-jar reader launchers whose jar is corrupted, mostly in
// its central directory and end records: each must be refused with a
// FormatError or read, and a jar read must come back whole when embedded
// again; no crash, no access outside a buffer (run under AddressSanitizer).
//
//   configurator_jar_fuzz LAUNCHER-WITH-JAR.exe [ITERATIONS]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "configurator/embedded_jar.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::optional<ZipArchive> jar = findEmbeddedJar(original);
    if (!jar) {
        std::fprintf(stderr, "%s carries no jar\n", argv[1]);
        return 2;
    }
    const long iterations = argc > 2 ? std::atol(argv[2]) : 3000;
    const std::uint32_t directory = static_cast<std::uint32_t>(jar->entries.back().localHeader);
    const std::uint32_t span = static_cast<std::uint32_t>(original.size() - directory);
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state);
    };
    long refused = 0, read = 0, none = 0;
    for (long i = 0; i < iterations; ++i) {
        Bytes b = original;
        for (int n = 1 + next() % 6; n > 0; --n) {
            const std::size_t at = directory + next() % span;
            const std::uint32_t values[] = {0, 0xFFFFFFFF, 0xFFFF, static_cast<std::uint32_t>(b.size()), next()};
            if (next() % 3 == 0 && at + 4 <= b.size()) write32(b, at, values[next() % 5]);
            else if (next() % 8 == 0) b.resize(at);
            else if (at < b.size()) b[at] ^= static_cast<std::uint8_t>(1 + next() % 255);
        }
        try {
            describeEmbeddedJar(b);
            const LauncherParts parts = splitEmbeddedJar(b);
            if (parts.jar) {
                const Bytes again = appendJar(parts.image, *parts.jar);
                const std::optional<ZipArchive> found = findEmbeddedJar(again);
                if (!found || extractEmbeddedJar(again, *found) != *parts.jar) {
                    std::fprintf(stderr, "iteration %ld: the jar did not come back whole\n", i);
                    return 1;
                }
            }
            ++(parts.jar ? read : none);
        } catch (const FormatError&) {
            ++refused;
        }
    }
    std::printf("%ld corrupted jars: %ld refused, %ld read, %ld no longer a jar\n", iterations, refused, read, none);
    return 0;
}
