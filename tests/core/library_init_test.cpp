#include "engine/core/library_init.h"

#include <gmock/gmock.h>

#include "tests/core/library_fixture.h"

namespace {

TEST_F(LibraryTest, InitAndEndInWindowMode) {
    ChangeWindowMode(1);
    EXPECT_EQ(LibraryInit(), 0);
    EXPECT_EQ(LibraryEnd(), 0);
    for (const std::string& line : LogLines()) std::printf("[%s]\n", line.c_str());
}

}  // namespace
namespace {
TEST_F(LibraryTest, InitFullScreenDebug) {
    ChangeWindowMode(0);
    EXPECT_EQ(LibraryInit(), 0);
    EXPECT_EQ(LibraryEnd(), 0);
    for (const std::string& line : LogLines()) std::printf("[%s]\n", line.c_str());
}
}
