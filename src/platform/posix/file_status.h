// What both variants of the system calls (system.h) give about a file, the
// same on every Unix.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sys {

enum class FileKind { regular, directory, character, block, fifo, socket, other };

struct FileStatus {
    std::uint64_t device;
    std::uint64_t inode;
    std::int64_t size;
    FileKind kind;
};

// The type bits of a file's mode are the same on every Unix.
constexpr FileKind kind_of(unsigned mode)
{
    switch (mode & 0170000) {
    case 0100000: return FileKind::regular;
    case 0040000: return FileKind::directory;
    case 0020000: return FileKind::character;
    case 0060000: return FileKind::block;
    case 0010000: return FileKind::fifo;
    case 0140000: return FileKind::socket;
    default: return FileKind::other;
    }
}

// The access a check asks about, the same on every Unix.
constexpr int may_read = 4;
constexpr int may_write = 2;

}  // namespace sys
