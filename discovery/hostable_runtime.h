// Whether a runtime can run inside the launcher's own process, by its files
// alone, before anything of it is loaded: a release file of Java 9 or later,
// a launcher library (bin\jli.dll) and a default VM of the launcher's width,
// and no java.dll where that library looks before its own runtime. It takes
// the runtime's home from the path of the program it runs in first (the
// program's file name and one folder removed, then "bin\java.dll" or
// "jre\bin\java.dll" there), so for a launcher at C:\App\app.exe a
// C:\bin\java.dll that any user may create would otherwise be loaded.
#pragma once

#include "base/text.h"

struct HostableRuntime {
    Text library;  // home\bin\jli.dll, a full path
    Text version;  // the JAVA_VERSION of its release file
};

// The VM that a lib\jvm.cfg of these contents names first, the runtime's
// default ("server" for "-server KNOWN"); empty when it names none.
Text defaultVmName(const Text& jvmConfig);

// Why the runtime of `javaExecutable` cannot run inside the launcher in
// `launcherFolder`, as the trace says it; empty when it can, and `runtime`
// then describes it.
Text inProcessObstacle(const Text& javaExecutable, const Text& launcherFolder, HostableRuntime& runtime);
