// The data files the game cannot run without, checked before it starts: a missing one ends the program
// with kDataFailureStatus after one line naming it.
#pragma once

#include <string>

inline constexpr int kDataFailureStatus = 2;

// What is wrong with the game's data in the working folder, or empty when every required file is there.
std::string RequiredDataProblem();
