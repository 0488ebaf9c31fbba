// launcher-config sign: signs a launcher with the user's own signing tool,
// and keeps an embedded jar readable by java -jar. The signature's
// certificate table goes at the end of the file, behind the jar, and the
// jar's comment length, which the signature covers, must reach over it:
// so a copy is signed first to learn how much the file grows, the comment
// length of the original is set to that growth, and the original is
// signed. A timestamp or an ECDSA key may change the signature's size;
// then the second step is tried again, a few times.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "configurator/byte_io.h"

// The user's command: {in} in its words stands for the file to sign and
// {out}, where it appears, for the signed file the tool writes; without
// {out} the tool signs {in} in place.
struct SignCommand {
    std::vector<std::string> words;
    bool inPlace = true;
};

// nullopt when no word names {in}.
std::optional<SignCommand> parseSignCommand(const std::vector<std::string>& words);

// The command's words for these two files.
std::vector<std::string> commandFor(const SignCommand& command, const std::string& in, const std::string& out);

// The command failed; its exit status becomes the configurator's.
class SigningFailed : public FormatError {
public:
    SigningFailed(const std::string& message, long status) : FormatError(message), status(status) {}
    long status;
};

// Signs the file at `path`, which is replaced only by a signed file that
// passed the checks; writes a line per signing (the signature's size, the
// time it took) to `out` and returns the line that says what was done.
// Throws FormatError (SigningFailed when the command failed).
std::string signLauncher(const std::string& path, const SignCommand& command, std::ostream& out);
