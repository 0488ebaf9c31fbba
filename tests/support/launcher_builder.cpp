#include "launcher_builder.h"

#include "configurator/launcher_resources.h"
#include "configurator/manifest.h"
#include "temp_folder.h"
#include "test_paths.h"

LauncherSpec LauncherSpec::shipped() {
    LauncherSpec spec;
    spec.strings = {
        {97, "alive"},
        {98, "3"},
        {99, "jre\\bin\\javaw.exe"},
        {100, "-Xmx1024m -Dapple.laf.useScreenMenuBar=true -Dcom.apple.mrj.application.apple.menu.about.name=Marblewright"},
        {101, "marblewright.jar"},
        {102, "waitForWindow"},
        {104, "1.5"},
    };
    return spec;
}

void writeLauncher(const std::string& path, const LauncherSpec& spec) {
    const std::string image = readFile(launcherImage());
    LauncherResources resources(Bytes(image.begin(), image.end()));
    for (int id = 96; id <= 127; ++id) {
        auto it = spec.strings.find(id);
        resources.setString(static_cast<std::uint16_t>(id), it == spec.strings.end() ? std::string() : it->second);
    }
    if (spec.splash) {
        resources.setSplashBytes(Bytes(spec.splash->begin(), spec.splash->end()));
    } else {
        resources.removeSplash();
    }
    if (spec.unicode) setUnicodeMode(resources.tree(), true);
    const Bytes built = resources.build();
    writeFile(path, std::string(built.begin(), built.end()));
}
