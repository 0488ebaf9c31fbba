// Unicode mode: the manifest entry that makes the ANSI code page UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "configurator/tests/image_checks.h"
#include "configurator/launcher_resources.h"
#include "configurator/manifest.h"

namespace {

const std::string ENTRY = UTF8_CODE_PAGE_ENTRY;

std::string shippedManifest(const LauncherResources& launcher) {
    const Resource* r = launcher.tree().find(ResourceId::of(RT_MANIFEST_TYPE), ResourceId::of(1), 1033);
    return r ? std::string(r->data.begin(), r->data.end()) : std::string();
}

}  // namespace

// The entry goes in on a line of its own and comes out again: everything
// else in the manifest stays byte for byte.
TEST(UnicodeMode, ShippedManifestGainsTheEntryAndLosesItAgain) {
    LauncherResources launcher(readFileBytes(launcherImagePath()));
    const std::string shipped = shippedManifest(launcher);
    ASSERT_NE(std::string::npos, shipped.find("</dpiAwareness>\n"));
    EXPECT_FALSE(unicodeMode(launcher.tree()));

    setUnicodeMode(launcher.tree(), true);
    std::string expected = shipped;
    expected.insert(expected.find("</dpiAwareness>") + 15, "\n      " + ENTRY);
    EXPECT_EQ(expected, shippedManifest(launcher));
    EXPECT_TRUE(unicodeMode(launcher.tree()));
    const Bytes unicode = launcher.build();
    EXPECT_EQ("", imageProblems(unicode));
    EXPECT_TRUE(unicodeMode(LauncherResources(unicode).tree()));

    setUnicodeMode(launcher.tree(), false);
    EXPECT_EQ(shipped, shippedManifest(launcher));
    EXPECT_FALSE(unicodeMode(launcher.tree()));
}

TEST(UnicodeMode, EntryFindsItsPlaceInAnyManifestLayout) {
    const std::string asm1 = "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">";
    const std::string asm3 = "xmlns=\"urn:schemas-microsoft-com:asm.v3\"";
    const std::string prefixed = "<asmv3:application xmlns:asmv3=\"urn:schemas-microsoft-com:asm.v3\">";
    struct Case {
        const char* what;
        std::string manifest;
        std::string withEntry;
    };
    const Case cases[] = {
        {"on one line",
         asm1 + "<application " + asm3 + "><windowsSettings><dpiAware>true</dpiAware></windowsSettings></application></assembly>",
         asm1 + "<application " + asm3 + "><windowsSettings><dpiAware>true</dpiAware>" + ENTRY +
             "</windowsSettings></application></assembly>"},
        {"another code page is replaced",
         asm1 + "\r\n <application " + asm3 + ">\r\n  <windowsSettings>\r\n   <activeCodePage>Legacy</activeCodePage>\r\n"
                "  </windowsSettings>\r\n </application>\r\n</assembly>",
         asm1 + "\r\n <application " + asm3 + ">\r\n  <windowsSettings>\r\n   " + ENTRY +
             "\r\n  </windowsSettings>\r\n </application>\r\n</assembly>"},
        {"empty settings, prefixed",
         asm1 + prefixed + "<asmv3:windowsSettings /></asmv3:application></assembly>",
         asm1 + prefixed + "<asmv3:windowsSettings>" + ENTRY + "</asmv3:windowsSettings></asmv3:application></assembly>"},
        {"no settings, prefixed",
         asm1 + "\n  " + prefixed + "\n    <asmv3:other/>\n  </asmv3:application>\n</assembly>",
         asm1 + "\n  " + prefixed + "\n    <asmv3:other/>\n    <asmv3:windowsSettings>" + ENTRY +
             "</asmv3:windowsSettings>\n  </asmv3:application>\n</assembly>"},
        // The compatibility section's application element is another one.
        {"no application",
         asm1 + "\n  <!-- <activeCodePage>UTF-8</activeCodePage> -->\n  <compatibility><application><supportedOS "
                "Id=\"x>\"/></application></compatibility>\n</assembly>\n",
         asm1 + "\n  <!-- <activeCodePage>UTF-8</activeCodePage> -->\n  <compatibility><application><supportedOS "
                "Id=\"x>\"/></application></compatibility>\n  <application " + asm3 + "><windowsSettings>" + ENTRY +
             "</windowsSettings></application>\n</assembly>\n"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(manifestSetsUtf8(c.manifest)) << c.what;
        EXPECT_EQ(c.withEntry, withUnicodeMode(c.manifest, true)) << c.what;
        EXPECT_TRUE(manifestSetsUtf8(c.withEntry)) << c.what;
        EXPECT_EQ(c.withEntry, withUnicodeMode(c.withEntry, true)) << c.what;
        EXPECT_FALSE(manifestSetsUtf8(withUnicodeMode(c.withEntry, false))) << c.what;
    }
}

TEST(UnicodeMode, ImageWithoutManifestGetsOneOnlyForOn) {
    ResourceTree tree;
    setUnicodeMode(tree, false);
    EXPECT_TRUE(tree.all().empty());
    setUnicodeMode(tree, true);
    EXPECT_TRUE(unicodeMode(tree));
    ASSERT_EQ(1u, tree.all().size());
    const std::string text(tree.all()[0].data.begin(), tree.all()[0].data.end());
    EXPECT_EQ(0u, text.find("<?xml")) << text;
}

TEST(UnicodeMode, ManifestThatIsNoAssemblyIsRefused) {
    for (const char* bad : {"", "not xml at all", "<assembly><application>", "<assembly><a></b></assembly>", "<other/>",
                            "<assembly attribute=\"no end"}) {
        EXPECT_THROW(withUnicodeMode(bad, true), FormatError) << bad;
    }
}
