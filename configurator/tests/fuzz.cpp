// Feeds the PE reader and writer corrupted launcher images: every one must
// be refused with a FormatError or rewritten into a consistent image,
// never crash or touch memory outside its buffers (run under
// AddressSanitizer).
//
//   configurator_fuzz LAUNCHER.exe [ITERATIONS] [SEED]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "configurator/launcher_resources.h"

namespace {

struct Random {
    std::uint64_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state);
    }
    std::uint32_t below(std::uint32_t n) { return n ? next() % n : 0; }
};

// The places where a corruption most often meets a check: the headers, the
// section table and the resource directory.
Bytes corrupt(const Bytes& original, Random& random) {
    Bytes b = original;
    const int changes = 1 + random.below(8);
    for (int i = 0; i < changes && b.size() >= 8; ++i) {
        const std::uint32_t hot = static_cast<std::uint32_t>(std::min<std::size_t>(b.size(), 1024));
        switch (random.below(6)) {
        case 0: b[random.below(hot)] ^= static_cast<std::uint8_t>(1 + random.below(255)); break;
        case 1: b[random.below(static_cast<std::uint32_t>(b.size()))] = static_cast<std::uint8_t>(random.next()); break;
        case 2: {
            const std::uint32_t at = random.below(hot - 4) & ~3u;
            const std::uint32_t values[] = {0, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, random.next(),
                                            static_cast<std::uint32_t>(b.size())};
            write32(b, at, values[random.below(6)]);
            break;
        }
        case 3: b.resize(random.below(static_cast<std::uint32_t>(b.size()))); break;
        case 4: {
            // Inside the resources, which follow the code.
            const std::uint32_t start = static_cast<std::uint32_t>(b.size() * 3 / 4);
            if (b.size() > start + 4) b[start + random.below(static_cast<std::uint32_t>(b.size()) - start)] ^= 0xFF;
            break;
        }
        default: b.insert(b.end(), random.below(4096), static_cast<std::uint8_t>(random.next()));
        }
    }
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: configurator_fuzz LAUNCHER.exe [ITERATIONS] [SEED]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (original.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const long iterations = argc > 2 ? std::atol(argv[2]) : 3000;
    Random random{argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 0x9E3779B97F4A7C15ull};
    long refused = 0, rewritten = 0;
    for (long i = 0; i < iterations; ++i) {
        const Bytes image = corrupt(original, random);
        try {
            LauncherResources launcher(image);
            launcher.string(101);
            launcher.setString(101, "fuzzed.jar");
            launcher.setSplashBytes(Bytes(random.below(5000), 0x47));
            const Bytes built = launcher.build();
            LauncherResources again(built);  // what was written must read back
            if (again.string(101).value_or("") != "fuzzed.jar") {
                std::fprintf(stderr, "iteration %ld: the rewritten image lost the setting\n", i);
                return 1;
            }
            ++rewritten;
        } catch (const FormatError&) {
            ++refused;
        }
    }
    std::printf("%ld corrupted images: %ld refused, %ld rewritten\n", iterations, refused, rewritten);
    return 0;
}
