// The shipped launcher's version information names its sample
// application; none of it may leak into a user's product unnoticed.
#pragma once

#include <string>

#include "configurator/config_file.h"
#include "configurator/version_info.h"

// When the run gives the file's own description or version, the file's
// names follow the output's: OriginalFilename "MyApp.exe", InternalName
// "MyApp" (unless the run sets them itself).
void nameAfterOutput(Changes& changes, const std::string& outputPath);

// One line naming every version string that still holds the shipped
// sample's value and the option that sets it; "" when there is none.
std::string sampleNamesWarning(const VersionInfo& info);
