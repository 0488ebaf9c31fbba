// The modern search's version rule, where its versions come from, and what
// it reads from an executable and a setting, in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/java_version.h"
#include "discovery/modern_search.h"
#include "discovery/runtime_facts.h"
#include "temp_folder.h"
#include "test_paths.h"

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

std::vector<unsigned> elementsOf(const JavaVersion& version) {
    return std::vector<unsigned>(version.elements, version.elements + version.count);
}

}  // namespace

TEST(ModernVersionRule, ReadsEveryFormAsNumbers) {
    struct Case {
        const char* text;
        std::vector<unsigned> elements;
        bool preRelease;
    };
    const Case cases[] = {
        {"1.8.0_301", {8, 0, 301}, false},
        {"8u301", {8, 0, 301}, false},
        {"1.8", {8}, false},
        {"17.0.8.1", {17, 0, 8, 1}, false},
        {"21", {21}, false},
        {"22-ea", {22}, true},
        {"17-internal", {17}, true},
        {"1.8.0_301-b09", {8, 0, 301}, false},  // an old build number, not a pre-release
        {"17.0.2+8", {17, 0, 2}, false},
        {"1", {1}, false},
        {" 11.0.22", {11, 0, 22}, false},
        {"1.2.3.4.5.6.7.8", {2, 3, 4, 5, 6, 7}, false},
        {"99999999999.1", {999999999, 1}, false},
        {"", {}, false},
        {"version", {}, false},
        {"v17", {}, false},
    };
    for (const Case& c : cases) {
        const JavaVersion version = parseJavaVersion(c.text);
        EXPECT_EQ(c.elements, elementsOf(version)) << c.text;
        EXPECT_EQ(c.preRelease, version.preRelease) << c.text;
    }
}

TEST(ModernVersionRule, ComparesNumbersNotText) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"1.8.0_101", "1.8.0_77", 1}, {"11", "9", 1},         {"1.10", "1.5", 1},     {"17.0.8.1", "17.0.8", 1},
        {"17.0.8", "17.0.8.0", 0},    {"8u301", "1.8.0_301", 0}, {"1.8", "8", 0},       {"22-ea", "22", -1},
        {"22-ea", "21.0.9", 1},       {"21", "17.0.12", 1},   {"17.0.2+8", "17.0.2", 0}, {"1.8.0_301-b09", "8u301", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.order, sign(compareJavaVersions(parseJavaVersion(c.a), parseJavaVersion(c.b)))) << c.a << " " << c.b;
        EXPECT_EQ(-c.order, sign(compareJavaVersions(parseJavaVersion(c.b), parseJavaVersion(c.a)))) << c.b << " " << c.a;
    }
}

TEST(ModernVersionRule, ShorterMaximumCoversItsLongerForms) {
    struct Case {
        const char* version;
        const char* maximum;
        bool within;
    };
    const Case cases[] = {
        {"17.0.12", "17", true},    {"17.0.8.1", "17", true},      {"18", "17", false},
        {"1.8.0_401", "1.8", true}, {"9", "1.8", false},           {"17.0.2", "17.0.1", false},
        {"17.0.1.5", "17.0.1", true}, {"17", "17.0.1", true},      {"22-ea", "22", true},
        {"8u401", "8", true},       {"99", "", true},              {"99", "latest", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.within, isWithinMaximum(parseJavaVersion(c.version), parseJavaVersion(c.maximum)))
            << c.version << " up to " << c.maximum;
    }
}

TEST(ModernVersionSources, FirstVersionLineOfJavaOutput) {
    struct Case {
        const char* output;
        const char* version;
    };
    const Case cases[] = {
        {"openjdk version \"21\" 2023-09-19 LTS\nOpenJDK Runtime Environment", "21"},
        {"java version \"1.8.0_301\"\r\nJava(TM) SE Runtime Environment (build 1.8.0_301-b09)\r\n", "1.8.0_301"},
        {"Picked up _JAVA_OPTIONS: -Xmx1g\r\nopenjdk version \"17.0.2\" 2022-01-18\r\n", "17.0.2"},
        {"Picked up JAVA_TOOL_OPTIONS: -Dname=\"my version \"2\"\"\nopenjdk version \"11.0.22\"\n", "11.0.22"},
        {"openjdk version \"22-ea\" 2024-03-19\n", "22-ea"},
        {"openjdk version 17\nno quotes anywhere\n", ""},
        {"java version \"1.8", ""},
        {"Error: could not open `C:\\jre\\lib\\jvm.cfg'\r\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.version, versionInJavaOutput(c.output).c_str()) << c.output;
}

TEST(ModernVersionSources, JavaVersionLineOfTheReleaseFile) {
    struct Case {
        const char* contents;
        const char* version;
    };
    const Case cases[] = {
        {"IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"17.0.2\"\nOS_NAME=\"Windows\"\n", "17.0.2"},
        {"JAVA_VERSION_DATE=\"2022-01-18\"\r\nJAVA_VERSION=\"1.8.0_402\"\r\n", "1.8.0_402"},
        {"JAVA_VERSION=21", "21"},
        {"IMPLEMENTOR=\"x\"\nJAVA_RUNTIME_VERSION=\"17.0.2+8\"\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.version, versionInReleaseFile(c.contents).c_str()) << c.contents;
}

TEST(ModernSearchSettings, RuntimeBitsAreSixtyFourThirtyTwoOrEither) {
    struct Case {
        const char* setting;
        int bits;
        bool understood;
    };
    const Case cases[] = {{"64", 64, true}, {" 32 ", 32, true}, {"", 0, true}, {"x64", 0, false}, {"86", 0, false}};
    for (const Case& c : cases) {
        bool understood = !c.understood;
        EXPECT_EQ(c.bits, parseRuntimeBits(c.setting, &understood)) << c.setting;
        EXPECT_EQ(c.understood, understood) << c.setting;
    }
}

TEST(ModernRuntimeFacts, WidthComesFromThePeHeaderMachineField) {
    TempFolder folder("widths");
    // An image cut down to its DOS header and the PE signature, with the
    // PE header at `offset` and this machine.
    auto image = [](unsigned offset, unsigned machine) {
        std::string bytes(offset + 24, '\0');
        bytes[0] = 'M';
        bytes[1] = 'Z';
        for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
        bytes.replace(offset, 4, std::string("PE\0\0", 4));
        bytes[offset + 4] = static_cast<char>(machine & 0xFF);
        bytes[offset + 5] = static_cast<char>(machine >> 8);
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        int width;
    };
    const Case cases[] = {
        {"x86.exe", image(0x80, 0x14C), 32},
        {"x64.exe", image(0x80, 0x8664), 64},
        {"arm64.exe", image(0x100, 0xAA64), 64},
        {"itanium.exe", image(0x80, 0x200), 0},
        {"text.exe", "echo not a program", 0},
        {"stub only.exe", image(0x80, 0x14C).substr(0, 0x70), 0},
        {"far header.exe", image(0x80, 0x8664).replace(0x3C, 4, std::string("\0\0\x10\0", 4)), 0},
        {"no signature.exe", image(0x80, 0x8664).replace(0x80, 2, "NE"), 0},
    };
    for (const Case& c : cases) {
        writeFile(folder / c.name, c.bytes);
        EXPECT_EQ(c.width, executableWidth((folder / c.name).c_str())) << c.name;
    }
    EXPECT_EQ(64, executableWidth(standinImage(64).c_str()));
    EXPECT_EQ(32, executableWidth(standinImage(32).c_str()));
    EXPECT_EQ(-1, executableWidth((folder / "missing.exe").c_str()));
    EXPECT_EQ(-1, executableWidth(folder.path().c_str()));
}
