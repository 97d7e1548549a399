#include <gtest/gtest.h>

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
};

TEST_F(MemGroups, IdsTakeTheSmallestFreeNumberAndAreReused)
{
    int32_t id = -5;
    for (int32_t expected = 0; expected < 4; ++expected) {
        ASSERT_EQ(MemGetGroupID(&id), FC_OK);
        EXPECT_EQ(id, expected);
    }
    ASSERT_EQ(MemFreeGroup(2), FC_OK);
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    EXPECT_EQ(id, 2) << "with 0, 1 and 3 in use the next id is 2";
    MemGroup* g = nullptr;
    ASSERT_EQ(MemGetGroupPtr(3, &g), FC_OK);
    ASSERT_NE(g->previous, nullptr);
    EXPECT_EQ(g->previous->id, 2) << "the list stays sorted by id";
    EXPECT_EQ(MemFreeGroup(7), FC_NO_SUCH_GROUP);
    EXPECT_EQ(MemGetGroupPtr(7, &g), FC_NO_SUCH_GROUP);
    EXPECT_EQ(MemGetGroupID(nullptr), FC_BAD_ARGUMENT);
}

TEST_F(MemGroups, PiecesComeFromTheFirstBufferWithRoomElseANewOne)
{
    int32_t id;
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    uint8_t* first = static_cast<uint8_t*>(MemGetBuffer(id, 3990));
    ASSERT_NE(first, nullptr);
    // 10 bytes are free, and a request that would fill them exactly is refused.
    uint8_t* second = static_cast<uint8_t*>(MemGetBuffer(id, 10));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first + 3990);
    uint32_t used = 0, allocated = 0;
    ASSERT_EQ(MemGroupUsage(id, &used, &allocated), FC_OK);
    EXPECT_EQ(used, 4000u);
    EXPECT_EQ(allocated, 2u * (4000 + 20));
    // Nine bytes still fit into the first buffer.
    uint8_t* third = static_cast<uint8_t*>(MemGetBuffer(id, 9));
    EXPECT_EQ(third, first + 3990);
    // A large request gets a buffer of exactly its size.
    ASSERT_NE(MemGetBuffer(id, 10000), nullptr);
    ASSERT_EQ(MemGroupUsage(id, &used, &allocated), FC_OK);
    EXPECT_EQ(allocated, 2u * (4000 + 20) + 10000 + 20);
    EXPECT_EQ(used, 4009u + 10000u);
    // Pieces are usable memory, zero-filled when fresh.
    uint8_t* piece = static_cast<uint8_t*>(MemGetBuffer(id, 100));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(piece[i], 0);
    std::memset(piece, 0xAB, 100);
}

TEST_F(MemGroups, RewindServesTheFirstBufferAgain)
{
    int32_t id;
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    void* first = MemGetBuffer(id, 100);
    MemGetBuffer(id, 3950);
    ASSERT_EQ(MemRewindGroup(id), FC_OK);
    EXPECT_EQ(MemGetBuffer(id, 50), first);
    EXPECT_EQ(MemRewindGroup(99), FC_NO_SUCH_GROUP);
}

TEST_F(MemGroups, BadRequestsGiveNullAndAllocateNothing)
{
    int32_t id;
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    uint32_t usedBefore, allocatedBefore;
    MemTotalUsage(&usedBefore, &allocatedBefore);
    EXPECT_EQ(MemGetBuffer(42, 10), nullptr);
    EXPECT_EQ(MemGetBuffer(id, -1), nullptr) << "a negative size must not shrink `used`";
    EXPECT_EQ(MemGetBuffer(id, INT32_MIN), nullptr);
    int32_t huge;
    EXPECT_EQ(MemGetGroupIDEx(&huge, 0xFFFFFFF0u), FC_OUT_OF_MEMORY) << "block size must not wrap";
    void* block = nullptr;
    EXPECT_EQ(MemAllocBlock(&block, 0xFFFFFFFCu), FC_OUT_OF_MEMORY);
    uint32_t used, allocated;
    MemTotalUsage(&used, &allocated);
    EXPECT_EQ(used, usedBefore);
    EXPECT_EQ(allocated, allocatedBefore);
    // Pieces handed out afterwards still do not overlap.
    uint8_t* a = static_cast<uint8_t*>(MemGetBuffer(id, 16));
    uint8_t* b = static_cast<uint8_t*>(MemGetBuffer(id, 16));
    EXPECT_GE(b - a, 16);
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
    uint32_t used, allocated;
    ASSERT_EQ(MemGroupUsage(id, &used, &allocated), FC_OK);
    EXPECT_EQ(allocated, 4020u);
}

TEST_F(MemGroups, BlocksCarryTheirMarkAndForeignAddressesAreRefused)
{
    void* block = nullptr;
    ASSERT_EQ(MemAllocBlock(&block, 32), FC_OK);
    uint32_t mark;
    std::memcpy(&mark, static_cast<uint8_t*>(block) - 4, 4);
    EXPECT_EQ(mark, MEM_BLOCK_MARK);
    std::vector<uint8_t> foreign(64, 0);
    EXPECT_EQ(MemFreeBlock(foreign.data() + 16), FC_NOT_VALID);
    EXPECT_EQ(MemFreeBlock(nullptr), FC_NOT_VALID);
    EXPECT_EQ(MemFreeBlock(block), FC_OK);
    EXPECT_EQ(MemFreeBlock(block), FC_NOT_VALID) << "a second free is refused";
}

TEST_F(MemGroups, UsageTotalsAndDeinitFreesEverything)
{
    int32_t a, b;
    MemGetGroupIDEx(&a, 100);
    MemGetGroupID(&b);
    MemGetBuffer(a, 50);
    MemGetBuffer(b, 70);
    uint32_t used, allocated;
    ASSERT_EQ(MemTotalUsage(&used, &allocated), FC_OK);
    EXPECT_EQ(used, 120u);
    EXPECT_EQ(allocated, 120u + 4020u);
    EXPECT_EQ(MemDeinit(), FC_OK);
    MemInit(0);  // below 1 means 4000
    ASSERT_EQ(MemTotalUsage(&used, &allocated), FC_OK);
    EXPECT_EQ(allocated, 0u);
    int32_t c;
    MemGetGroupID(&c);
    EXPECT_EQ(c, 0);
    ASSERT_EQ(MemGroupUsage(c, &used, &allocated), FC_OK);
    EXPECT_EQ(allocated, 4020u);
}

TEST_F(MemGroups, IntegrityNoticesABrokenChain)
{
    int32_t a, b;
    MemGetGroupID(&a);
    MemGetGroupID(&b);
    MemGroup* g = nullptr;
    MemGetGroupPtr(b, &g);
    MemGroup* saved = g->previous;
    g->previous = g;  // damage
    EXPECT_EQ(MemTestIntegrity(), FC_NOT_VALID);
    g->previous = saved;
    EXPECT_EQ(MemTestIntegrity(), FC_OK);
    MemGroup* removed = nullptr;
    ASSERT_EQ(MemRemoveGroupPtr(a, &removed), FC_OK);
    EXPECT_EQ(removed->id, a);
    EXPECT_EQ(MemGetGroupPtr(a, &g), FC_NO_SUCH_GROUP);
    // The unlinked group's memory is still the caller's to free.
    EXPECT_EQ(MemFreeBlock(removed->first), FC_OK);
}

TEST_F(MemGroups, CriticalSectionIsHandedOutAndReentrant)
{
    void* cs = nullptr;
    ASSERT_EQ(MemGetCriticalSection(&cs), FC_OK);
    EXPECT_NE(cs, nullptr);
    int32_t id;
    // Holding the lock, as the outer module may, the allocator still works.
    SysLockEnter();
    EXPECT_EQ(MemGetGroupID(&id), FC_OK);
    EXPECT_NE(MemGetBuffer(id, 10), nullptr);
    SysLockLeave();
}

// ---- pools --------------------------------------------------------------

TEST(MemPools, FirstFitInAddressOrder)
{
    alignas(8) uint8_t pool[256];
    ASSERT_EQ(MemSubInitPool(pool, sizeof pool), FC_OK);
    uint32_t capacity, mark;
    std::memcpy(&capacity, pool, 4);
    std::memcpy(&mark, pool + 4, 4);
    EXPECT_EQ(capacity, sizeof pool - MemSubPoolOverhead());
    EXPECT_EQ(mark, MEM_POOL_MARK);

    uint8_t* a = static_cast<uint8_t*>(MemSubAlloc(pool, 20));
    uint8_t* b = static_cast<uint8_t*>(MemSubAlloc(pool, 20));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b - a, 20 + static_cast<int>(MemSubChunkOverhead()));
    uint32_t recorded;
    std::memcpy(&recorded, b - (MemSubChunkOverhead() - 4), 4);
    EXPECT_EQ(recorded, 20u);
    // Freeing the first chunk leaves a gap at the start of the data area.
    ASSERT_EQ(MemSubFree(pool, a), FC_OK);
    uint8_t* c = static_cast<uint8_t*>(MemSubAlloc(pool, 10));
    EXPECT_EQ(c, a) << "a piece that fits before the second chunk goes to the data start";
    EXPECT_EQ(MemSubFree(pool, a + 1), FC_NO_SUCH_GROUP);
    EXPECT_EQ(MemSubFree(pool, c), FC_OK);
    EXPECT_EQ(MemSubFree(pool, c), FC_NO_SUCH_GROUP);
}

TEST(MemPools, RequestsBeyondTheDataAreaAndBadPoolsAreRefused)
{
    alignas(8) uint8_t pool[128];
    ASSERT_EQ(MemSubInitPool(pool, sizeof pool), FC_OK);
    uint32_t capacity = sizeof pool - MemSubPoolOverhead();
    EXPECT_EQ(MemSubAlloc(pool, capacity), nullptr) << "even the first request";
    uint32_t fits = capacity - MemSubChunkOverhead();
    uint8_t* whole = static_cast<uint8_t*>(MemSubAlloc(pool, fits));
    ASSERT_NE(whole, nullptr);
    std::memset(whole, 0x5A, fits);  // ASan proves it stays inside the pool
    EXPECT_EQ(MemSubAlloc(pool, 0), nullptr);
    EXPECT_EQ(MemSubAlloc(pool, UINT32_MAX), nullptr) << "size + overhead must not wrap";

    EXPECT_EQ(MemSubInitPool(pool, MemSubPoolOverhead() - 1), FC_BAD_ARGUMENT);
    uint8_t tiny[8] = {0};
    EXPECT_EQ(MemSubInitPool(tiny, 8), FC_BAD_ARGUMENT);
    alignas(8) uint8_t unmarked[64] = {0};
    EXPECT_EQ(MemSubAlloc(unmarked, 4), nullptr);
    EXPECT_EQ(MemSubFree(unmarked, unmarked + 20), FC_NOT_VALID);
    EXPECT_EQ(MemSubAlloc(nullptr, 4), nullptr);
}

TEST(MemPools, GapsAreReusedInAddressOrder)
{
    alignas(8) uint8_t pool[512];
    MemSubInitPool(pool, sizeof pool);
    uint8_t* p[4];
    for (auto& x : p)
        x = static_cast<uint8_t*>(MemSubAlloc(pool, 32));
    MemSubFree(pool, p[1]);
    MemSubFree(pool, p[2]);
    // The merged gap of two chunks takes a piece larger than one of them.
    uint8_t* big = static_cast<uint8_t*>(MemSubAlloc(pool, 40));
    EXPECT_EQ(big, p[1]);
    uint8_t* small = static_cast<uint8_t*>(MemSubAlloc(pool, 4));
    EXPECT_GT(small, big);
    EXPECT_LT(small, p[3]);
}

}  // namespace

// Armed, the next allocation of the C++ heap fails as a full heap does.
static bool g_refuseNextNew = false;

void* operator new(std::size_t size)
{
    if (g_refuseNextNew) {
        g_refuseNextNew = false;
        throw std::bad_alloc();
    }
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}
// The replacement pair is malloc and free, which GCC cannot tell apart
// from a mismatch once it sees both.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

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
    g_refuseNextNew = false;
    EXPECT_EQ(MemGroupCount(), 0u) << "the refused group is not in the list";
    ASSERT_EQ(MemGetGroupID(&id), FC_OK);
    EXPECT_EQ(MemGroupCount(), 1u);
}

}  // namespace
