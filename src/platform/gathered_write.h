#pragma once
// Many pieces of a file (a picture's rows, say) written one after the other in as few calls to
// the system as they take: a call per row of a large picture costs more than copying the row.

#include <cstdint>
#include <span>

namespace lenzora::platform {

using Pieces = std::span<const std::span<const std::uint8_t>>;

// Writes all of `pieces` to the descriptor at its current offset, or from `offset` on when one
// is given (the file's own offset then stays where it was), resuming after a partial write or a
// signal; a failure throws its I/O error text ("Disk full", "I/O error N" ...).
void writeGathered(int fd, Pieces pieces, std::int64_t offset = -1);

}  // namespace lenzora::platform
