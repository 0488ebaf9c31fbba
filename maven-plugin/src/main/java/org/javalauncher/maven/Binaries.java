package org.javalauncher.maven;

import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.security.DigestOutputStream;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;

/**
 * The launcher images and configurators the plugin jar carries, as the
 * release lays them out, and their extraction into a folder of the build.
 * The jar's SHA256SUMS lists them; a folder whose marker holds the same
 * list was extracted from this jar before and is used as it is. Every file
 * is written under a temporary name, checked against its sum and renamed
 * into place, and the marker comes last: an interrupted build leaves no
 * file that a later one would take for whole.
 */
final class Binaries {
    static final String X86_IMAGE = "launcher.exe";
    static final String X64_IMAGE = "launcher-x64.exe";
    static final String LINUX_CONFIGURATOR = "linux-x86_64/launcher-config";
    static final String WINDOWS_CONFIGURATOR = "windows/launcher-config.exe";
    static final String SUMS = "SHA256SUMS";
    static final String MARKER = ".extracted";
    private static final String ROOT = "/org/javalauncher/maven/binaries/";

    private Binaries() {
    }

    /**
     * The configurator of the plugin jar that runs on this OS and
     * architecture (as Java names them), or null. The Windows one is the
     * release's 32-bit program, which every Windows runs (x86-64 and ARM64
     * too, and under a 32-bit JDK, whose os.arch is "x86").
     */
    static String configuratorFor(String osName, String osArch) {
        String os = osName.toLowerCase(Locale.ROOT);
        String arch = osArch.toLowerCase(Locale.ROOT);
        if (os.equals("linux") && (arch.equals("amd64") || arch.equals("x86_64"))) return LINUX_CONFIGURATOR;
        if (os.startsWith("windows")) return WINDOWS_CONFIGURATOR;
        return null;
    }

    /** Extracts the files into folder, unless they are there from this jar already. */
    static void extract(Path folder) throws IOException {
        String sums = new String(resource(SUMS), StandardCharsets.UTF_8);
        Path marker = folder.resolve(MARKER);
        Map<String, String> files = parseSums(sums);
        if (extractedBefore(folder, marker, sums, files)) return;
        Files.createDirectories(folder);
        for (Map.Entry<String, String> file : files.entrySet()) {
            Path target = folder.resolve(file.getKey());
            Files.createDirectories(target.getParent());
            Path part = Files.createTempFile(target.getParent(), target.getFileName().toString(), ".part");
            try {
                String sum;
                try (InputStream in = open(file.getKey()); OutputStream out = Files.newOutputStream(part)) {
                    sum = copyWithSum(in, out);
                }
                if (!sum.equals(file.getValue())) {
                    throw new IOException("the plugin jar's " + file.getKey() + " does not match its SHA-256 sum; the jar is damaged");
                }
                if (!file.getKey().endsWith(".exe")) part.toFile().setExecutable(true, false);
                Files.move(part, target, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
            } finally {
                Files.deleteIfExists(part);
            }
        }
        Path markerPart = Files.createTempFile(folder, MARKER, ".part");
        Files.writeString(markerPart, sums, StandardCharsets.UTF_8);
        Files.move(markerPart, marker, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
    }

    private static boolean extractedBefore(Path folder, Path marker, String sums, Map<String, String> files)
            throws IOException {
        if (!Files.isRegularFile(marker) || !Files.readString(marker, StandardCharsets.UTF_8).equals(sums)) return false;
        for (String name : files.keySet()) {
            if (!Files.isRegularFile(folder.resolve(name))) return false;
        }
        return true;
    }

    /** "SUM  NAME" lines, as sha256sum writes them. */
    static Map<String, String> parseSums(String sums) throws IOException {
        Map<String, String> files = new LinkedHashMap<>();
        for (String line : sums.split("\n")) {
            if (line.isBlank()) continue;
            String[] parts = line.trim().split("\\s+\\*?", 2);
            boolean inTheFolder = parts.length == 2 && parts[1].matches("[\\w.-]+(/[\\w.-]+)*") && !parts[1].contains("..");
            if (!inTheFolder || !parts[0].matches("[0-9a-f]{64}")) {
                throw new IOException("the plugin jar's " + SUMS + " has a bad line: " + line);
            }
            files.put(parts[1], parts[0]);
        }
        return files;
    }

    private static InputStream open(String name) throws IOException {
        InputStream in = Binaries.class.getResourceAsStream(ROOT + name);
        if (in == null) throw new IOException("the plugin jar lacks " + name + "; it was built without the launcher's binaries");
        return in;
    }

    private static byte[] resource(String name) throws IOException {
        try (InputStream in = open(name)) {
            return in.readAllBytes();
        }
    }

    private static String copyWithSum(InputStream in, OutputStream out) throws IOException {
        MessageDigest sha256;
        try {
            sha256 = MessageDigest.getInstance("SHA-256");
        } catch (NoSuchAlgorithmException e) {
            throw new IOException(e);
        }
        in.transferTo(new DigestOutputStream(out, sha256));
        StringBuilder hex = new StringBuilder();
        for (byte b : sha256.digest()) hex.append(String.format("%02x", b));
        return hex.toString();
    }
}
