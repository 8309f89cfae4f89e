// The program's command line as the game takes it: the arguments joined by single spaces.
#pragma once

#include <string>

std::string JoinCommandLine(int argc, const char* const* argv);
