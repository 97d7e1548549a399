#include "memgroups.h"

#include <string.h>

#include <new>
#include <unordered_set>

#include "sysblock.h"

// Header in front of every system block. The mark sits right before the
// caller's address in both builds; the 64-bit build widens the handle.
struct BlockHeader {
    uintptr_t handle;
#if UINTPTR_MAX > 0xFFFFFFFFu
    uint32_t reserved;
#endif
    uint32_t mark;
};

// Usage figures count each buffer as capacity + 20, the 32-bit accounting,
// so both builds report the same numbers.
static const uint32_t kAccountedBufferOverhead = 20;

static MemGroup* g_groups = nullptr;
static int32_t g_defaultSize = MEM_DEFAULT_BUFFER;
static MemGroup* g_lastGroup = nullptr;  // lookup cache, cleared on unlink
// Live blocks, so that a foreign address is refused without reading
// memory that does not belong to us. Held masked: a plain address here
// would count as a reference and hide every leaked block from the leak
// checker.
static std::unordered_set<uintptr_t>* g_liveBlocks = nullptr;
static const uintptr_t kLiveBlockMask = static_cast<uintptr_t>(0xA5C3E1F096B4D287ull);

static uintptr_t LiveKey(const void* address)
{
    return reinterpret_cast<uintptr_t>(address) ^ kLiveBlockMask;
}

namespace {
struct LockGuard {
    LockGuard() { SysLockEnter(); }
    ~LockGuard() { SysLockLeave(); }
};
}

// Null only when even the empty set cannot be had.
static std::unordered_set<uintptr_t>* LiveBlocks(void)
{
    if (!g_liveBlocks)
        g_liveBlocks = new (std::nothrow) std::unordered_set<uintptr_t>();
    return g_liveBlocks;
}

// No exception may reach the host through an export: a full set is an
// exhausted allocator.
static bool RememberLiveBlock(const void* address)
{
    LockGuard lock;
    std::unordered_set<uintptr_t>* live = LiveBlocks();
    if (!live)
        return false;
    try {
        live->insert(LiveKey(address));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

static uint16_t AllocBlock(void** address, uint64_t size)
{
    *address = nullptr;
    uint64_t total = size + sizeof(BlockHeader);
    if (total > 0xFFFFFFFFull || total > SIZE_MAX)
        return FC_OUT_OF_MEMORY;
    uintptr_t handle = 0;
    void* raw = SysBlockAlloc(static_cast<size_t>(total), &handle);
    if (!raw)
        return FC_OUT_OF_MEMORY;
    BlockHeader* header = static_cast<BlockHeader*>(raw);
    header->handle = handle;
    header->mark = MEM_BLOCK_MARK;
    void* user = header + 1;
    if (!RememberLiveBlock(user)) {
        SysBlockFree(handle);
        return FC_OUT_OF_MEMORY;
    }
    *address = user;
    return FC_OK;
}

uint16_t MemAllocBlock(void** address, uint32_t size)
{
    if (!address)
        return FC_BAD_ARGUMENT;
    return AllocBlock(address, size);
}

int MemBlockIsLive(const void* address)
{
    LockGuard lock;
    std::unordered_set<uintptr_t>* live = LiveBlocks();
    return address && live && live->count(LiveKey(address)) ? 1 : 0;
}

uint16_t MemFreeBlock(void* address)
{
    if (!address)
        return FC_NOT_VALID;
    BlockHeader* header = static_cast<BlockHeader*>(address) - 1;
    {
        LockGuard lock;
        std::unordered_set<uintptr_t>* live = LiveBlocks();
        if (!live)
            return FC_NOT_VALID;
        auto it = live->find(LiveKey(address));
        if (it == live->end() || header->mark != MEM_BLOCK_MARK)
            return FC_NOT_VALID;
        live->erase(it);
    }
    header->mark = 0;
    SysBlockFree(header->handle);
    return FC_OK;
}

uint32_t MemBlocksInUse(void)
{
    LockGuard lock;
    const std::unordered_set<uintptr_t>* live = LiveBlocks();
    return live ? static_cast<uint32_t>(live->size()) : 0;
}

// ---- groups ---------------------------------------------------------------

static uint8_t* BufferData(MemBuffer* buffer)
{
    return reinterpret_cast<uint8_t*>(buffer + 1);
}

static MemGroup* DescriptorOf(MemBuffer* first)
{
    // The descriptor follows the first buffer's data, aligned for its fields.
    uintptr_t end = reinterpret_cast<uintptr_t>(BufferData(first)) + first->capacity;
    end = (end + alignof(MemGroup) - 1) & ~(uintptr_t)(alignof(MemGroup) - 1);
    return reinterpret_cast<MemGroup*>(end);
}

static uint16_t NewBuffer(uint32_t capacity, bool withDescriptor, MemBuffer** out)
{
    uint64_t size = sizeof(MemBuffer) + static_cast<uint64_t>(capacity);
    if (withDescriptor)
        size += alignof(MemGroup) + sizeof(MemGroup);
    void* block = nullptr;
    uint16_t rc = AllocBlock(&block, size);
    if (rc != FC_OK)
        return rc;
    MemBuffer* buffer = static_cast<MemBuffer*>(block);
    buffer->capacity = capacity;
    buffer->used = 0;
    *out = buffer;
    return FC_OK;
}

static MemGroup* FindGroup(int32_t id)
{
    if (g_lastGroup && g_lastGroup->id == id)
        return g_lastGroup;
    for (MemGroup* g = g_groups; g && g->id <= id; g = g->next) {
        if (g->id == id) {
            g_lastGroup = g;
            return g;
        }
    }
    return nullptr;
}

static void Unlink(MemGroup* group)
{
    if (group->previous)
        group->previous->next = group->next;
    else
        g_groups = group->next;
    if (group->next)
        group->next->previous = group->previous;
    group->previous = group->next = nullptr;
    if (g_lastGroup == group)
        g_lastGroup = nullptr;
}

static void FreeGroupsLocked(uint16_t* lastError)
{
    while (g_groups) {
        uint16_t rc = MemFreeGroup(g_groups->id);
        if (rc != FC_OK)
            *lastError = rc;
    }
}

uint16_t MemInit(int32_t defaultSize)
{
    SysLockCreate();
    LockGuard lock;
    // A second start must not strand the groups of the first.
    uint16_t ignored = FC_OK;
    FreeGroupsLocked(&ignored);
    g_groups = nullptr;
    g_lastGroup = nullptr;
    g_defaultSize = defaultSize < 1 ? MEM_DEFAULT_BUFFER : defaultSize;
    return FC_OK;
}

uint16_t MemDeinit(void)
{
    uint16_t lastError = FC_OK;
    {
        LockGuard lock;
        FreeGroupsLocked(&lastError);
    }
    SysLockDelete();
    return lastError;
}

uint16_t MemGetGroupIDEx(int32_t* id, uint32_t firstSize)
{
    if (!id)
        return FC_BAD_ARGUMENT;
    LockGuard lock;
    int32_t candidate = 0;
    MemGroup* before = nullptr;  // the new group goes after this one
    MemGroup* g = g_groups;
    for (; g; g = g->next) {
        if (g->id > candidate)
            break;
        if (g->id == INT32_MAX)
            return FC_OUT_OF_MEMORY;
        candidate = g->id + 1;
        before = g;
    }
    MemBuffer* first = nullptr;
    uint16_t rc = NewBuffer(firstSize, true, &first);
    if (rc != FC_OK)
        return rc;
    MemGroup* group = DescriptorOf(first);
    group->id = candidate;
    group->firstSize = firstSize;
    group->first = first;
    group->previous = before;
    group->next = before ? before->next : g_groups;
    if (group->next)
        group->next->previous = group;
    if (before)
        before->next = group;
    else
        g_groups = group;
    *id = candidate;
    return FC_OK;
}

uint16_t MemGetGroupID(int32_t* id)
{
    return MemGetGroupIDEx(id, static_cast<uint32_t>(g_defaultSize));
}

uint16_t MemGetGroupPtr(int32_t id, MemGroup** group)
{
    MemGroup* g = FindGroup(id);
    if (group)
        *group = g;
    return g ? FC_OK : FC_NO_SUCH_GROUP;
}

uint16_t MemRemoveGroupPtr(int32_t id, MemGroup** group)
{
    MemGroup* g = FindGroup(id);
    if (group)
        *group = g;
    if (!g)
        return FC_NO_SUCH_GROUP;
    Unlink(g);
    return FC_OK;
}

uint16_t MemFreeGroup(int32_t id)
{
    MemGroup* group = nullptr;
    {
        LockGuard lock;
        group = FindGroup(id);
        if (!group)
            return FC_NO_SUCH_GROUP;
        Unlink(group);
    }
    // The first buffer's block carries the descriptor, so it goes last.
    MemBuffer* first = group->first;
    uint16_t lastError = FC_OK;
    MemBuffer* buffer = first ? first->next : nullptr;
    while (buffer) {
        MemBuffer* next = buffer->next;
        uint16_t rc = MemFreeBlock(buffer);
        if (rc != FC_OK)
            lastError = rc;
        buffer = next;
    }
    if (first) {
        uint16_t rc = MemFreeBlock(first);
        if (rc != FC_OK)
            lastError = rc;
    }
    return lastError;
}

void* MemGetBuffer(int32_t id, int32_t size)
{
    if (size < 0)
        return nullptr;
    LockGuard lock;
    MemGroup* group = FindGroup(id);
    if (!group)
        return nullptr;
    MemBuffer* last = nullptr;
    for (MemBuffer* b = group->first; b; b = b->next) {
        // Strictly greater: a request that would fill a buffer exactly is
        // not taken from it.
        if (static_cast<int64_t>(b->capacity) - b->used > size) {
            void* piece = BufferData(b) + b->used;
            b->used += static_cast<uint32_t>(size);
            return piece;
        }
        last = b;
    }
    uint32_t capacity = static_cast<uint32_t>(size > g_defaultSize ? size : g_defaultSize);
    MemBuffer* fresh = nullptr;
    if (NewBuffer(capacity, false, &fresh) != FC_OK)
        return nullptr;
    fresh->previous = last;
    fresh->next = nullptr;
    if (last)
        last->next = fresh;
    else
        group->first = fresh;
    fresh->used = static_cast<uint32_t>(size);
    return BufferData(fresh);
}

uint16_t MemRewindGroup(int32_t id)
{
    LockGuard lock;
    MemGroup* group = FindGroup(id);
    if (!group)
        return FC_NO_SUCH_GROUP;
    for (MemBuffer* b = group->first; b; b = b->next)
        b->used = 0;
    return FC_OK;
}

static void AddUsage(const MemGroup* group, uint32_t* used, uint32_t* allocated)
{
    for (const MemBuffer* b = group->first; b; b = b->next) {
        *used += b->used;
        *allocated += b->capacity + kAccountedBufferOverhead;
    }
}

uint16_t MemGroupUsage(int32_t id, uint32_t* used, uint32_t* allocated)
{
    LockGuard lock;
    MemGroup* group = FindGroup(id);
    if (!group)
        return FC_NO_SUCH_GROUP;
    uint32_t u = 0, a = 0;
    AddUsage(group, &u, &a);
    if (used)
        *used = u;
    if (allocated)
        *allocated = a;
    return FC_OK;
}

uint16_t MemTotalUsage(uint32_t* used, uint32_t* allocated)
{
    LockGuard lock;
    uint32_t u = 0, a = 0;
    for (const MemGroup* g = g_groups; g; g = g->next)
        AddUsage(g, &u, &a);
    if (used)
        *used = u;
    if (allocated)
        *allocated = a;
    return FC_OK;
}

uint32_t MemGroupCount(void)
{
    LockGuard lock;
    uint32_t count = 0;
    for (const MemGroup* g = g_groups; g; g = g->next)
        ++count;
    return count;
}

uint16_t MemTestIntegrity(void)
{
    LockGuard lock;
    for (const MemGroup* g = g_groups; g; g = g->next) {
        if (g->previous ? g->previous->next != g : g_groups != g)
            return FC_NOT_VALID;
        if (g->next && g->next->previous != g)
            return FC_NOT_VALID;
        for (const MemBuffer* b = g->first; b; b = b->next) {
            if (b->previous ? b->previous->next != b : g->first != b)
                return FC_NOT_VALID;
            if (b->next && b->next->previous != b)
                return FC_NOT_VALID;
        }
    }
    return FC_OK;
}

uint16_t MemGetCriticalSection(void** criticalSection)
{
    if (!criticalSection)
        return FC_BAD_ARGUMENT;
    *criticalSection = SysLockHandle();
    return FC_OK;
}

// ---- pools ------------------------------------------------------------------
// Pool and chunk headers are read and written through memcpy: a chunk sits
// wherever the earlier sizes put it, aligned or not.

static const uint32_t kPoolCapacityAt = 0;
static const uint32_t kPoolMarkAt = 4;
static const uint32_t kPoolFirstAt = 8;
static const uint32_t kPoolHeader = 8 + sizeof(void*);
static const uint32_t kChunkSizeAt = 0;
static const uint32_t kChunkPrevAt = 4;
static const uint32_t kChunkNextAt = 4 + sizeof(void*);
static const uint32_t kChunkHeader = 4 + 2 * sizeof(void*);
// Each header is followed by four spare bytes, as in the 32-bit layout.
static const uint32_t kSpare = 4;

uint32_t MemSubPoolOverhead(void) { return kPoolHeader + kSpare; }
uint32_t MemSubChunkOverhead(void) { return kChunkHeader + kSpare; }

static uint32_t LoadU32(const uint8_t* at)
{
    uint32_t v;
    memcpy(&v, at, sizeof v);
    return v;
}

static void StoreU32(uint8_t* at, uint32_t v) { memcpy(at, &v, sizeof v); }

static uint8_t* LoadPtr(const uint8_t* at)
{
    uint8_t* v;
    memcpy(&v, at, sizeof v);
    return v;
}

static void StorePtr(uint8_t* at, uint8_t* v) { memcpy(at, &v, sizeof v); }

uint16_t MemSubInitPool(void* pool, uint32_t poolSize)
{
    // A pool smaller than its header would wrap the capacity.
    if (!pool || poolSize < MemSubPoolOverhead())
        return FC_BAD_ARGUMENT;
    uint8_t* p = static_cast<uint8_t*>(pool);
    StoreU32(p + kPoolCapacityAt, poolSize - MemSubPoolOverhead());
    StoreU32(p + kPoolMarkAt, MEM_POOL_MARK);
    StorePtr(p + kPoolFirstAt, nullptr);
    return FC_OK;
}

static uint32_t ChunkFootprint(const uint8_t* chunk)
{
    return LoadU32(chunk + kChunkSizeAt) + MemSubChunkOverhead();
}

void* MemSubAlloc(void* pool, uint32_t size)
{
    if (!pool)
        return nullptr;
    uint8_t* p = static_cast<uint8_t*>(pool);
    if (LoadU32(p + kPoolMarkAt) != MEM_POOL_MARK)
        return nullptr;
    uint64_t needed = static_cast<uint64_t>(size) + MemSubChunkOverhead();
    if (needed > 0xFFFFFFFFull)
        return nullptr;
    uint8_t* dataStart = p + kPoolHeader;
    uint8_t* dataEnd = dataStart + LoadU32(p + kPoolCapacityAt);

    uint8_t* previous = nullptr;
    uint8_t* gapStart = dataStart;
    uint8_t* chunk = LoadPtr(p + kPoolFirstAt);
    while (chunk) {
        if (chunk < gapStart || chunk >= dataEnd)
            return nullptr;  // damaged chain
        if (static_cast<uint64_t>(chunk - gapStart) >= needed)
            break;
        previous = chunk;
        gapStart = chunk + ChunkFootprint(chunk);
        chunk = LoadPtr(chunk + kChunkNextAt);
    }
    if (!chunk && static_cast<uint64_t>(dataEnd - gapStart) < needed)
        return nullptr;
    if (gapStart > dataEnd)
        return nullptr;

    uint8_t* fresh = gapStart;
    StoreU32(fresh + kChunkSizeAt, size);
    StorePtr(fresh + kChunkPrevAt, previous);
    StorePtr(fresh + kChunkNextAt, chunk);
    if (previous)
        StorePtr(previous + kChunkNextAt, fresh);
    else
        StorePtr(p + kPoolFirstAt, fresh);
    if (chunk)
        StorePtr(chunk + kChunkPrevAt, fresh);
    return fresh + kChunkHeader;
}

uint16_t MemSubFree(void* pool, void* piece)
{
    if (!pool || !piece)
        return FC_NO_SUCH_GROUP;
    uint8_t* p = static_cast<uint8_t*>(pool);
    // Walking the chain of memory that is not a pool could go anywhere.
    if (LoadU32(p + kPoolMarkAt) != MEM_POOL_MARK)
        return FC_NOT_VALID;
    uint8_t* dataStart = p + kPoolHeader;
    uint8_t* dataEnd = dataStart + LoadU32(p + kPoolCapacityAt);
    uint8_t* floor = dataStart;
    for (uint8_t* chunk = LoadPtr(p + kPoolFirstAt); chunk;
         chunk = LoadPtr(chunk + kChunkNextAt)) {
        if (chunk < floor || chunk >= dataEnd)
            return FC_NOT_VALID;
        if (chunk + kChunkHeader == piece) {
            uint8_t* previous = LoadPtr(chunk + kChunkPrevAt);
            uint8_t* next = LoadPtr(chunk + kChunkNextAt);
            if (previous)
                StorePtr(previous + kChunkNextAt, next);
            else
                StorePtr(p + kPoolFirstAt, next);
            if (next)
                StorePtr(next + kChunkPrevAt, previous);
            return FC_OK;
        }
        floor = chunk + ChunkFootprint(chunk);
    }
    return FC_NO_SUCH_GROUP;
}
