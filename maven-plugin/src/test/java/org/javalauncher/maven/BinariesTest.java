package org.javalauncher.maven;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertThrows;
import static org.junit.Assert.assertTrue;

import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.attribute.FileTime;
import java.util.stream.Stream;

import org.junit.Rule;
import org.junit.Test;
import org.junit.rules.TemporaryFolder;

public class BinariesTest {
    @Rule
    public TemporaryFolder temp = new TemporaryFolder();

    private static final FileTime LONG_AGO = FileTime.fromMillis(86_400_000L);

    @Test
    public void extractedOnceWholeAndAgainWhenIncomplete() throws IOException {
        Path folder = temp.getRoot().toPath().resolve("tools");
        Binaries.extract(folder);
        Path configurator = folder.resolve(Binaries.LINUX_CONFIGURATOR);
        Path image = folder.resolve(Binaries.X64_IMAGE);
        assertTrue(Files.isExecutable(configurator));
        assertArrayEquals(carried(Binaries.X64_IMAGE), Files.readAllBytes(image));
        try (Stream<Path> files = Files.walk(folder)) {
            assertFalse(files.anyMatch(p -> p.toString().endsWith(".part")));
        }
        // The same jar again: nothing is written.
        Files.setLastModifiedTime(image, LONG_AGO);
        Binaries.extract(folder);
        assertEquals(LONG_AGO, Files.getLastModifiedTime(image));
        // A file gone, or a marker of another jar: extracted again.
        Files.delete(configurator);
        Binaries.extract(folder);
        assertTrue(Files.isExecutable(configurator));
        Files.write(image, new byte[] {'M', 'Z'});
        Files.writeString(folder.resolve(Binaries.MARKER), "another version");
        Binaries.extract(folder);
        assertArrayEquals(carried(Binaries.X64_IMAGE), Files.readAllBytes(image));
    }

    @Test
    public void aConfiguratorForLinuxOnX64AndForEveryWindows() {
        String[][] cases = {
            {"Linux", "amd64", Binaries.LINUX_CONFIGURATOR}, {"Linux", "x86_64", Binaries.LINUX_CONFIGURATOR},
            {"Windows 11", "amd64", Binaries.WINDOWS_CONFIGURATOR}, {"Windows 10", "x86", Binaries.WINDOWS_CONFIGURATOR},
            {"Mac OS X", "aarch64", null}, {"Mac OS X", "x86_64", null}, {"Linux", "aarch64", null}, {"FreeBSD", "amd64", null},
        };
        for (String[] c : cases) assertEquals(c[0] + " " + c[1], c[2], Binaries.configuratorFor(c[0], c[1]));
    }

    @Test
    public void sumsThatLeaveTheFolderAreRefused() {
        for (String name : new String[] {"../../bin/sh", "/bin/sh", "a/../../sh"}) {
            assertThrows(name, IOException.class, () -> Binaries.parseSums("0".repeat(64) + "  " + name + "\n"));
        }
    }

    private static byte[] carried(String name) throws IOException {
        try (InputStream in = Binaries.class.getResourceAsStream("/org/javalauncher/maven/binaries/" + name)) {
            return in.readAllBytes();
        }
    }
}
