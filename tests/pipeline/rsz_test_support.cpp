#include <gtest/gtest.h>

#include "FilmCore.h"
#include "frame/memgroups.h"

namespace {

// The allocator is started once for all the resampler tests, as InitDSData does.
class MemoryGroups : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, MemInit(4000)); }
    void TearDown() override { MemDeinit(); }
};

::testing::Environment* const memoryGroups = ::testing::AddGlobalTestEnvironment(new MemoryGroups);

// Every test gives back the groups it took: a leaked group is a failure
// of the test that leaked it.
class GroupsComeBack : public ::testing::EmptyTestEventListener {
    uint32_t groupsAtStart = 0;
    void OnTestStart(const ::testing::TestInfo&) override { groupsAtStart = MemGroupCount(); }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        EXPECT_EQ(groupsAtStart, MemGroupCount()) << "memory groups in use after the test";
    }
};

const bool groupsComeBack = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new GroupsComeBack);
    return true;
}();

}  // namespace
