#include "configurator/signing.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "configurator/config_file.h"
#include "configurator/embedded_jar.h"
#include "configurator/file_system.h"
#include "configurator/pe_image.h"
#include "configurator/run_program.h"

namespace {

// ECDSA signatures and timestamp tokens change size from one signing to
// the next; each try makes room for the size the one before it took.
const int SIGNING_TRIES = 8;

const char IN[] = "{in}";
const char OUT[] = "{out}";

std::string replaced(std::string word, const std::string& name, const std::string& value) {
    for (std::size_t at = word.find(name); at != std::string::npos; at = word.find(name, at + value.size())) {
        word.replace(at, name.size(), value);
    }
    return word;
}

// The files of one signing, beside the target, removed on every way out.
struct SigningFiles {
    std::string in, out;
    explicit SigningFiles(const std::string& path)
        : in(temporaryBeside(path, "unsigned")), out(temporaryBeside(path, "signed")) {}
    ~SigningFiles() {
        removeFile(in);
        removeFile(out);
    }
};

void writePlain(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw FormatError("cannot write " + path);
}

struct Signer {
    const SignCommand& command;
    const std::string& path;
    std::string unchanged() const { return "; " + fileNameOf(path) + " is unchanged"; }

    // Signs and says how long it took, after `what`.
    Bytes timedSign(const Bytes& input, std::ostream& out, const std::string& what) const {
        const auto start = std::chrono::steady_clock::now();
        Bytes signedFile = sign(input);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, ", %.2f s", took.count());
        out << what << std::to_string(signedFile.size() - input.size()) << " bytes" << seconds << "\n";
        return signedFile;
    }

    Bytes sign(const Bytes& input) const {
        SigningFiles files(path);
        writePlain(files.in, input);
        const std::vector<std::string> words = commandFor(command, files.in, files.out);
        const ProgramRun run = runProgram(words);
        if (!run.started) throw FormatError("cannot start the signing command " + words[0] + ": " + run.error + unchanged());
        if (run.exitStatus != 0) {
            throw SigningFailed("the signing command failed with exit status " + std::to_string(run.exitStatus) + unchanged(),
                                run.exitStatus);
        }
        Bytes signedFile = readWholeFile(command.inPlace ? files.in : files.out, "signed file");
        const PeImage image(signedFile);
        require(image.certificateSize() != 0 && signedFile.size() > input.size(),
                ("the signing command left no signature in the file" + unchanged()).c_str());
        return signedFile;
    }
};

std::uint16_t commentLengthFor(std::size_t growth, const std::string& unchanged) {
    if (growth > ZIP_COMMENT_MAX) {
        throw FormatError("the signature takes " + std::to_string(growth) +
                          " bytes, more than a zip comment can cover (65535)" + unchanged);
    }
    return static_cast<std::uint16_t>(growth);
}

}  // namespace

std::optional<SignCommand> parseSignCommand(const std::vector<std::string>& words) {
    SignCommand command{words, true};
    bool namesInput = false;
    for (const std::string& w : words) {
        namesInput = namesInput || w.find(IN) != std::string::npos;
        if (w.find(OUT) != std::string::npos) command.inPlace = false;
    }
    if (!namesInput) return std::nullopt;
    return command;
}

std::vector<std::string> commandFor(const SignCommand& command, const std::string& in, const std::string& out) {
    std::vector<std::string> words;
    for (const std::string& w : command.words) words.push_back(replaced(replaced(w, IN, in), OUT, out));
    return words;
}

std::string signLauncher(const std::string& path, const SignCommand& command, std::ostream& out) {
    const Bytes original = readWholeFile(path, "launcher");
    const std::string name = fileNameOf(path);
    const Signer signer{command, path};
    require(PeImage(original).certificateSize() == 0,
            (name + " is signed already; sign the configured, unsigned launcher").c_str());
    const std::optional<ZipArchive> jar = findEmbeddedJar(original);
    if (!jar) {
        writeWhole(path, signer.sign(original));
        return "signed " + name + " (it carries no jar)";
    }
    require(jar->recordsEnd() == original.size(),
            (name + ": the embedded jar does not end the file; configure it again").c_str());
    Bytes trial = original;
    setJarCommentLength(trial, *jar, 0);
    std::size_t growth = signer.timedSign(trial, out, "signing a copy: the signature takes ").size() - original.size();
    for (int attempt = 1; attempt <= SIGNING_TRIES; ++attempt) {
        Bytes prepared = original;
        setJarCommentLength(prepared, *jar, commentLengthFor(growth, signer.unchanged()));
        const std::string what = "try " + std::to_string(attempt) + ", room made for " + std::to_string(growth) +
                                 " bytes: the signature takes ";
        const Bytes signedFile = signer.timedSign(prepared, out, what);
        const std::optional<ZipArchive> signedJar = findEmbeddedJar(signedFile);
        require(signedJar && signedJar->start == jar->start,
                ("the signing command moved the embedded jar" + signer.unchanged()).c_str());
        if (commentReachesEnd(signedFile, *signedJar)) {
            writeWhole(path, signedFile);
            return "signed " + name + " at try " + std::to_string(attempt) + ": the embedded jar's comment covers the " +
                   std::to_string(growth) + " bytes of the signature and reaches the end of the file, so java -jar reads it";
        }
        growth = signedFile.size() - original.size();
    }
    throw FormatError("the signature's size changed at every one of " + std::to_string(SIGNING_TRIES) +
                      " tries (a timestamp server?)" + signer.unchanged());
}
