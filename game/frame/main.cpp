#include <cstdio>
#include <string>

#include "game/frame/command_line.h"
#include "game/frame/main_loop.h"
#include "game/frame/replay_file.h"
#include "game/frame/required_data.h"
#include "platform/host/host.h"

namespace {

// A headless run without an input script has nothing that could ever end it but a replay.
bool NothingCouldEndTheRun() {
    return GetHostKind() == HostKind::kHeadless && !HostHasInputScript();
}

// Says on standard error why the command line is not a replay; false when the program should end.
bool AcceptReplayArgument(const std::string& line) {
    const std::string problem = ReplayProblem(line.c_str());
    if (problem.empty()) return true;
    const bool end = NothingCouldEndTheRun();
    std::fprintf(stderr, "korvalund: \"%s\" %s; %s\n", line.c_str(), problem.c_str(),
                 end ? "headless with no input script nothing could end the run, so it ends here"
                     : "starting without it");
    return !end;
}

}  // namespace

int main(int argc, char** argv) {
    std::string line = JoinCommandLine(argc, argv);
    if (!line.empty() && !AcceptReplayArgument(line)) return 2;
    // Without its data the game would show one font error and then run on a blank screen.
    if (const std::string problem = RequiredDataProblem(); !problem.empty()) {
        std::fprintf(stderr, "korvalund: %s\n", problem.c_str());
        return kDataFailureStatus;
    }
    return WinMain(nullptr, nullptr, line.data(), 1);
}
