package org.javalauncher.maven;

import java.util.ArrayList;
import java.util.List;

/**
 * The version number Windows shows for a program: four numbers of 16 bits.
 * A project's version gives its leading numbers; a qualifier such as
 * "-SNAPSHOT", "-beta-2" or ".Final" ends them, missing numbers are 0 and
 * numbers past the fourth are dropped.
 */
final class VersionNumber {
    static final int NUMBERS = 4;
    static final int LARGEST = 65535;

    private VersionNumber() {
    }

    /** "1.2.3-SNAPSHOT" gives "1.2.3.0". */
    static String of(String projectVersion) {
        List<Long> numbers = leadingNumbers(projectVersion);
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < NUMBERS; ++i) {
            long n = i < numbers.size() ? numbers.get(i) : 0;
            if (n > LARGEST) {
                throw new IllegalArgumentException("the project's version " + projectVersion
                        + " does not make a Windows version number (four numbers of at most " + LARGEST
                        + "); set the plugin's <version>, e.g. <version>1.2.3.4</version>");
            }
            text.append(i == 0 ? "" : ".").append(n);
        }
        return text.toString();
    }

    private static List<Long> leadingNumbers(String version) {
        List<Long> numbers = new ArrayList<>();
        int at = 0;
        while (numbers.size() < NUMBERS && at < version.length()) {
            int end = at;
            while (end < version.length() && version.charAt(end) >= '0' && version.charAt(end) <= '9') ++end;
            if (end == at) break;
            // More digits than a long holds are too large all the same.
            numbers.add(end - at > 18 ? Long.MAX_VALUE : Long.parseLong(version.substring(at, end)));
            if (end == version.length() || version.charAt(end) != '.') break;
            at = end + 1;
        }
        return numbers;
    }
}
