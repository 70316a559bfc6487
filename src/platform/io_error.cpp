#include "platform/io_error.h"

#include <cerrno>

#include "platform/error.h"

namespace lenzora::platform {

std::string ioErrorText(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
            return "File not found";
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return "File access denied";
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return "Disk full";
        default:
            return "I/O error " + std::to_string(errnoValue);
    }
}

void throwIoError(int errnoValue) { throw Error(ioErrorText(errnoValue)); }

}  // namespace lenzora::platform
