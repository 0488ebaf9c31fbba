package org.javalauncher.maven;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertThrows;

import org.junit.Test;

public class VersionNumberTest {
    @Test
    public void leadingNumbersMakeFourAndQualifiersAreDropped() {
        String[][] cases = {
            {"2.5.1-SNAPSHOT", "2.5.1.0"}, {"7", "7.0.0.0"}, {"1.2.3.4.5", "1.2.3.4"}, {"1.0-beta-2", "1.0.0.0"},
            {"3.1.Final", "3.1.0.0"}, {"1.2.3.4-SNAPSHOT", "1.2.3.4"}, {"65535.0", "65535.0.0.0"}, {"v2", "0.0.0.0"},
        };
        for (String[] c : cases) assertEquals(c[0], c[1], VersionNumber.of(c[0]));
    }

    @Test
    public void numbersWindowsCannotHoldAreRefused() {
        for (String version : new String[] {"20240517", "1.65536", "1.2.99999999999999999999"}) {
            assertThrows(version, IllegalArgumentException.class, () -> VersionNumber.of(version));
        }
    }
}
