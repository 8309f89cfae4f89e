// The data files the game cannot run without, checked before it starts: a missing one ends the program
// with kDataFailureStatus after one line naming it.
#pragma once

#include <string>

inline constexpr int kDataFailureStatus = 2;

// What is wrong with the game's data in the working folder, or empty when every required file is there.
std::string RequiredDataProblem();
// Why the map file at `path`, which did not load, is unusable; empty when there is no such file (the area
// is then left empty, as it always was).
std::string MapFileProblem(const char* path);
