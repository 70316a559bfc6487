#pragma once
// How the PNG reader and writer get out of libpng: the library reports an error by calling
// the error function, which must not return. It keeps the message and jumps back to the
// guarded call, which throws once the library's frames are gone. An exception of the byte
// sink takes the same way out.

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <string>

#include <png.h>

#include "platform/error.h"

namespace lenzora::raster::detail {

struct PngErrorState {
    char message[256] = {};
    std::exception_ptr sinkFailure;
};

inline void onPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

inline void onPngWarning(png_structp, png_const_charp) {}

// Runs libpng calls; the callable must not own anything with a destructor, as the jump skips
// its frame. Keeping setjmp in this small frame leaves the callers' variables out of reach.
template <class Calls>
void pngGuarded(png_structp png, PngErrorState& state, Calls&& calls) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        if (state.sinkFailure) std::rethrow_exception(state.sinkFailure);
        throw platform::Error(std::string("PNG error: ") + state.message);
    }
    calls();
}

}  // namespace lenzora::raster::detail
