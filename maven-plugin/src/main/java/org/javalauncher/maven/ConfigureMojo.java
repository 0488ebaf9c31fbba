package org.javalauncher.maven;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.AbstractMojo;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.Component;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.project.MavenProject;
import org.apache.maven.project.MavenProjectHelper;

/**
 * Makes the project's Windows program: a copy of one of the launcher
 * images that the plugin carries, configured by launcher-config for the
 * project's jar (inside the program by default), optionally signed, and
 * attached to the project as an artifact of type exe.
 */
@Mojo(name = "configure", defaultPhase = LifecyclePhase.PACKAGE, threadSafe = true)
public class ConfigureMojo extends AbstractMojo {
    /** Which launcher image: x64 (64-bit) or x86 (32-bit). */
    @Parameter(property = "javaLauncher.launcher", defaultValue = "x64")
    String launcher;

    /** The program to make. */
    @Parameter(property = "javaLauncher.output", defaultValue = "${project.build.directory}/${project.build.finalName}.exe")
    File output;

    /** The project's jar inside the program; false leaves PROP_START_JAR to name the jar beside it. */
    @Parameter(property = "javaLauncher.embedJar", defaultValue = "true")
    boolean embedJar;

    /** A configuration file as launcher-config --config reads it. */
    @Parameter(property = "javaLauncher.configFile")
    File configFile;

    /** Launch settings, applied after the configuration file: {@code <PROP_MIN_VERSION>17</PROP_MIN_VERSION>}. */
    @Parameter
    Map<String, String> settings;

    /** The program's icon, an .ico file. */
    @Parameter(property = "javaLauncher.icon")
    File icon;

    /** The splash picture: a BMP, JPEG or GIF file. */
    @Parameter(property = "javaLauncher.splash")
    File splash;

    /** Version information; defaults from the POM: its name, organization and version. */
    @Parameter
    String fileDescription;
    @Parameter
    String productName;
    @Parameter
    String company;
    @Parameter
    String copyright;
    @Parameter
    String version;

    /** A signing command's words, with {in} and {out}, run by launcher-config sign. */
    @Parameter
    List<String> signCommand;

    /** A launcher-config built for this machine, where the plugin carries none (macOS). */
    @Parameter(property = "javaLauncher.configurator")
    File configurator;

    @Parameter(property = "javaLauncher.skip", defaultValue = "false")
    boolean skip;

    @Parameter(defaultValue = "${project}", readonly = true, required = true)
    MavenProject project;

    @Parameter(defaultValue = "${plugin.version}", readonly = true, required = true)
    String pluginVersion;

    @Component
    MavenProjectHelper projectHelper;

    @Override
    public void execute() throws MojoExecutionException, MojoFailureException {
        if (skip) {
            getLog().info("Skipped: no Windows program made");
            return;
        }
        Path program = output.toPath();
        // A program from an earlier build would pass for this one's.
        deleteQuietly(program);
        String image = imageName();
        Path tools = new File(project.getBuild().getDirectory()).toPath().resolve("java-launcher-" + pluginVersion);
        Path defaults = null;
        try {
            Binaries.extract(tools);
            Configurator run = new Configurator(configuratorProgram(tools), project.getBasedir(), tools, getLog());
            defaults = Files.createTempFile(tools, "pom-defaults", ".launcher");
            Files.writeString(defaults, pomDefaults().configurationText(), StandardCharsets.UTF_8);
            Files.createDirectories(program.toAbsolutePath().getParent());
            run.run(configureArguments(tools.resolve(image), defaults));
            if (signCommand != null && !signCommand.isEmpty()) {
                List<String> sign = new ArrayList<>(List.of("sign", program.toString(), "--"));
                sign.addAll(signCommand);
                run.run(sign);
            }
        } catch (IOException e) {
            deleteQuietly(program);
            throw new MojoExecutionException("the Windows program " + program + " was not made: " + e.getMessage(), e);
        } catch (MojoFailureException e) {
            // An unsigned program where a signed one was asked for is half done.
            deleteQuietly(program);
            throw e;
        } finally {
            if (defaults != null) deleteQuietly(defaults);
        }
        projectHelper.attachArtifact(project, "exe", program.toFile());
        getLog().info("Windows program: " + program);
    }

    private String imageName() throws MojoFailureException {
        if ("x64".equals(launcher)) return Binaries.X64_IMAGE;
        if ("x86".equals(launcher)) return Binaries.X86_IMAGE;
        throw new MojoFailureException("<launcher> is x64 or x86, not \"" + launcher + "\"");
    }

    private Path configuratorProgram(Path tools) throws MojoFailureException {
        if (configurator != null) return configurator.toPath();
        String os = System.getProperty("os.name");
        String arch = System.getProperty("os.arch");
        String carried = Binaries.configuratorFor(os, arch);
        if (carried == null) {
            throw new MojoFailureException("the plugin carries launcher-config for Linux x86-64 and Windows only, not for "
                    + os + " " + arch + ": build it from the launcher's sources (cmake -S configurator -B build-host"
                    + " && cmake --build build-host) and name it in the <configurator> parameter"
                    + " (or -DjavaLauncher.configurator=PATH)");
        }
        return tools.resolve(carried);
    }

    private PomDefaults pomDefaults() throws MojoFailureException {
        String name = project.getName() != null && !project.getName().isBlank() ? project.getName() : project.getArtifactId();
        String organization = project.getOrganization() != null && project.getOrganization().getName() != null
                ? project.getOrganization().getName() : "";
        String since = project.getInceptionYear() != null ? project.getInceptionYear() : "";
        String windowsVersion;
        try {
            windowsVersion = VersionNumber.of(project.getVersion());
        } catch (IllegalArgumentException e) {
            if (version == null) throw new MojoFailureException(e.getMessage());
            windowsVersion = version;
        }
        return new PomDefaults(mainJar().getName(), name, organization, since, windowsVersion);
    }

    private File mainJar() throws MojoFailureException {
        Artifact artifact = project.getArtifact();
        File jar = artifact != null ? artifact.getFile() : null;
        if (jar == null || !jar.isFile()) {
            if (!embedJar) return new File(project.getBuild().getFinalName() + ".jar");
            throw new MojoFailureException("the project has no jar to put inside the program yet: run the goal in the"
                    + " package phase, after the jar plugin (mvn package), or set <embedJar>false</embedJar>");
        }
        return jar;
    }

    private List<String> configureArguments(Path image, Path defaults) throws MojoFailureException {
        List<String> args = new ArrayList<>(List.of("configure", image.toString(), output.toString(),
                "--config", defaults.toString()));
        if (configFile != null) args.addAll(List.of("--config", configFile.toString()));
        if (settings != null) {
            for (Map.Entry<String, String> s : settings.entrySet()) {
                args.addAll(List.of("--set", s.getKey() + "=" + (s.getValue() != null ? s.getValue() : "")));
            }
        }
        if (icon != null) args.addAll(List.of("--icon", icon.toString()));
        if (splash != null) args.addAll(List.of("--splash", splash.toString()));
        addIfSet(args, "--file-description", fileDescription);
        addIfSet(args, "--product-name", productName);
        addIfSet(args, "--company", company);
        addIfSet(args, "--copyright", copyright);
        addIfSet(args, "--version", version);
        addIfSet(args, "--product-version", version);
        if (embedJar) args.addAll(List.of("--embed-jar", mainJar().toString()));
        return args;
    }

    private static void addIfSet(List<String> args, String option, String value) {
        if (value != null) args.addAll(List.of(option, value));
    }

    private void deleteQuietly(Path file) {
        try {
            Files.deleteIfExists(file);
        } catch (IOException e) {
            getLog().warn("cannot remove " + file + ": " + e.getMessage());
        }
    }
}
