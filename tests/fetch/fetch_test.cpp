// The download path's pure pieces, the inflater and the unpacker, in
// process: which names an archive may hold, where the runtime goes, the
// proxy rules, what the unpacker refuses before it writes anything, and the
// download's file kept from writers.
#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "fetch/archive_names.h"
#include "fetch/http_download.h"
#include "fetch/inflate.h"
#include "fetch/proxy_settings.h"
#include "fetch/runtime_store.h"
#include "fetch/sha256.h"
#include "fetch/zip_unpack.h"
#include "temp_folder.h"
#include "test_http_server.h"
#include "zip_writer.h"

TEST(ArchiveNames, RefusesEveryNameThatCouldLeaveTheStagingFolder) {
    const struct {
        const char* name;
        NameVerdict verdict;
    } cases[] = {
        {"jdk/bin/java.exe", NameVerdict::Accepted},
        {"jdk/bin/", NameVerdict::Accepted},
        {"jdk\\lib\\x.jar", NameVerdict::Accepted},
        {"", NameVerdict::Empty},
        {"/etc/passwd", NameVerdict::Absolute},
        {"\\\\server\\share\\x", NameVerdict::Absolute},
        {"C:/Windows/x.dll", NameVerdict::DriveOrStream},
        {"jdk/release:stream", NameVerdict::DriveOrStream},
        {"jdk/../../evil.txt", NameVerdict::ParentStep},
        {"jdk/..\\evil.txt", NameVerdict::ParentStep},
        {"jdk/./x", NameVerdict::ParentStep},
        {"jdk//x", NameVerdict::EmptyPart},
        {"jdk/bin./x", NameVerdict::TrailingDotOrBlank},
        {"jdk/a\x01" "b", NameVerdict::BadCharacter},
        {"jdk/a?b", NameVerdict::BadCharacter},
        {"jdk/bin/NUL", NameVerdict::DeviceName},
        {"jdk/COM1", NameVerdict::DeviceName},
        {"jdk/lib/LPT1.dll", NameVerdict::DeviceName},
        {"jdk/include/aux.h", NameVerdict::DeviceName},
        {"jdk/conout$", NameVerdict::DeviceName},
        {"jdk/nul .txt", NameVerdict::DeviceName},
        {"jdk/COM10", NameVerdict::Accepted},
        {"jdk/console.h", NameVerdict::Accepted},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.verdict, checkArchiveName(c.name, strlen(c.name))) << c.name;
    }
    EXPECT_EQ(NameVerdict::TooLong, checkArchiveName(std::string(201, 'a').c_str(), 201));
}

TEST(ArchiveNames, TakeOffTheTopFolder) {
    EXPECT_STREQ("jdk-17", topFolderOf("jdk-17/bin/java.exe", 19).c_str());
    EXPECT_STREQ("bin\\java.exe", belowTopFolder("jdk-17/bin/java.exe", 19).c_str());
    EXPECT_STREQ("bin", belowTopFolder("jdk-17/bin/", 11).c_str());
    EXPECT_STREQ("", belowTopFolder("jdk-17/", 7).c_str());
    EXPECT_TRUE(isPlainFolderName("Vendor\\My App"));
    for (const char* bad : {"", "..", "a\\..\\b", "C:\\x", "a/b", "\\a", "a\\", "Vendor Inc.\\App", "App\\CON"}) {
        EXPECT_FALSE(isPlainFolderName(bad)) << bad;
    }
}

TEST(RuntimeStore, NamesTheFoldersAfterTheDigest) {
    const RuntimeStore store = runtimeStoreFor("C:\\Users\\u\\AppData\\Local", "MyApp", "ABCDEF0123456789ffff");
    EXPECT_STREQ("C:\\Users\\u\\AppData\\Local\\MyApp\\runtime\\abcdef012345", store.home.c_str());
    EXPECT_STREQ("C:\\Users\\u\\AppData\\Local\\MyApp\\runtime\\abcdef012345.part", store.partFile.c_str());
    EXPECT_STREQ("C:\\Users\\u\\AppData\\Local\\MyApp\\runtime\\abcdef012345.staging", store.staging.c_str());
    EXPECT_STREQ("MyApp", defaultRuntimeFolderName("C:\\x y\\MyApp.EXE").c_str());
    EXPECT_STREQ("tool", defaultRuntimeFolderName("tool").c_str());
}

TEST(Sha256Text, ParsesSixtyFourHexDigitsOnly) {
    BYTE digest[SHA256_BYTES];
    const std::string good(64, 'a');
    ASSERT_TRUE(parseSha256Hex(("0F" + good.substr(2)).c_str(), digest));
    EXPECT_EQ(0x0F, digest[0]);
    EXPECT_EQ("0f" + good.substr(2), sha256Hex(digest).c_str());
    EXPECT_FALSE(parseSha256Hex(good.substr(1).c_str(), digest));
    EXPECT_FALSE(parseSha256Hex((good.substr(1) + "g").c_str(), digest));
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", sha256Of(""));
}

TEST(ProxyRules, EnvironmentProxyUnlessExcluded) {
    const struct {
        const char* host;
        const char* value;
        const char* noProxy;
        const char* proxy;
    } cases[] = {
        {"cdn.example.com", "http://user:pw@proxy.lan:3128/", "", "proxy.lan:3128"},
        {"cdn.example.com", "proxy.lan:8080", "other.org, .example.com", ""},
        {"example.com", "proxy.lan:8080", "example.com:443", ""},
        {"badexample.com", "proxy.lan:8080", "example.com", "proxy.lan:8080"},
        {"cdn.example.com", "proxy.lan:8080", "*", ""},
        {"cdn.example.com", "", "", ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.proxy, environmentProxy(c.host, c.value, c.noProxy).c_str()) << c.host;
    for (const char* local : {"localhost", "127.0.0.1", "127.1.2.3", "[::1]"}) EXPECT_TRUE(isLoopbackHost(local));
    EXPECT_FALSE(isLoopbackHost("127example.com"));
}

namespace {

const std::string RUNTIME = "jdk/bin/javaw.exe";

// The unpacker reads through a handle, as the download hands it over.
UnpackResult unpackFile(const std::string& archive, const std::string& staging, LONG cancel = 0) {
    HANDLE file = CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const volatile LONG cancelled = cancel;
    const UnpackResult result = unpackRuntimeArchive(file, staging.c_str(), &cancelled);
    CloseHandle(file);
    return result;
}

std::vector<ZipEntry> runtimeEntries() {
    return {{"jdk/", ""}, {RUNTIME, std::string(5000, 'x')}, {"jdk/release", "JAVA_VERSION=\"17\"\n", false}};
}

}  // namespace

TEST(ZipUnpack, UnpacksAGoodArchiveAndRefusesEveryFault) {
    struct Case {
        const char* what;
        std::vector<ZipEntry> extra;
        UnpackFailure failure;
        LONG cancel = 0;
    };
    ZipEntry encrypted{"jdk/secret", "x", false, 1};
    ZipEntry method{"jdk/x", "abc", false, 0, 12};
    ZipEntry wrongCrc{"jdk/lib/x", std::string(3000, 'y')};
    wrongCrc.wrongCrc = true;
    const Case cases[] = {
        {"good", {{"jdk/lib/a/b.txt", "hello"}, {"jdk/empty", ""}}, UnpackFailure::None},
        {"parent step", {{"jdk/../../evil.txt", "x"}}, UnpackFailure::BadName},
        {"absolute", {{"/evil.txt", "x"}}, UnpackFailure::BadName},
        {"drive", {{"C:/evil.txt", "x"}}, UnpackFailure::BadName},
        {"second top folder", {{"other/x", "x"}}, UnpackFailure::NoSingleTopFolder},
        {"file at the top", {{"readme", "x"}}, UnpackFailure::NoSingleTopFolder},
        {"encrypted", {encrypted}, UnpackFailure::Encrypted},
        {"method", {method}, UnpackFailure::Method},
        {"crc", {wrongCrc}, UnpackFailure::WrongCrc},
        {"twice", {{RUNTIME, "again"}}, UnpackFailure::CannotWrite},
        {"cancelled", {}, UnpackFailure::Cancelled, 1},
    };
    for (const Case& c : cases) {
        TempFolder temp("unpack");
        std::vector<ZipEntry> entries = runtimeEntries();
        entries.insert(entries.end(), c.extra.begin(), c.extra.end());
        writeFile(temp / "a.zip", zipArchive(entries));
        const UnpackResult result = unpackFile(temp / "a.zip", temp / "staging", c.cancel);
        EXPECT_EQ(c.failure, result.failure) << c.what;
        // Refused names are refused before anything is written.
        if (c.failure == UnpackFailure::BadName) {
            EXPECT_FALSE(fileExists(temp / "staging")) << c.what;
        }
        EXPECT_FALSE(fileExists(temp / "evil.txt")) << c.what;
        if (c.failure == UnpackFailure::None) {
            EXPECT_EQ(std::string(5000, 'x'), readFile(temp / "staging\\bin\\javaw.exe"));
            EXPECT_EQ("hello", readFile(temp / "staging\\lib\\a\\b.txt"));
            EXPECT_EQ(4u, result.files);
        }
    }
}

TEST(ZipUnpack, RequiresTheRuntimesFilesAndAnArchive) {
    TempFolder temp("unpack");
    writeFile(temp / "a.zip", zipArchive({{"jdk/release", "x"}}));
    EXPECT_EQ(UnpackFailure::Incomplete, unpackFile(temp / "a.zip", temp / "s1").failure);
    std::string cut = zipArchive(runtimeEntries());
    writeFile(temp / "b.zip", cut.substr(0, cut.size() / 2));
    EXPECT_EQ(UnpackFailure::NotAnArchive, unpackFile(temp / "b.zip", temp / "s2").failure);
}

// What is unpacked is what was hashed: the download's file stays open, with
// writers denied, for the unpacking.
TEST(Download, KeepsTheCheckedFileOpenWithWritersDenied) {
    TestHttpServer server;
    TempFolder temp("download");
    const std::string body(70000, 'r');
    server.serve("/r.zip", ServedPath{ServedPath::Body, body, "", 200});
    DownloadJob job;
    job.address = server.url("/r.zip").c_str();
    job.size = body.size();
    ASSERT_TRUE(parseSha256Hex(sha256Of(body).c_str(), job.sha256));
    job.file = (temp / "r.part").c_str();
    DownloadShared shared;
    const DownloadResult result = downloadFile(job, &shared);
    ASSERT_EQ(DownloadFailure::None, result.failure);
    HANDLE writer = CreateFileA(job.file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

namespace {

// The inflater on `packed`, fed in pieces of `piece` bytes.
InflateResult inflated(const std::string& packed, size_t piece, std::string* out, bool* trailing) {
    struct Feed {
        const std::string& in;
        size_t at, piece;
        std::string* out;
    } feed{packed, 0, piece, out};
    const InflateStreams streams = {
        [](void* context, const BYTE** data) -> DWORD {
            Feed& f = *static_cast<Feed*>(context);
            const size_t length = std::min(f.piece, f.in.size() - f.at);
            *data = reinterpret_cast<const BYTE*>(f.in.data() + f.at);
            f.at += length;
            return static_cast<DWORD>(length);
        },
        [](void* context, const BYTE* data, DWORD length) {
            static_cast<Feed*>(context)->out->append(reinterpret_cast<const char*>(data), length);
            return true;
        },
        &feed};
    std::vector<BYTE> window(INFLATE_WINDOW);
    return inflateRaw(streams, window.data(), trailing);
}

}  // namespace

// Every kind of block zlib's deflate makes, back references across the
// whole window, input one byte at a time; cut, trailing and damaged data.
TEST(Inflate, DecodesWhatDeflateMakesAndRefusesTheRest) {
    std::string data;
    for (unsigned i = 0, seed = 7; i < 200000; ++i) {
        seed = seed * 1103515245 + 12345;
        data += i > 32768 && seed % 3 ? data[i - 32768 + seed % 16] : static_cast<char>('a' + (seed >> 16) % 20);
    }
    const struct {
        int level, strategy;
        size_t size, piece;
        std::string extra;  // after the deflated data
        InflateResult result;
        bool trailing;
    } cases[] = {
        {0, Z_DEFAULT_STRATEGY, 100000, 4096, "", InflateResult::Done, false},  // stored blocks
        {6, Z_FIXED, 100000, 65536, "", InflateResult::Done, false},
        {9, Z_DEFAULT_STRATEGY, 200000, 65536, "", InflateResult::Done, false},  // dynamic codes
        {6, Z_RLE, 50000, 777, "", InflateResult::Done, false},
        {6, Z_DEFAULT_STRATEGY, 40000, 1, "", InflateResult::Done, false},
        {6, Z_DEFAULT_STRATEGY, 0, 10, "", InflateResult::Done, false},
        {6, Z_DEFAULT_STRATEGY, 40000, 4096, "x", InflateResult::Done, true},
    };
    for (const auto& c : cases) {
        std::string out;
        bool trailing = !c.trailing;
        EXPECT_EQ(c.result, inflated(rawDeflated(data.substr(0, c.size), c.level, c.strategy) + c.extra, c.piece, &out, &trailing));
        EXPECT_TRUE(data.substr(0, c.size) == out) << c.size;
        EXPECT_EQ(c.trailing, trailing) << c.size;
    }
    const std::string packed = rawDeflated(data, 6, Z_DEFAULT_STRATEGY);
    std::string out;
    bool trailing = false;
    EXPECT_EQ(InflateResult::InputEnded, inflated(packed.substr(0, packed.size() / 2), 4096, &out, &trailing));
    EXPECT_EQ(InflateResult::Damaged, inflated("\x07", 1, &out, &trailing));  // a final block of the reserved type
    for (size_t at = 0; at + 4 < packed.size(); at += packed.size() / 50) {
        std::string damaged = packed;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        out.clear();
        EXPECT_TRUE(inflated(damaged, 4096, &out, &trailing) != InflateResult::Done || out != data) << at;
    }
}
