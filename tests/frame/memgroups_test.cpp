#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "frame/memgroups.h"
#include "frame/sysblock.h"

namespace {

class MemGroups : public ::testing::Test {
protected:
    void SetUp() override { MemInit(4000); }
    void TearDown() override
    {
        SysBlockRefuseAfter(-1);
        EXPECT_EQ(MemTestIntegrity(), FC_OK);
        MemDeinit();
    }
    static uint32_t Allocated(int32_t id)
    {
        uint32_t used = 0, allocated = 0;
        EXPECT_EQ(MemGroupUsage(id, &used, &allocated), FC_OK);
        return allocated;
    }
};

TEST_F(MemGroups, IdsTakeTheSmallestFreeNumberAndBuffersFillUpExactly)
{
    int32_t id = -5;
    for (int32_t expected = 0; expected < 3; ++expected) {
        ASSERT_EQ(MemGetGroupID(&id), FC_OK);
        EXPECT_EQ(id, expected);
    }
    ASSERT_EQ(MemFreeGroup(1), FC_OK);
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(MemFreeGroup(7), FC_NO_SUCH_GROUP);

    uint8_t* first = static_cast<uint8_t*>(MemGetBuffer(id, 3990));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(MemGetBuffer(id, 10), first + 3990) << "a request that would fill the buffer exactly goes elsewhere";
    EXPECT_EQ(Allocated(id), 2u * (4000 + 20));
    EXPECT_EQ(MemGetBuffer(id, 9), first + 3990);
    ASSERT_NE(MemGetBuffer(id, 10000), nullptr);
    EXPECT_EQ(Allocated(id), 2u * (4000 + 20) + 10000 + 20) << "a large piece gets its own size";
    uint8_t* fresh = static_cast<uint8_t*>(MemGetBuffer(id, 100));
    EXPECT_EQ(std::count(fresh, fresh + 100, 0), 100);
    ASSERT_EQ(MemRewindGroup(id), FC_OK);
    EXPECT_EQ(MemGetBuffer(id, 50), first);
}

TEST_F(MemGroups, BadRequestsGiveNullAndAllocateNothing)
{
    int32_t id;
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    uint32_t usedBefore, allocatedBefore, used, allocated;
    MemTotalUsage(&usedBefore, &allocatedBefore);
    EXPECT_EQ(MemGetBuffer(42, 10), nullptr);
    EXPECT_EQ(MemGetBuffer(id, -1), nullptr) << "a negative size must not shrink `used`";
    EXPECT_EQ(MemGetBuffer(id, INT32_MIN), nullptr);
    int32_t huge;
    EXPECT_EQ(MemGetGroupIDEx(&huge, 0xFFFFFFF0u), FC_OUT_OF_MEMORY) << "block size must not wrap";
    void* block = nullptr;
    EXPECT_EQ(MemAllocBlock(&block, 0xFFFFFFFCu), FC_OUT_OF_MEMORY);
    MemTotalUsage(&used, &allocated);
    EXPECT_EQ(used, usedBefore);
    EXPECT_EQ(allocated, allocatedBefore);
    uint8_t* a = static_cast<uint8_t*>(MemGetBuffer(id, 16));
    EXPECT_GE(static_cast<uint8_t*>(MemGetBuffer(id, 16)) - a, 16) << "pieces still do not overlap";
    // Only live blocks of the allocator are freed, once.
    ASSERT_EQ(MemAllocBlock(&block, 32), FC_OK);
    std::vector<uint8_t> foreign(64, 0);
    EXPECT_EQ(MemFreeBlock(foreign.data() + 16), FC_NOT_VALID);
    EXPECT_EQ(MemFreeBlock(block), FC_OK);
    EXPECT_EQ(MemFreeBlock(block), FC_NOT_VALID);
}

TEST_F(MemGroups, RefusedSystemMemoryGives102AndLeaksNothing)
{
    int32_t id;
    SysBlockRefuseAfter(0);
    EXPECT_EQ(MemGetGroupID(&id), FC_OUT_OF_MEMORY);
    void* block = reinterpret_cast<void*>(1);
    EXPECT_EQ(MemAllocBlock(&block, 64), FC_OUT_OF_MEMORY);
    EXPECT_EQ(block, nullptr);
    SysBlockRefuseAfter(-1);
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    EXPECT_EQ(id, 0) << "the refused group left no trace in the list";
    MemGetBuffer(id, 3999);
    SysBlockRefuseAfter(0);
    EXPECT_EQ(MemGetBuffer(id, 100), nullptr);
    SysBlockRefuseAfter(-1);
    EXPECT_EQ(Allocated(id), 4020u);
}

TEST(MemPools, RequestsBeyondTheDataAreaAndBadPoolsAreRefused)
{
    alignas(8) uint8_t pool[128];
    ASSERT_EQ(MemSubInitPool(pool, sizeof pool), FC_OK);
    uint32_t capacity = sizeof pool - MemSubPoolOverhead();
    EXPECT_EQ(MemSubAlloc(pool, capacity), nullptr) << "the chunk header must fit too";
    EXPECT_EQ(MemSubAlloc(pool, UINT32_MAX), nullptr) << "size + overhead must not wrap";
    uint32_t fits = capacity - MemSubChunkOverhead();
    uint8_t* whole = static_cast<uint8_t*>(MemSubAlloc(pool, fits));
    ASSERT_NE(whole, nullptr);
    std::memset(whole, 0x5A, fits);  // ASan proves it stays inside the pool
    EXPECT_EQ(MemSubFree(pool, whole + 1), FC_NO_SUCH_GROUP);
    EXPECT_EQ(MemSubFree(pool, whole), FC_OK);
    EXPECT_EQ(MemSubInitPool(pool, MemSubPoolOverhead() - 1), FC_BAD_ARGUMENT);
    alignas(8) uint8_t unmarked[64] = {0};
    EXPECT_EQ(MemSubAlloc(unmarked, 4), nullptr);
    EXPECT_EQ(MemSubFree(unmarked, unmarked + 20), FC_NOT_VALID);
}

}  // namespace

// Armed, the next allocation of the C++ heap fails as a full heap does.
static bool g_refuseNextNew = false;

void* operator new(std::size_t size)
{
    void* p = g_refuseNextNew ? nullptr : std::malloc(size ? size : 1);
    g_refuseNextNew = false;
    if (!p)
        throw std::bad_alloc();
    return p;
}
// GCC cannot tell this malloc and free pair from a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// An exception leaving an export would end the host process.
TEST_F(MemGroups, AFullCppHeapIsOutOfMemoryNotAnException)
{
    uint16_t result = 0;
    void* block = reinterpret_cast<void*>(1);
    EXPECT_NO_THROW((g_refuseNextNew = true, result = MemAllocBlock(&block, 64)));
    EXPECT_EQ(result, FC_OUT_OF_MEMORY);
    EXPECT_EQ(block, nullptr);
    int32_t id = -1;
    EXPECT_NO_THROW((g_refuseNextNew = true, result = MemGetGroupID(&id)));
    EXPECT_EQ(result, FC_OUT_OF_MEMORY);
    EXPECT_EQ(MemGroupCount(), 0u) << "the refused group is not in the list";
}

}  // namespace
