// The runtime on demand, end to end: a launcher that finds no runtime
// downloads the pinned archive from a server on 127.0.0.1, checks it,
// unpacks it under %LOCALAPPDATA% and starts the application with it; every
// fault ends in the missing-runtime dialog with one more line, and leaves
// nothing half-written behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "java_home.h"
#include "java_registry.h"
#include "scenario.h"
#include "test_http_server.h"
#include "time_scale.h"
#include "window_driver.h"
#include "zip_writer.h"

namespace {

const int PROP_RUNTIME_URL = 115, PROP_RUNTIME_SHA256 = 116, PROP_RUNTIME_SIZE = 117;
const std::string DIALOG = " --class #32770 --title \"Application Cannot Start\" --timeout 60000";
const std::string PROGRESS = " --class JavaLauncherProgress --timeout 30000";
const std::string FAILED = "The Java runtime could not be downloaded: ";
const std::string TOP = "jdk-17.0.2";

// The application starts recorded in the home, once there are `count` or
// 30 seconds have passed: the launcher may end before its child records.
size_t applicationStarts(const std::string& home, size_t count) {
    for (int waited = 0; applicationStartsIn(home).size() < count && waited < 30000; waited += 50) Sleep(50);
    return applicationStartsIn(home).size();
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    while (find != INVALID_HANDLE_VALUE) {
        if (std::string(".") != found.cFileName && std::string("..") != found.cFileName) names.push_back(found.cFileName);
        if (!FindNextFileA(find, &found)) break;
    }
    FindClose(find);
    return names;
}

struct FetchScenario : Scenario {
    JavaRegistry emptyRegistry;
    TestHttpServer server;
    std::string local = root() + "\\local";
    std::string archive;

    explicit FetchScenario(const std::vector<ZipEntry>& extra = {},
                           const std::function<void(JavaHome&)>& shape = nullptr) {
        makeFolders(local);
        JavaHome source(root() + "\\source\\" + TOP);
        source.version("17.0.2").release("17.0.2");
        if (shape) shape(source);
        std::vector<ZipEntry> entries = entriesOfFolder(source.home(), TOP);
        entries.insert(entries.end(), extra.begin(), extra.end());
        archive = zipArchive(entries);
        configure("/jdk.zip");
    }
    void configure(const std::string& path, size_t size = 0, const std::string& hash = "",
                   const std::string& minimumVersion = "1.5") {
        useLauncher(LauncherSpec::shipped()
                        .set(104, minimumVersion)
                        .set(PROP_RUNTIME_URL, path.rfind("http", 0) == 0 ? path : server.url(path))
                        .set(PROP_RUNTIME_SHA256, hash.empty() ? sha256Of(archive) : hash)
                        .set(PROP_RUNTIME_SIZE, std::to_string(size ? size : archive.size())));
    }
    void serveArchive(size_t chunk = 0) { server.serve("/jdk.zip", ServedPath{ServedPath::Body, archive, "", 200, chunk, 100}); }
    std::string runtimeFolder() const { return local + "\\launcher\\runtime"; }
    std::string home() const { return runtimeFolder() + "\\" + sha256Of(archive).substr(0, 12); }
    RunOptions options(RunOptions o = RunOptions()) const {
        o.environment["LOCALAPPDATA"] = local;
        for (const char* proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"}) {
            if (!o.environment.count(proxy)) o.environment[proxy] = std::nullopt;
        }
        o.timeoutMs = 90000;
        return o;
    }
    // What the runtime folder holds besides the runtime.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names = namesIn(runtimeFolder());
        names.erase(std::remove(names.begin(), names.end(), home().substr(runtimeFolder().size() + 1)), names.end());
        return names;
    }
    // Runs the launcher, which is to show the dialog; gives its last line.
    std::string dialogLine(TracedRun* run, const std::function<void(const std::string&)>& before = nullptr,
                           const RunOptions& how = RunOptions()) {
        std::vector<WindowReport> seen;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            if (before) before(select);
            seen = drive("wait " + select + DIALOG).windows;
            drive("key " + select + DIALOG + " enter");
        };
        *run = Scenario::run("", drivenBy(user, options(how)));
        const WindowReport* text = findChild(seen, "RichEdit20A");
        if (!text) return "(no dialog)";
        return text->text.substr(text->text.rfind("\r\n") + 2);
    }
};

// The user's proxy settings as the system keeps them (Internet Options):
// direct, or with a configuration script; removed again at the end.
struct SystemProxySettings {
    HKEY key = nullptr;
    explicit SystemProxySettings(const std::string& script) {
        // Version, counter, flags (1: direct, 4: a script), proxy, bypass list, script.
        const DWORD head[] = {0x46, 0, script.empty() ? 1u : 5u, 0, 0, static_cast<DWORD>(script.size())};
        const std::string blob = std::string(reinterpret_cast<const char*>(head), sizeof head) + script + std::string(32, 0);
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "DefaultConnectionSettings", 0, REG_BINARY, reinterpret_cast<const BYTE*>(blob.data()),
                       static_cast<DWORD>(blob.size()));
    }
    ~SystemProxySettings() {
        RegDeleteValueA(key, "DefaultConnectionSettings");
        RegCloseKey(key);
    }
};

// A link to a folder: a junction on Windows, which needs no privilege;
// under Wine, which makes neither junctions nor symbolic links, a symbolic
// link of the Unix side, which Wine shows with FILE_ATTRIBUTE_REPARSE_POINT
// and cannot remove.
using UnixName = char*(CDECL*)(const wchar_t*);
const UnixName unixName = reinterpret_cast<UnixName>(
    reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));

std::string unixPath(const std::string& path) {
    char* name = unixName(std::wstring(path.begin(), path.end()).c_str());
    const std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return "\"" + result + "\"";
}

// What Wine returns about a Unix program's process is no use: the file
// system tells when it is done.
void runUnix(const std::string& command, const std::string& path, bool made) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string line = command;
    CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    for (int i = 0; i < 200 && fileExists(path) != made; ++i) Sleep(25);
}

struct FolderLink {
    std::string at;
    FolderLink(const std::string& link, const std::string& target) : at(link) {
        if (unixName) {
            runUnix("Z:\\bin\\ln -s " + unixPath(target) + " " + unixPath(link), link, true);
            return;
        }
        CreateDirectoryA(link.c_str(), nullptr);
        HANDLE folder = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        // A mount point: its tag, the data's length, the substitute name's
        // offset and length, the (empty) print name's, then the names.
        const std::wstring name = L"\\??\\" + std::wstring(target.begin(), target.end());
        const WORD bytes = static_cast<WORD>(name.size() * 2);
        std::vector<WORD> data = {3, 0xA000, static_cast<WORD>(12 + bytes), 0, 0, bytes, static_cast<WORD>(bytes + 2), 0};
        data.insert(data.end(), name.begin(), name.end());
        data.insert(data.end(), 2, 0);
        DWORD returned = 0;
        DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size() * 2), nullptr, 0,
                        &returned, nullptr);
        CloseHandle(folder);
    }
    ~FolderLink() {
        if (unixName) {
            runUnix("Z:\\bin\\rm -f " + unixPath(at), at, false);
        } else {
            RemoveDirectoryA(at.c_str());
        }
    }
    bool made() const {
        const DWORD attributes = GetFileAttributesA(at.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }
};

const std::string ELSEWHERE = "http://runtime.invalid/jdk.zip";

// For a failure's message: the whole trace.
std::string traceOf(const TracedRun& run) {
    std::string text;
    for (const std::string& line : run.lines) text += "\n  " + line;
    return text;
}

}  // namespace

TEST(RuntimeFetch, StartsTheApplicationWithTheDownloadedRuntimeAndTheNextStartMakesNoRequest) {
    const struct {
        const char* what;
        const char* path;
    } cases[] = {{"direct", "/jdk.zip"}, {"a chain of redirects", "/r1"}};
    for (const auto& c : cases) {
        FetchScenario s;
        s.serveArchive();
        s.server.serve("/r1", ServedPath{ServedPath::Redirect, "", s.server.url("/r2")});
        s.server.serve("/r2", ServedPath{ServedPath::Redirect, "", "/r3"});
        s.server.serve("/r3", ServedPath{ServedPath::Redirect, "", s.server.url("/jdk.zip")});
        s.configure(c.path);
        TracedRun first = s.run("", s.options());
        EXPECT_EQ(0u, first.exitCode) << c.what;
        EXPECT_TRUE(first.has("Runtime download: installed " + s.home())) << c.what;
        EXPECT_TRUE(first.has("Jre path: " + s.home() + "\\bin\\javaw.exe")) << c.what;
        EXPECT_TRUE(first.has("Runtime download: secure protocols: TLS 1.0 to 1.3")) << c.what;
        EXPECT_EQ(1, s.server.requests("/jdk.zip")) << c.what;
        EXPECT_TRUE(s.leftovers().empty()) << c.what;
        if (std::string(c.path) == "/r1") {
            EXPECT_TRUE(first.has("Runtime download: redirected to /r3"));
        }

        TracedRun second = s.run("", s.options());
        EXPECT_EQ(0u, second.exitCode) << c.what;
        EXPECT_TRUE(second.has("Per-user runtime: " + s.home())) << c.what;
        EXPECT_EQ(-1, second.indexOf("Search for Jre")) << c.what;
        EXPECT_EQ(-1, second.indexOf("Runtime download: ")) << c.what;
        EXPECT_EQ(1, s.server.requests("/jdk.zip")) << c.what;
        EXPECT_EQ(2u, applicationStarts(s.home(), 2)) << c.what;
    }
}

// Judged by the search's rules before it is placed: a runtime below the
// minimum is never placed, and the same archive is not downloaded again.
TEST(RuntimeFetch, RuntimeThatFailsTheRulesIsNotPlacedNorDownloadedAgain) {
    FetchScenario s;
    s.serveArchive();
    s.configure("/jdk.zip", 0, "", "18");
    TracedRun run;
    EXPECT_EQ("The downloaded Java runtime does not meet the application's requirements.", s.dialogLine(&run));
    EXPECT_EQ(std::vector<std::string>{sha256Of(s.archive).substr(0, 12) + ".refused"}, s.leftovers());
    EXPECT_FALSE(fileExists(s.home() + "\\bin\\javaw.exe"));
    EXPECT_EQ("The Java runtime downloaded earlier does not meet the application's requirements.", s.dialogLine(&run));
    EXPECT_EQ(1, s.server.requests("/jdk.zip"));
}

TEST(RuntimeFetch, EveryFaultEndsInTheDialogWithItsLineAndLeavesNothingBehind) {
    const ZipEntry climbing{TOP + "/../../evil.txt", "x"};
    const ZipEntry absolute{"/evil.txt", "x"};
    const struct {
        const char* what;
        ServedPath::Kind kind;
        std::vector<ZipEntry> extra;
        int sizeChange;
        bool wrongHash;
        std::string line;  // the dialog's last line; ending in '*', its start
    } cases[] = {
        {"404", ServedPath::Status, {}, 0, false, FAILED + "the server answered 404."},
        {"wrong hash", ServedPath::Body, {}, 0, true, FAILED + "SHA-256 mismatch."},
        {"short size", ServedPath::Body, {}, 1, false, FAILED + "size mismatch."},
        {"long size", ServedPath::Body, {}, -1, false, FAILED + "size mismatch."},
        // Under Wine the cut reads as a clean end; Windows reports an error.
        {"cut halfway", ServedPath::CutHalfway, {}, 0, false, FAILED + "*"},
        {"never answers", ServedPath::NeverAnswer, {}, 0, false, FAILED + "the server did not answer in time (error *"},
        {"..\\ in a name", ServedPath::Body, {climbing}, 0, false, FAILED + "unsafe entry name."},
        {"absolute name", ServedPath::Body, {absolute}, 0, false, FAILED + "unsafe entry name."},
    };
    for (const auto& c : cases) {
        FetchScenario s(c.extra);
        s.server.serve("/jdk.zip", ServedPath{c.kind, s.archive, "", 404});
        s.configure("/jdk.zip", s.archive.size() + c.sizeChange, c.wrongHash ? std::string(64, '0') : "");
        TracedRun run;
        const std::string line = s.dialogLine(&run);
        if (c.line.back() == '*') {
            EXPECT_EQ(0u, line.find(c.line.substr(0, c.line.size() - 1))) << c.what << ": " << line;
        } else {
            EXPECT_EQ(c.line, line) << c.what;
        }
        EXPECT_EQ(1u, run.exitCode) << c.what;
        EXPECT_EQ(0, run.lines.back().compare(0, 10, "Jre path: ")) << c.what;
        EXPECT_TRUE(s.leftovers().empty()) << c.what;
        EXPECT_FALSE(fileExists(s.home())) << c.what;
        EXPECT_FALSE(fileExists(s.local + "\\evil.txt") || fileExists(s.local + "\\launcher\\evil.txt") ||
                     fileExists(s.runtimeFolder() + "\\evil.txt"))
            << c.what;
    }
}

TEST(RuntimeFetch, TwoLaunchersAtOnceDownloadOnce) {
    FetchScenario s;
    s.serveArchive(8192);
    TracedRun runs[2];
    std::thread other([&] { runs[1] = s.run("", s.options()); });
    runs[0] = s.run("", s.options());
    other.join();
    EXPECT_EQ(0u, runs[0].exitCode);
    EXPECT_EQ(0u, runs[1].exitCode);
    EXPECT_EQ(1, s.server.requests("/jdk.zip"));
    EXPECT_TRUE(runs[0].has("Runtime download: installed by another launcher") ||
                runs[1].has("Runtime download: installed by another launcher"));
    EXPECT_EQ(2u, applicationStarts(s.home(), 2));
    EXPECT_TRUE(s.leftovers().empty());
}

TEST(RuntimeFetch, ALauncherEndedMidDownloadIsCleanedUpAtTheNextStart) {
    FetchScenario s;
    s.serveArchive(1024);
    RunOptions cut = s.options();
    // Ended while its download still runs: a slow machine takes seconds to get there.
    cut.timeoutMs = 5000 * timeScale();
    TracedRun ended = s.run("", cut);
    EXPECT_TRUE(ended.timedOut);
    EXPECT_TRUE(fileExists(s.runtimeFolder() + "\\" + sha256Of(s.archive).substr(0, 12) + ".part"));

    s.serveArchive();
    TracedRun next = s.run("", s.options());
    EXPECT_EQ(0u, next.exitCode);
    EXPECT_TRUE(next.has("Runtime download: removed the leftovers of an earlier start"));
    EXPECT_EQ(1u, applicationStarts(s.home(), 1));
    EXPECT_TRUE(s.leftovers().empty());
}

// The window has the application's name (the version information's
// FileDescription), a bar and the line that says the wait comes once; its
// Cancel ends a download, and a proxy look-up that never ends.
TEST(RuntimeFetch, CancelInTheProgressWindowEndsInTheDialog) {
    for (const bool lookUp : {false, true}) {
        FetchScenario s;
        s.serveArchive(1024);
        s.server.serve("/proxy.pac", ServedPath{ServedPath::NeverAnswer});
        SystemProxySettings settings(lookUp ? s.server.url("/proxy.pac") : "");
        if (lookUp) s.configure(ELSEWHERE);
        std::vector<WindowReport> progress;
        TracedRun run;
        const std::string line = s.dialogLine(&run, [&](const std::string& select) {
            progress = drive("wait " + select + PROGRESS).windows;
            saveScreenshot("runtime-download-progress");
            drive("click " + select + PROGRESS + " --button Cancel");
        });
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ("Marblewright", progress[0].text);
        const WindowReport* text = findChild(progress, "Static", true);
        ASSERT_NE(nullptr, text);
        EXPECT_EQ(0u, text->text.find("Downloading Java runtime: ")) << text->text;
        EXPECT_NE(nullptr, findChild(progress, "msctls_progress32"));
        bool once = false;
        for (const WindowReport& child : progress) once = once || child.text == "Java is downloaded once for this user.";
        EXPECT_TRUE(once);
        EXPECT_EQ(FAILED + "cancelled.", line) << lookUp << traceOf(run);
        EXPECT_EQ(1u, run.exitCode);
        EXPECT_TRUE(s.leftovers().empty());
        EXPECT_FALSE(fileExists(s.home()));
    }
}

// A start finds the runtime damaged (a scanner took its executable) or
// without the mark of a whole runtime: it is fetched and placed again, and
// the next start makes no request.
TEST(RuntimeFetch, ADamagedRuntimeIsFetchedAgain) {
    for (const char* removed : {"\\bin\\javaw.exe", "\\.installed"}) {
        FetchScenario s;
        s.serveArchive();
        ASSERT_EQ(0u, s.run("", s.options()).exitCode);
        // Once the application that runs from it has ended.
        ASSERT_EQ(1u, applicationStarts(s.home(), 1));
        for (int i = 0; i < 200 && !DeleteFileA((s.home() + removed).c_str()); ++i) Sleep(50);
        ASSERT_FALSE(fileExists(s.home() + removed)) << removed;
        RunOptions bounded = s.options();
        bounded.timeoutMs = 30000;
        TracedRun repaired = s.run("", bounded);
        EXPECT_EQ(0u, repaired.exitCode) << removed;
        EXPECT_TRUE(repaired.has("Runtime download: removed the incomplete runtime " + s.home())) << removed;
        EXPECT_TRUE(repaired.has("Runtime download: installed " + s.home())) << removed;
        EXPECT_EQ(-1, s.run("", s.options()).indexOf("Runtime download: ")) << removed;
        EXPECT_EQ(2, s.server.requests("/jdk.zip")) << removed;
        // The first start's record went with the damaged runtime.
        EXPECT_EQ(2u, applicationStarts(s.home(), 2)) << removed;
    }
}

// A link planted where the launcher creates, enters or removes a folder is
// never entered: it is removed as a link (where the system can; Wine
// cannot, and the download is refused) or, above the runtime folder,
// refused. What it points to stays as it was.
TEST(RuntimeFetch, ALinkIsNeverFollowed) {
    for (int place = 0; place < 4; ++place) {
        FetchScenario s;
        s.serveArchive();
        const std::string at[] = {s.home() + ".staging", s.home(), s.runtimeFolder(), s.local + "\\launcher"};
        const std::string refusal[] = {"cannot remove the leftovers of an earlier start",
                                       "cannot remove the incomplete runtime " + s.home(),
                                       s.runtimeFolder() + " is a link, not a folder",
                                       s.local + "\\launcher is a link, not a folder"};
        const std::string victim = s.root() + "\\victim";
        writeFile(victim + "\\keep.txt", "mine");
        makeFolders(at[place].substr(0, at[place].rfind('\\')));
        FolderLink link(at[place], victim);
        ASSERT_TRUE(link.made()) << at[place];
        TracedRun run;
        if (place == 3 || unixName) {
            EXPECT_EQ(FAILED + refusal[place] + ".", s.dialogLine(&run)) << at[place];
        } else {
            EXPECT_EQ(0u, s.run("", s.options()).exitCode) << at[place];
        }
        EXPECT_EQ("mine", readFile(victim + "\\keep.txt")) << at[place];
        EXPECT_EQ(std::vector<std::string>{"keep.txt"}, namesIn(victim)) << at[place];
    }
}

// A fresh runtime is judged by its release file, whatever a virus scanner
// does to its programs; only a definite refusal is remembered, with the
// rules it failed, and other rules judge again.
TEST(RuntimeFetch, ARuntimeIsRefusedForGoodOnlyByItsOwnFacts) {
    const auto heldProbe = [](JavaHome& home) { home.configure("version_delay_ms=8000"); };
    const auto noVersion = [](JavaHome& home) {
        home.configure("version_delay_ms=8000");
        writeFile(home.home() + "\\release", "IMPLEMENTOR=\"Stand-in\"\n");
    };
    const struct {
        const char* what;
        std::function<void(JavaHome&)> shape;
        const char* firstMinimum;
        std::string firstLine;  // empty: the application started
    } cases[] = {
        {"a probe a scanner holds", heldProbe, "1.5", ""},
        {"no version to read", noVersion, "1.5", FAILED + "its version could not be read."},
        {"refused, then other rules", nullptr, "18", "The downloaded Java runtime does not meet the application's requirements."},
    };
    for (const auto& c : cases) {
        FetchScenario s({}, c.shape);
        s.serveArchive();
        s.configure("/jdk.zip", 0, "", c.firstMinimum);
        TracedRun first;
        if (c.firstLine.empty()) {
            first = s.run("", s.options());
            EXPECT_TRUE(first.has("Per-user runtime accepted: version 17.0.2")) << c.what;
            EXPECT_EQ(1u, applicationStarts(s.home(), 1)) << c.what;
            continue;
        }
        EXPECT_EQ(c.firstLine, s.dialogLine(&first)) << c.what;
        s.configure("/jdk.zip", 0, "", "1.5");
        TracedRun second;
        if (c.shape) {
            EXPECT_EQ(FAILED + "its version could not be read.", s.dialogLine(&second)) << c.what;
        } else {
            second = s.run("", s.options());
            EXPECT_TRUE(second.has("Runtime download: refused before under other rules (minimum 18), judged again"));
            EXPECT_EQ(1u, applicationStarts(s.home(), 1)) << c.what;
        }
        EXPECT_EQ(2, s.server.requests("/jdk.zip")) << c.what;
    }
}

// The download's lock is a file in the runtime folder, which every session
// of the user sees. While another launcher holds it the progress window
// says so, and its Cancel ends the wait.
TEST(RuntimeFetch, TheWaitForAnotherLaunchersDownloadShowsTheWindow) {
    for (const bool cancel : {false, true}) {
        FetchScenario s;
        s.serveArchive();
        makeFolders(s.runtimeFolder());
        HANDLE lock = CreateFileA((s.home() + ".lock").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        std::string shown;
        std::function<void(const std::string&)> user = [&](const std::string& select) {
            const DWORD start = GetTickCount();
            while (shown != "Waiting for another download" && GetTickCount() - start < 20000u * timeScale()) {
                const std::vector<WindowReport> windows = drive("wait " + select + PROGRESS).windows;
                const WindowReport* text = findChild(windows, "Static", true);
                if (text) shown = text->text;
            }
            if (cancel) drive("click " + select + PROGRESS + " --button Cancel");
            CloseHandle(lock);
        };
        TracedRun run;
        if (cancel) {
            EXPECT_EQ(FAILED + "cancelled.", s.dialogLine(&run, user));
        } else {
            run = s.run("", drivenBy(user, s.options()));
            EXPECT_TRUE(run.has("Runtime download: installed " + s.home()));
        }
        EXPECT_EQ("Waiting for another download", shown) << cancel;
        EXPECT_TRUE(run.has("Runtime download: waiting for another launcher's download")) << cancel;
    }
}

// The proxies a user has: the environment's, a configuration script's
// answer (DIRECT included), one that wants a password, one that takes the
// user's own logon, a script that never comes (its wait has a bound).
TEST(RuntimeFetch, TheDownloadGoesThroughTheProxiesAsTheUserSetThemUp) {
    const std::string passwordWanted = "Proxy-Authenticate: Basic realm=\"corporate\"\r\n";
    const std::string logonTaken = "Proxy-Authenticate: NTLM\r\n";
    const struct {
        const char* what;
        ServedPath::Kind script;  // Status: none
        std::string proxyHeader;  // the proxy answers 407 with it; empty: the archive
        std::string line;         // the dialog's line; empty: the application started
        std::string traced;
        int proxied;              // requests the proxy got
    } cases[] = {
        {"the environment's proxy", ServedPath::Status, "", "", "proxy PROXY (environment)", 1},
        {"a script that says DIRECT", ServedPath::Body, "", FAILED + "cannot connect to the server (error 12007).",
         "no proxy (automatic)", 0},
        {"a proxy that wants a password", ServedPath::Status, passwordWanted, FAILED + "the proxy asks for a password.",
         "status 407", 1},
        {"a proxy that takes the logon", ServedPath::Status, logonTaken, FAILED + "the proxy asks for a password.",
         "logging on to the proxy as the user", 2},
        {"a script that never comes", ServedPath::NeverAnswer, "", "", "the system's proxy look-up did not end in time", 1},
    };
    for (const auto& c : cases) {
        FetchScenario s;
        s.configure(ELSEWHERE);
        s.server.serve("/proxy.pac", ServedPath{c.script, "function FindProxyForURL(url, host) { return \"DIRECT\"; }"});
        s.server.serve(ELSEWHERE, c.proxyHeader.empty() ? ServedPath{ServedPath::Body, s.archive}
                                                        : ServedPath{ServedPath::Status, "", "", 407, 0, 0, c.proxyHeader});
        SystemProxySettings settings(c.script == ServedPath::Status ? "" : s.server.url("/proxy.pac"));
        RunOptions how;
        how.environment["http_proxy"] = s.server.authority();
        TracedRun run;
        if (c.line.empty()) {
            run = s.run("", s.options(how));
            EXPECT_EQ(1u, applicationStarts(s.home(), 1)) << c.what;
        } else {
            EXPECT_EQ(c.line, s.dialogLine(&run, nullptr, how)) << c.what;
        }
        std::string traced = "Runtime download: " + c.traced;
        if (traced.find("PROXY") != std::string::npos) traced.replace(traced.find("PROXY"), 5, s.server.authority());
        EXPECT_TRUE(run.has(traced)) << c.what << traceOf(run);
        EXPECT_EQ(c.proxied, s.server.requests(ELSEWHERE)) << c.what;
    }
}
