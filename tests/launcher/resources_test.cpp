// What the shipped launcher image carries besides its code: the launch
// settings, the icon, version information and the manifest.
#include <gtest/gtest.h>

#include <string>

#include "configurator/launcher_resources.h"
#include "configurator/string_table.h"
#include "temp_folder.h"
#include "test_paths.h"

namespace {

LauncherResources shippedLauncher() {
    std::string image = readFile(launcherImage());
    return LauncherResources(Bytes(image.begin(), image.end()));
}

std::string resourceText(const LauncherResources& r, std::uint16_t type) {
    std::vector<const Resource*> found = r.tree().ofType(ResourceId::of(type));
    if (found.empty()) return std::string();
    return std::string(found[0]->data.begin(), found[0]->data.end());
}

}  // namespace

TEST(ShippedLauncher, CarriesTheShippedSettingsInLanguage1033) {
    LauncherResources r = shippedLauncher();
    EXPECT_FALSE(r.string(96));
    EXPECT_EQ("alive", r.string(97).value_or("?"));
    EXPECT_EQ("3", r.string(98).value_or("?"));
    EXPECT_EQ("jre\\bin\\javaw.exe", r.string(99).value_or("?"));
    EXPECT_EQ("-Xmx1024m -Dapple.laf.useScreenMenuBar=true -Dcom.apple.mrj.application.apple.menu.about.name=Marblewright",
              r.string(100).value_or("?"));
    EXPECT_EQ("marblewright.jar", r.string(101).value_or("?"));
    EXPECT_EQ("waitForWindow", r.string(102).value_or("?"));
    EXPECT_FALSE(r.string(103));
    EXPECT_EQ("1.5", r.string(104).value_or("?"));
    EXPECT_FALSE(r.string(105));
    EXPECT_FALSE(r.splash());
    for (const Resource* block : r.tree().ofType(ResourceId::of(RT_STRING_TYPE))) EXPECT_EQ(1033, block->language);
}

TEST(ShippedLauncher, RunsAsTheInvokingUserIsDpiAwareAndNamesItsSystems) {
    const std::string manifest = resourceText(shippedLauncher(), RT_MANIFEST_TYPE);
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
    EXPECT_NE(std::string::npos, manifest.find("<dpiAware"));
    EXPECT_NE(std::string::npos, manifest.find("PerMonitorV2"));
    EXPECT_NE(std::string::npos, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));  // Windows 10 and 11
    EXPECT_NE(std::string::npos, manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"));  // Windows 7
}

TEST(ShippedLauncher, HasAnIconAndVersionInformation) {
    LauncherResources r = shippedLauncher();
    EXPECT_EQ(1u, r.tree().ofType(ResourceId::of(RT_GROUP_ICON_TYPE)).size());
    EXPECT_GE(r.tree().ofType(ResourceId::of(RT_ICON_TYPE)).size(), 2u);
    const std::string version = resourceText(r, RT_VERSION_TYPE);
    EXPECT_NE(std::u16string::npos,
              std::u16string(reinterpret_cast<const char16_t*>(version.data()), version.size() / 2)
                  .find(u"FileDescription"));
}
