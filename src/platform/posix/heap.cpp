// The process heap. A run allocates a few names and frees them at most once,
// so blocks are cut one after another from a static arena, and the newest one
// can grow or be given back; a block too large for the arena is mapped alone.
#include "platform/posix/heap.h"
#include "platform/posix/heap_arena.h"
#include "platform/posix/last_error.h"
#include "platform/posix/system.h"
#include "platform/win32.h"

#include <cstring>

#ifndef HEADCOPY_HEAP_CHECK
#define HEADCOPY_HEAP_CHECK 0
#endif

namespace {

constexpr SIZE_T alignment = 16;
constexpr SIZE_T arena_size = heap_arena_size;
constexpr SIZE_T page_size = 4096;

struct alignas(alignment) Header {
    SIZE_T size;    // bytes the caller asked for
    SIZE_T mapped;  // bytes mapped for this block alone, 0 in the arena
};

alignas(alignment) unsigned char arena[arena_size];
SIZE_T arena_used;
Header* newest;  // the last block cut from the arena

SIZE_T round_up(SIZE_T n, SIZE_T to) { return (n + to - 1) / to * to; }

// A build with heap checks puts a guard after the bytes of every block, and
// checks it on free, on growth and at exit: the sanitizers cannot see into
// this arena, so a write past a block would go unseen.
constexpr SIZE_T guard_size = HEADCOPY_HEAP_CHECK ? alignment : 0;
constexpr unsigned char guard_byte = 0xA5;

void set_guard(Header* header)
{
    unsigned char* guard = reinterpret_cast<unsigned char*>(header + 1) + header->size;
    for (SIZE_T i = 0; i < guard_size; ++i)
        guard[i] = guard_byte;
}

[[noreturn]] void overwritten()
{
    static constexpr char message[] = "headcopy: heap guard overwritten\n";
    sys::write(2, message, sizeof message - 1);
    sys::exit(134);
}

void check_guard(const Header* header)
{
    const auto* guard = reinterpret_cast<const unsigned char*>(header + 1) + header->size;
    for (SIZE_T i = 0; i < guard_size; ++i)
        if (guard[i] != guard_byte)
            overwritten();
}

// Room for the caller's bytes and the guard after them.
SIZE_T room(SIZE_T size) { return sizeof(Header) + size + guard_size; }

Header* header_of(LPVOID block) { return static_cast<Header*>(block) - 1; }

bool fits_arena(SIZE_T from, SIZE_T size)
{
    return size <= arena_size && from <= arena_size - round_up(size, alignment);
}

LPVOID allocate(SIZE_T size)
{
    Header* header;
    SIZE_T total = room(size);
    if (size < arena_size && fits_arena(arena_used, total)) {
        header = reinterpret_cast<Header*>(arena + arena_used);
        *header = {size, 0};
        arena_used += round_up(total, alignment);
        newest = header;
    } else {
        if (size > SIZE_T(-1) - page_size - sizeof(Header))
            return record_error<LPVOID>(nullptr, -ENOMEM);
        SIZE_T mapped = round_up(total, page_size);
        void* address = nullptr;
        if (long error = sys::map(mapped, address))
            return record_error<LPVOID>(nullptr, error);
        header = static_cast<Header*>(address);
        *header = {size, mapped};
    }
    set_guard(header);
    return header + 1;
}

}  // namespace

HANDLE GetProcessHeap() { return arena; }

LPVOID HeapAlloc(HANDLE, DWORD, SIZE_T size) { return allocate(size); }

LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size)
{
    Header* header = header_of(block);
    check_guard(header);
    if (header == newest) {
        SIZE_T from = static_cast<SIZE_T>(reinterpret_cast<unsigned char*>(header) - arena);
        if (fits_arena(from, room(size))) {
            header->size = size;
            arena_used = from + round_up(room(size), alignment);
            set_guard(header);
            return block;
        }
    }
    LPVOID moved = allocate(size);
    if (!moved)
        return nullptr;
    std::memcpy(moved, block, header->size < size ? header->size : size);
    HeapFree(heap, flags, block);
    return moved;
}

BOOL HeapFree(HANDLE, DWORD, LPVOID block)
{
    if (!block)
        return TRUE;
    Header* header = header_of(block);
    check_guard(header);
    if (header->mapped) {
        if (long error = sys::unmap(header, header->mapped))
            return record_error(FALSE, error);
    } else if (header == newest) {
        arena_used = static_cast<SIZE_T>(reinterpret_cast<unsigned char*>(header) - arena);
        newest = nullptr;
    }
    return TRUE;
}

#if HEADCOPY_HEAP_CHECK
void check_heap()
{
    // A block grown past the arena's end has written what lies beyond it.
    if (arena_used > arena_size)
        overwritten();
    for (SIZE_T at = 0; at < arena_used;) {
        const auto* header = reinterpret_cast<const Header*>(arena + at);
        check_guard(header);
        at += round_up(room(header->size), alignment);
    }
}
#endif
