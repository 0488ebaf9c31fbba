// The configurator's core on a real launcher image, on the build machine.
#include <gtest/gtest.h>

#include <string>

#include "configurator/config_file.h"
#include "configurator/icon_file.h"
#include "configurator/tests/image_checks.h"
#include "configurator/launcher_resources.h"
#include "configurator/picture_check.h"
#include "configurator/string_table.h"
#include "configurator/version_info.h"

namespace {

Bytes launcherImage() {
    Bytes image = readFileBytes(launcherImagePath());
    if (image.empty()) ADD_FAILURE() << "no launcher image at " << launcherImagePath();
    return image;
}

Bytes testFile(const std::string& name) { return readFileBytes(std::string(TEST_DATA) + "/" + name); }

Bytes bitmapFile(bool withHeader) {
    Bytes info(40, 0);
    write32(info, 0, 40);
    write32(info, 4, 4);
    write32(info, 8, 4);
    write16(info, 12, 1);
    write16(info, 14, 24);
    Bytes pixels(4 * 12, 0x40);
    Bytes file;
    if (withHeader) {
        file = {'B', 'M'};
        append32(file, 14 + 40 + 48);
        append32(file, 0);
        append32(file, 14 + 40);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

}  // namespace

TEST(PeImage, RebuildingWithoutChangesKeepsEveryResourceAndAConsistentImage) {
    const Bytes original = launcherImage();
    LauncherResources launcher(original);
    const Bytes rebuilt = launcher.build();
    EXPECT_EQ("", imageProblems(rebuilt));
    EXPECT_EQ("", objdumpProblems(rebuilt));
    const ResourceTree before = PeImage(original).resources(), after = PeImage(rebuilt).resources();
    ASSERT_EQ(before.all().size(), after.all().size());
    for (const Resource& r : before.all()) {
        const Resource* same = after.find(r.type, r.name, r.language);
        ASSERT_NE(nullptr, same) << r.type.describe() << "/" << r.name.describe();
        EXPECT_EQ(r.data, same->data);
    }
    // The code and data before the resources are untouched.
    const Section& resources = PeImage(original).sections()[PeImage(original).sections().size() - 2];
    for (std::uint32_t i = 0x400; i < resources.rawOffset; ++i) {
        if (original[i] != rebuilt[i]) FAIL() << "byte " << i << " changed";
    }
}

TEST(PeImage, GrownResourcesMoveTheRelocationsAndKeepTheImageConsistent) {
    LauncherResources launcher(launcherImage());
    launcher.setSplashBytes(Bytes(300000, 0x42));
    launcher.setString(100, std::string(60000, 'v'));
    const Bytes grown = launcher.build();
    EXPECT_EQ("", imageProblems(grown));
    EXPECT_EQ("", objdumpProblems(grown));
    // And shrinking again.
    LauncherResources again(grown);
    again.removeSplash();
    again.setString(100, "");
    const Bytes shrunk = again.build();
    EXPECT_EQ("", imageProblems(shrunk));
    EXPECT_LT(shrunk.size(), grown.size());
    EXPECT_LE(shrunk.size(), launcherImage().size());
}

TEST(LaunchSettings, TextsRoundTripIncludingLongAndNonAsciiOnes) {
    LauncherResources launcher(launcherImage());
    const std::string long300 = std::string(300, 'x') + ".jar";
    launcher.setString(101, long300);
    launcher.setString(100, "-Dname=Caf\xC3\xA9 -Dsign=\xE2\x82\xAC");
    launcher.setString(96, " ");
    launcher.setString(97, "");
    launcher.setString(111, "unused but kept");
    LauncherResources back(launcher.build());
    EXPECT_EQ(long300, back.string(101).value_or("?"));
    EXPECT_EQ("-Dname=Caf\xC3\xA9 -Dsign=\xE2\x82\xAC", back.string(100).value_or("?"));
    EXPECT_EQ(" ", back.string(96).value_or("?"));
    EXPECT_FALSE(back.string(97));
    EXPECT_EQ("unused but kept", back.string(111).value_or("?"));
    EXPECT_EQ("1.5", back.string(104).value_or("?"));  // the others stay
}

TEST(LaunchSettings, BlockWithNoStringLeftIsRemoved) {
    LauncherResources launcher(launcherImage());
    for (std::uint16_t id = 96; id <= 111; ++id) launcher.setString(id, "");
    EXPECT_TRUE(launcher.tree().ofType(ResourceId::of(RT_STRING_TYPE)).empty());
    EXPECT_EQ("", imageProblems(launcher.build()));
}

TEST(LaunchSettings, TextsBeyondAStringResourceAndBadUtf8AreRefused) {
    LauncherResources launcher(launcherImage());
    EXPECT_NO_THROW(launcher.setString(100, std::string(65535, 'v')));
    EXPECT_THROW(launcher.setString(100, std::string(65536, 'v')), FormatError);
    EXPECT_THROW(launcher.setString(100, "\xC3"), FormatError);
    EXPECT_THROW(launcher.setString(100, "\xC0\xAF"), FormatError);  // overlong
    EXPECT_THROW(launcher.setString(100, "\xED\xA0\x80"), FormatError);  // a surrogate
}

TEST(SplashPicture, CompletePictureFilesAreTakenAndOthersRefusedWithTheReason) {
    EXPECT_EQ("BMP", checkSplashPicture(bitmapFile(true)));
    EXPECT_EQ("JPEG", checkSplashPicture(testFile("splash-400x300.jpg")));
    EXPECT_EQ("GIF", checkSplashPicture(testFile("splash-400x300.gif")));
    struct Refused {
        Bytes bytes;
        const char* reason;
    };
    Bytes cutJpeg = testFile("splash-400x300.jpg");
    cutJpeg.resize(cutJpeg.size() / 2);
    Bytes cutGif = testFile("splash-400x300.gif");
    cutGif.resize(cutGif.size() - 8);
    Bytes cutBmp = bitmapFile(true);
    cutBmp.resize(60);
    const Refused refused[] = {
        {bitmapFile(false), "without its file header"},
        {Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}, "PNG"},
        {Bytes(100, 0x5A), "not a picture file"},
        {Bytes(), "not a picture file"},
        {cutJpeg, "cut JPEG"},
        {cutGif, "cut GIF"},
        {cutBmp, "cut BMP"},
    };
    for (const Refused& r : refused) {
        try {
            checkSplashPicture(r.bytes);
            ADD_FAILURE() << "taken: " << r.reason;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(r.reason)) << e.what();
        }
    }
    int width = 0, height = 0;
    pictureSize(testFile("splash-400x300.jpg"), width, height);
    EXPECT_EQ(400, width);
    EXPECT_EQ(300, height);
}

TEST(ApplicationIcon, EveryImageOfTheIcoFileReplacesTheOldIcon) {
    LauncherResources launcher(launcherImage());
    const std::vector<IconImage> shipped = applicationIcon(launcher.tree());
    ASSERT_EQ(2u, shipped.size());
    // A new icon of three images, made of the shipped images.
    Bytes ico;
    append16(ico, 0);
    append16(ico, 1);
    append16(ico, 3);
    std::uint32_t offset = 6 + 3 * 16;
    const IconImage images[] = {shipped[0], shipped[1], shipped[0]};
    for (const IconImage& image : images) {
        ico.push_back(static_cast<std::uint8_t>(image.width));
        ico.push_back(static_cast<std::uint8_t>(image.height));
        ico.push_back(0);
        ico.push_back(0);
        append16(ico, 1);
        append16(ico, 32);
        append32(ico, static_cast<std::uint32_t>(image.data.size()));
        append32(ico, offset);
        offset += static_cast<std::uint32_t>(image.data.size());
    }
    for (const IconImage& image : images) ico.insert(ico.end(), image.data.begin(), image.data.end());
    setApplicationIcon(launcher.tree(), readIconFile(ico));
    LauncherResources back(launcher.build());
    const std::vector<IconImage> icon = applicationIcon(back.tree());
    ASSERT_EQ(3u, icon.size());
    EXPECT_EQ(images[2].data, icon[2].data);
    EXPECT_EQ(3u, back.tree().ofType(ResourceId::of(RT_ICON_TYPE)).size());  // the old images went
    EXPECT_EQ(1u, back.tree().ofType(ResourceId::of(RT_GROUP_ICON_TYPE)).size());

    EXPECT_THROW(readIconFile(Bytes(10, 0)), FormatError);
    EXPECT_THROW(readIconFile(testFile("splash-400x300.gif")), FormatError);
    Bytes cut = ico;
    cut.resize(ico.size() - 10);
    EXPECT_THROW(readIconFile(cut), FormatError);
}

TEST(VersionInformation, ShippedInformationReadsAndChangesRoundTrip) {
    LauncherResources launcher(launcherImage());
    VersionInfo shipped = readVersionInfo(launcher.tree());
    EXPECT_EQ("Marblewright", shipped.strings["ProductName"]);
    EXPECT_EQ("1.0.0.0", formatVersionNumber(shipped.fileVersion));

    VersionInfo changed = shipped;
    changed.fileVersion = parseVersionNumber("2.5.7.11");
    changed.productVersion = parseVersionNumber("2.5");
    changed.strings["FileDescription"] = "Caf\xC3\xA9 Editor";
    changed.strings["LegalCopyright"] = "(c) 2026 Example";
    writeVersionInfo(launcher.tree(), changed);
    LauncherResources back(launcher.build());
    VersionInfo read = readVersionInfo(back.tree());
    EXPECT_EQ("2.5.7.11", formatVersionNumber(read.fileVersion));
    EXPECT_EQ("2.5.0.0", formatVersionNumber(read.productVersion));
    EXPECT_EQ(changed.strings, read.strings);
    EXPECT_EQ(1u, back.tree().ofType(ResourceId::of(RT_VERSION_TYPE)).size());
    for (const char* bad : {"", "1.2.3.4.5", "1..2", "1.", "65536", "a.b", "-1"}) {
        EXPECT_THROW(parseVersionNumber(bad), FormatError) << bad;
    }
}

TEST(ResourceTree, NamedEntriesSurviveAndComeBeforeNumberedOnes) {
    LauncherResources launcher(launcherImage());
    Resource named;
    named.type = ResourceId::of(10);
    named.name.named = true;
    named.name.name = u"CONFIG";
    named.language = 1033;
    named.data = {1, 2, 3};
    launcher.tree().put(named);
    LauncherResources back(launcher.build());
    const Resource* found = back.tree().find(named.type, named.name, 1033);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(named.data, found->data);
    EXPECT_EQ("", objdumpProblems(back.build()));
}
