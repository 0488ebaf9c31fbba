package org.javalauncher.maven;

import java.util.LinkedHashMap;
import java.util.Map;

/**
 * What the program takes from the POM unless the configuration file or the
 * plugin's parameters say otherwise: the jar's name, the names Explorer
 * shows and the version. Written as the first configuration file that
 * launcher-config reads, so that the user's file and the parameters, which
 * come after it, win. An empty value removes a name or a setting: the
 * shipped sample's names and its VM options (which name the sample
 * application) never stay in a project's program.
 */
final class PomDefaults {
    private final Map<String, String> entries = new LinkedHashMap<>();

    PomDefaults(String jarName, String name, String organization, String inceptionYear, String windowsVersion) {
        entries.put("PROP_START_JAR", jarName);
        entries.put("PROP_VM_OPTIONS", "");
        entries.put("file-description", name);
        entries.put("product-name", name);
        entries.put("company", organization);
        entries.put("copyright", copyright(organization, inceptionYear));
        entries.put("version", windowsVersion);
        entries.put("product-version", windowsVersion);
    }

    static String copyright(String organization, String inceptionYear) {
        if (organization.isEmpty()) return "";
        return "Copyright (c) " + (inceptionYear.isEmpty() ? "" : inceptionYear + " ") + organization;
    }

    /** The configuration file's text: quoted values, so that blanks, quotes and backslashes stay. */
    String configurationText() {
        StringBuilder text = new StringBuilder("# Defaults from the project's POM, written by the Maven plugin.\n");
        for (Map.Entry<String, String> e : entries.entrySet()) {
            text.append(e.getKey()).append(" = ").append(quoted(e.getValue())).append('\n');
        }
        return text.toString();
    }

    static String quoted(String value) {
        String oneLine = value.replaceAll("[\\r\\n\\t]+", " ").trim();
        return '"' + oneLine.replace("\\", "\\\\").replace("\"", "\\\"") + '"';
    }
}
