// Broken archives: every byte flipped, every length cut. The reader must refuse or read what it can,
// never touch memory outside the image (the sanitizer build checks that), and give the caller's
// image back exactly.
#include <gtest/gtest.h>

#include "tests/core/files/archive_exercise.h"
#include "tests/core/files/archive_test_support.h"

namespace {

ArchiveWriterEntry SmallTree() {
    return FolderEntry("", {FileEntry("a.png", PatternBytes(60, 1)),
                            FolderEntry("sub", {FileEntry("deep.bin", PatternBytes(90, 2)),
                                                FolderEntry("inner", {FileEntry("x.dat", Bytes("xyz"))})})});
}

class CorruptArchive : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(CorruptArchive, EveryFlippedByteIsSurvivedAndTheImageComesBack) {
    ArchiveWriteOptions options;
    options.version = std::get<0>(GetParam());
    options.pack = std::get<1>(GetParam());
    const std::vector<uint8_t> good = BuildOrDie(SmallTree(), options);
    std::vector<uint8_t> image = good;
    ASSERT_TRUE(ExerciseArchiveImage(image));
    for (size_t at = 0; at < good.size(); ++at) {
        for (uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
            image = good;
            image[at] ^= mask;
            ASSERT_TRUE(ExerciseArchiveImage(image)) << "byte " << at << " mask " << int(mask);
        }
    }
}

TEST_P(CorruptArchive, EveryCutLengthIsSurvived) {
    ArchiveWriteOptions options;
    options.version = std::get<0>(GetParam());
    options.pack = std::get<1>(GetParam());
    const std::vector<uint8_t> good = BuildOrDie(SmallTree(), options);
    for (size_t length = 0; length < good.size(); ++length) {
        std::vector<uint8_t> image(good.begin(), good.begin() + length);
        ASSERT_TRUE(ExerciseArchiveImage(image)) << "length " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, CorruptArchive,
                         ::testing::Combine(::testing::Range(0, 6), ::testing::Bool()));

TEST(CorruptArchive, TruncatedTableFailsTheOpen) {
    std::vector<uint8_t> image = BuildOrDie(SmallTree(), {});
    image.resize(image.size() - 1);
    std::vector<uint8_t> before = image;
    OpenArchive archive;
    ClearArchiveRecord(&archive);
    EXPECT_EQ(OpenArchiveFromMemory(&archive, image.data(), uint32_t(image.size()), nullptr), -1);
    EXPECT_EQ(image, before);
}

}  // namespace
