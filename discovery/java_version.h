// Java versions: where a version comes from (a home's release file, the
// output of "-version") and, for the modern runtime search, how two compare
// as numbers. The classic search compares versions as text instead
// (version_probe.h).
#pragma once

#include "base/text.h"

struct JavaVersion {
    static const int MAX_ELEMENTS = 6;

    unsigned elements[MAX_ELEMENTS] = {};
    int count = 0;            // 0: the text held no version
    bool preRelease = false;  // "22-ea" is below 22

    bool valid() const { return count > 0; }
    // 8 for 1.8.0_301 and 8u301, 17 for 17.0.2.
    unsigned feature() const { return count > 0 ? elements[0] : 0; }
};

// Reads a version that begins with a digit: elements separated by "." or
// "_"; "1.x.y_z" means x.y.z and "8u301" means 8.0.301. A "-" suffix marks
// a pre-release, except an old build number ("-b09"); "+35" and anything
// else after the numbers is ignored. Elements beyond six are dropped and
// each saturates at 999999999.
JavaVersion parseJavaVersion(const char* text);

// <0, 0 or >0 as a is below, equal to or above b. Missing elements count
// as 0; a pre-release is below its release.
int compareJavaVersions(const JavaVersion& a, const JavaVersion& b);

// Whether `version` is not above `maximum`, a shorter maximum covering its
// longer forms: 17 covers 17.0.12 and 17.0.8.1 but not 18, 1.8 covers
// 1.8.0_401. No maximum (an invalid one) covers everything.
bool isWithinMaximum(const JavaVersion& version, const JavaVersion& maximum);

// The text inside the quotes of the first line of "-version" output that
// holds ` version "`; a "Picked up ..." line, printed first when the user
// set options in the environment, never counts. Empty when there is none.
Text versionInJavaOutput(const Text& output);

// Where the "Picked up ..." lines at the start of the output end (0 when
// there are none); only whole lines count.
size_t afterPickedUpLines(const Text& output);

// Whether the output holds a whole line (ended by a line feed) with
// ` version "` in it, "Picked up ..." lines aside: the runtime has answered.
bool holdsVersionLine(const Text& output);

// The value of the JAVA_VERSION line of a home's release file, without its
// quotes; empty when there is none.
Text versionInReleaseFile(const Text& contents);
