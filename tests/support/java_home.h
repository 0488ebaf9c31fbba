// Stand-in Java runtimes for the tests: a home folder with bin\java.exe and
// bin\javaw.exe (copies of the stand-in program), configured by the file
// bin\standin.cfg, and the record of every start it saw.
#pragma once

#include <string>
#include <vector>

struct StandinStart {
    std::string commandLine;
    std::string currentFolder;
    // The same read in UTF-16 and written as UTF-8: what a Java runtime sees.
    std::string commandLineUtf8;
    std::string currentFolderUtf8;
    unsigned long flags = 0;
    unsigned showCommand = 0;
    std::string stdinKind, stdoutKind, stderrKind;  // "pipe", "console", "file", "none"
    unsigned long processId = 0;
    unsigned long tick = 0;  // GetTickCount at the start
    // A start of the stand-in launcher library inside a launcher: its
    // program, the home it found, the java.dll it loaded, its call.
    bool hosted = false;
    std::string program, home, javaLibrary, call;
    std::vector<std::string> hostedArguments;

    // The arguments, program name first, as CommandLineToArgvW splits the
    // UTF-16 command line: what a Java runtime receives; those given to
    // JLI_Launch when hosted.
    std::vector<std::string> arguments() const;
};

class JavaHome {
public:
    // Creates the home; a development kit also gets bin\javac.exe and
    // lib\tools.jar. `bits` picks the stand-in's width (0: this tree's); a
    // 32-bit one where this Windows cannot start 32-bit programs is an image
    // whose start fails at once.
    explicit JavaHome(const std::string& home, bool developmentKit = false, int bits = 0);
    // Ends every program still running from this home's bin folder (a
    // stand-in that never answers "-version", a process it left behind), so
    // that the folder can be removed.
    ~JavaHome();
    JavaHome(const JavaHome&) = delete;
    JavaHome& operator=(const JavaHome&) = delete;

    const std::string& home() const { return home_; }
    std::string javaw() const { return home_ + "\\bin\\javaw.exe"; }
    std::string java() const { return home_ + "\\bin\\java.exe"; }

    // The version "-version" reports, in the usual first line.
    JavaHome& version(const std::string& version);
    // The home's release file, stating this JAVA_VERSION.
    JavaHome& release(const std::string& version);
    // One more line of the configuration file (key=value).
    JavaHome& configure(const std::string& line);
    void addLibrary(const std::string& fileName);
    // bin\java.exe becomes a console program, as a runtime's is.
    JavaHome& consoleJava();
    // A runtime that can run inside the launcher: release file, lib\jvm.cfg,
    // bin\server\jvm.dll and bin\java.dll, and this stand-in as bin\jli.dll.
    JavaHome& hostable(const std::string& library = "jli_standin.dll");

    // Every start so far, in order; the probes' "-version" starts included.
    std::vector<StandinStart> starts() const;
    // The starts that were not version probes.
    std::vector<StandinStart> applicationStarts() const;

private:
    void writeConfiguration();

    std::string home_;
    std::vector<std::string> lines_;
};

// The starts recorded by a stand-in home that some other program made (a
// launcher that installed one, say): all, and those that were no probes.
std::vector<StandinStart> startsRecordedIn(const std::string& home);
std::vector<StandinStart> applicationStartsIn(const std::string& home);

// Waits until the stand-in has recorded `count` starts, at most `ms`: a
// bound for a slow machine, where a start may take seconds.
bool waitForStarts(const JavaHome& home, size_t count, unsigned ms = 30000);
