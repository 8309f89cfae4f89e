#include <string>

#include "game/frame/command_line.h"
#include "game/frame/main_loop.h"

int main(int argc, char** argv) {
    std::string line = JoinCommandLine(argc, argv);
    return WinMain(nullptr, nullptr, line.data(), 1);
}
