// Where the test bed finds the programs it drives: beside the running test.
#pragma once

#include <string>

std::string binFolder();
std::string launcherImage();  // the shipped launcher.exe
std::string tracecapImage();
std::string standinImage();
// The stand-in runtime of that width (64 or 32): this tree's own, or the
// one the other compiler built beside it.
std::string standinImage(int bits);
std::string consoleStandinImage();  // the stand-in built as a console program
std::string consoleHostImage();
std::string driverImage();
