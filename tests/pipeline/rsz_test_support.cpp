#include <gtest/gtest.h>

#include "FilmCore.h"

namespace {

// The allocator is started once for all the resampler tests, as InitDSData does.
class MemoryGroups : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, MemInit(4000)); }
    void TearDown() override { MemDeinit(); }
};

::testing::Environment* const memoryGroups = ::testing::AddGlobalTestEnvironment(new MemoryGroups);

}  // namespace
