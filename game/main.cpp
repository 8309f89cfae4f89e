#include <cstdio>

// The game's entry point arrives with the main loop; until then the program says so plainly.
int main() {
    std::printf("korvalund: the game's main loop is not built yet; nothing to run.\n");
    return 0;
}
