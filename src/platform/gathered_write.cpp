#include "platform/gathered_write.h"

#include <limits.h>  // IOV_MAX
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/io_error.h"

namespace lenzora::platform {

void writeGathered(int fd, Pieces pieces, std::int64_t offset) {
    std::vector<iovec> left;
    left.reserve(pieces.size());
    for (const auto& piece : pieces) {
        if (!piece.empty()) left.push_back({const_cast<std::uint8_t*>(piece.data()), piece.size()});
    }
    std::size_t first = 0;
    while (first < left.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(left.size() - first, IOV_MAX));
        ssize_t written = offset < 0 ? ::writev(fd, left.data() + first, count)
                                     : ::pwritev(fd, left.data() + first, count, offset);
        if (written < 0) {
            if (errno == EINTR) continue;
            throwIoError(errno);
        }
        if (offset >= 0) offset += written;
        // Past the pieces written whole, into the one written in part.
        while (first < left.size() && static_cast<std::size_t>(written) >= left[first].iov_len) {
            written -= static_cast<ssize_t>(left[first].iov_len);
            ++first;
        }
        if (first < left.size()) {
            left[first].iov_base = static_cast<std::uint8_t*>(left[first].iov_base) + written;
            left[first].iov_len -= static_cast<std::size_t>(written);
        }
    }
}

}  // namespace lenzora::platform
