#include "engine/graphics/scene3d/model_handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <string>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/scene3d/model_physics.h"
#include "tests/graphics/device_fixture.h"
#include "tests/graphics/scene3d/model_builder.h"

namespace {

using namespace model_test;

class ModelHandlesTest : public graphics_test::DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        blocksBefore = GetTrackedAllocCount();
        MakeDevice(64, 64);
        ASSERT_EQ(RegisterModelHandleTypes(), 0);
        physicsCounts = PhysicsCounts{};
    }
    void TearDown() override {
        EndModelHandleTypes();
        DeviceFixture::TearDown();
    }
    uint32_t blocksBefore = 0;
};

TEST(ModelTypes, SoftwareModeRegistersNothing) {
    ASSERT_EQ(Direct3DMode, 0);
    EXPECT_EQ(RegisterModelHandleTypes(), 0);
    EXPECT_EQ(modelTypeState.registered, 0);
    EXPECT_EQ(handleTypes[kHandleTypeModelBase].registered, 0);
    EXPECT_EQ(EndModelHandleTypes(), 0);
}

TEST_F(ModelHandlesTest, RegistrationMakesBothTypesTheSineTableAndNoDefaultTextures) {
    EXPECT_EQ(modelTypeState.registered, 1);
    for (int type : {kHandleTypeModelBase, kHandleTypeModel}) {
        EXPECT_EQ(handleTypes[type].registered, 1);
        EXPECT_EQ(handleTypes[type].limit, 32768);
        EXPECT_STREQ(handleTypes[type].name, "３Ｄモデル");
    }
    for (int texture : modelTypeState.defaultTextures) EXPECT_EQ(texture, -1);
    EXPECT_EQ(RegisterModelHandleTypes(), 0);  // a second call changes nothing
}

TEST_F(ModelHandlesTest, SineTableEqualsTheOracleInEveryEntry) {
    std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/scene3d/oracles/sine_table.txt");
    std::string hashText;
    ASSERT_TRUE(in >> hashText);
    uint64_t hash = 0xCBF29CE484222325ull;
    const auto* bytes = reinterpret_cast<const uint8_t*>(modelSineTable);
    for (size_t i = 0; i < sizeof modelSineTable; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    EXPECT_EQ(hash, std::stoull(hashText, nullptr, 16));
    int index = 0;
    float value = 0;
    while (in >> index >> value) EXPECT_EQ(modelSineTable[index], value) << index;
}

TEST_F(ModelHandlesTest, BaseWithTwoReferencesSurvivesTheFirstDelete) {
    const int base = AddTestBase(2, 2, 1, 2, 0);
    ASSERT_EQ(DeleteHandle(base), 0);
    ASSERT_NE(BaseOf(base), nullptr);
    EXPECT_EQ(BaseOf(base)->referenceCount, 1);
    ASSERT_EQ(DeleteHandle(base), 0);
    EXPECT_EQ(BaseOf(base), nullptr);
}

TEST_F(ModelHandlesTest, InstancesDeletedInAnyOrderKeepTheListOfTheBase) {
    std::array<int, 3> order = {0, 1, 2};
    do {
        const int base = AddTestBase(2, 2, 2, 1, 0);
        const int instances[3] = {AddTestInstance(base), AddTestInstance(base), AddTestInstance(base)};
        ModelBase* b = BaseOf(base);
        bool alive[3] = {true, true, true};
        for (int step = 0; step < 3; ++step) {
            ASSERT_EQ(DeleteHandle(instances[order[step]]), 0);
            alive[order[step]] = false;
            ModelInstance* expectedFirst = nullptr;
            ModelInstance* expectedLast = nullptr;
            for (int i = 0; i < 3; ++i)
                if (alive[i]) {
                    if (!expectedFirst) expectedFirst = InstanceOf(instances[i]);
                    expectedLast = InstanceOf(instances[i]);
                }
            EXPECT_EQ(b->firstInstance, expectedFirst);
            EXPECT_EQ(b->lastInstance, expectedLast);
            EXPECT_EQ(b->instanceCount, 2 - step);
            int walked = 0;
            for (ModelInstance* i = b->firstInstance; i; i = i->next) ++walked;
            EXPECT_EQ(walked, 2 - step);
        }
        DeleteHandle(base);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(ModelHandlesTest, DeletedBaseTakesItsInstancesAlong) {
    const int base = AddTestBase(1, 1, 1, 1, 0);
    const int instance = AddTestInstance(base);
    ASSERT_EQ(DeleteHandle(base), 0);
    EXPECT_EQ(InstanceOf(instance), nullptr);
}

TEST_F(ModelHandlesTest, EndReleasesEveryBaseWhateverItsCountAndLeavesNoBlock) {
    const int base = AddTestBase(3, 2, 2, 3, 1);
    AddTestInstance(base);
    AttachTestPhysics(AddTestInstance(base), 2, 1, 1, 1);
    ASSERT_EQ(EndModelHandleTypes(), 0);
    EXPECT_EQ(modelTypeState.registered, 0);
    EXPECT_EQ(handleTypes[kHandleTypeModelBase].registered, 0);
    EXPECT_EQ(GetTrackedAllocCount(), blocksBefore);
    EXPECT_EQ(EndModelHandleTypes(), 0);  // nothing left to end
}

TEST_F(ModelHandlesTest, PhysicsObjectsAreDeletedOnceAfterLeavingTheWorld) {
    const int base = AddTestBase(1, 1, 1, 1, 1);
    const int instance = AddTestInstance(base);
    AttachTestPhysics(instance, 3, 2, 2, 1);
    ASSERT_EQ(DeleteHandle(instance), 0);
    EXPECT_EQ(physicsCounts.constraints, 2);
    EXPECT_EQ(physicsCounts.bodies, 3);
    EXPECT_EQ(physicsCounts.motionStates, 2);
    EXPECT_EQ(physicsCounts.shapes, 4);  // three body shapes and the ground shape
    EXPECT_EQ(physicsCounts.holderObjects, 5);
    EXPECT_EQ(physicsCounts.worldNotEmpty, 0);
    const std::vector<std::string> tail(physicsCounts.order.end() - 5, physicsCounts.order.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"world", "solver", "broadphase", "dispatcher", "configuration"}));
    // Constraints leave before the bodies they join.
    EXPECT_EQ(physicsCounts.order[0], "constraint");
    EXPECT_EQ(physicsCounts.order[1], "constraint");
}

TEST_F(ModelHandlesTest, HolderWithoutWorldAnswersMinusOneAndStillReleasesTheRest) {
    const int base = AddTestBase(1, 1, 1, 1, 1);
    const int instance = AddTestInstance(base);
    AttachTestPhysics(instance, 3, 2, 2, 0);
    ModelPhysics* physics = InstanceOf(instance)->physics;
    EXPECT_EQ(ReleaseModelPhysics(physics), -1);
    EXPECT_EQ(physicsCounts.constraints, 2);
    EXPECT_EQ(physicsCounts.bodies, 3);
    EXPECT_EQ(physicsCounts.motionStates, 2);
    EXPECT_EQ(physicsCounts.shapes, 4);
    EXPECT_EQ(physicsCounts.holderObjects, 4);
    EXPECT_EQ(physics->holder.configuration, nullptr);
    EXPECT_EQ(physics->bodies[0].companion, nullptr);
    EXPECT_EQ(physics->joints[1].constraint, nullptr);
    ASSERT_EQ(DeleteHandle(instance), 0);  // a second release finds nothing left
    EXPECT_EQ(physicsCounts.bodies, 3);
}

}  // namespace
