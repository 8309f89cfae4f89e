// The demo replay played headless on a device with pixel shaders shows the frames it shows on a device
// without them: every 30th presented frame of both runs is kept, and each pair agrees within one step per
// channel.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/graphics/device/builtin_shaders.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/game/live/live_program.h"

namespace {

constexpr uint64_t kEvery = 30;

std::string frameFolder;

// Keeps every 30th presented frame as a file of its 0xAARRGGBB pixels; describes the run by the frames
// kept and whether the library draws through its shaders.
std::string KeepFrames() {
    static uint64_t kept = 0;
    const D3D9PresentedPicture picture = D3D9GetPresentedPicture();
    if (picture.present_count >= (kept + 1) * kEvery) {
        kept = picture.present_count / kEvery;
        std::ofstream out(frameFolder + "/frame" + std::to_string(kept), std::ios::binary);
        out.write(reinterpret_cast<const char*>(picture.pixels.data()),
                  std::streamsize(picture.pixels.size() * sizeof(uint32_t)));
    }
    return std::string(GetProgrammableShaderFlag() ? "shaders" : "stages") + " " + std::to_string(kept);
}

std::vector<uint32_t> ReadFrame(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::vector<uint32_t> pixels(size_t(in.tellg()) / sizeof(uint32_t));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size() * sizeof(uint32_t)));
    return pixels;
}

// Pixels of the two frames with a channel more than one step apart.
int Disagreeing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift : {0, 8, 16})
            if (std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)) > 1) {
                ++count;
                break;
            }
    return count + int(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

class ShaderProfileReplayTest : public LiveProgramTest {
  protected:
    void SetUp() override {
        LiveProgramTest::SetUp();
        LinkDataPack();
        std::filesystem::copy_file(std::filesystem::path(KORVALUND_DATAPACK_DIR) / "demo.rep",
                                   Path("demo.rep"));
    }
    void TearDown() override {
        unsetenv("KORVALUND_D3D_PROFILE");
        LiveProgramTest::TearDown();
    }

    // The replay with the profile; the last trace line ("shaders 57" or "stages 57").
    std::string Play(const char* profile) {
        frameFolder = Path(profile).string();
        std::filesystem::create_directories(frameFolder);
        setenv("KORVALUND_D3D_PROFILE", profile, 1);
        EXPECT_EQ(Run("100000 close\n", "demo.rep", KeepFrames), 0) << profile;
        return trace_.empty() ? "" : trace_.back().substr(trace_.back().find(' ') + 1);
    }
};

TEST_F(ShaderProfileReplayTest, TheShaderProfileShowsTheFixedProfilesFrames) {
    const std::string fixed = Play("fixed");
    const std::string shaders = Play("sm3");
    ASSERT_EQ(fixed.rfind("stages ", 0), 0u) << fixed;
    ASSERT_EQ(shaders.rfind("shaders ", 0), 0u) << shaders;
    const int frames = std::stoi(fixed.substr(7));
    EXPECT_GT(frames, 10) << "the replay showed too few frames to compare";
    EXPECT_EQ(std::stoi(shaders.substr(8)), frames);
    for (int f = 1; f <= frames; ++f) {
        const std::string name = "frame" + std::to_string(f);
        const std::vector<uint32_t> a = ReadFrame(Path("fixed") / name), b = ReadFrame(Path("sm3") / name);
        EXPECT_EQ(a.size(), 800u * 600u) << name;
        EXPECT_EQ(Disagreeing(a, b), 0) << name << " (present " << f * kEvery << ")";
    }
}

}  // namespace
