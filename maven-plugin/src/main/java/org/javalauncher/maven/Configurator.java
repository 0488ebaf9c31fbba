package org.javalauncher.maven;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugin.logging.Log;

/**
 * Runs launcher-config. Its standard output goes to the build's log, its
 * warnings as warnings; when it fails, the build fails with what it said.
 */
final class Configurator {
    private final Path program;
    private final File workingFolder;
    private final Path scratch;
    private final Log log;

    Configurator(Path program, File workingFolder, Path scratch, Log log) {
        this.program = program;
        this.workingFolder = workingFolder;
        this.scratch = scratch;
        this.log = log;
    }

    void run(List<String> arguments) throws IOException, MojoFailureException {
        List<String> command = new ArrayList<>();
        command.add(program.toString());
        command.addAll(arguments);
        log.debug("Running " + String.join(" ", command));
        // Files rather than pipes: nothing to drain while it runs.
        Path out = Files.createTempFile(scratch, "launcher-config", ".out");
        Path err = Files.createTempFile(scratch, "launcher-config", ".err");
        try {
            int status;
            try {
                Process process = new ProcessBuilder(command).directory(workingFolder)
                        .redirectInput(ProcessBuilder.Redirect.from(nullFile()))
                        .redirectOutput(out.toFile()).redirectError(err.toFile()).start();
                status = process.waitFor();
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                throw new MojoFailureException("interrupted while launcher-config ran");
            } catch (IOException e) {
                throw new MojoFailureException("cannot run " + program + ": " + e.getMessage(), e);
            }
            for (String line : lines(out)) log.info(line);
            List<String> said = lines(err);
            if (status != 0) {
                throw new MojoFailureException(said.isEmpty()
                        ? "launcher-config ended with exit status " + status : String.join("\n", said));
            }
            for (String line : said) log.warn(line);
        } finally {
            Files.deleteIfExists(out);
            Files.deleteIfExists(err);
        }
    }

    private static File nullFile() {
        return new File(File.separatorChar == '\\' ? "NUL" : "/dev/null");
    }

    private static List<String> lines(Path file) throws IOException {
        List<String> lines = new ArrayList<>();
        for (String line : new String(Files.readAllBytes(file), StandardCharsets.UTF_8).split("\r?\n")) {
            if (!line.isBlank()) lines.add(line);
        }
        return lines;
    }
}
