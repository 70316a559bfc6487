#include "platform/io_error.h"

#include <cerrno>

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::platform {

std::string ioErrorText(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
        case ELOOP:  // links that lead round in a circle name no file
            return translate("lenzora::platform", "File not found");
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return translate("lenzora::platform", "File access denied");
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return translate("lenzora::platform", "Disk full");
        default:
            return fillIn(translate("lenzora::platform", "I/O error %1"),
                          {std::to_string(errnoValue)});
    }
}

void throwIoError(int errnoValue) { throw Error(ioErrorText(errnoValue)); }

}  // namespace lenzora::platform
