#include "raster/colour_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/error.h"

namespace lenzora::raster {
namespace {

// Palettes are converted in place as blue-green-red triplets.
static_assert(sizeof(Colour) == 3);

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

Profile openProfile(const platform::Bytes& bytes) {
    return Profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

[[noreturn]] void throwProfileError() { throw platform::Error("Colour profile error"); }

}  // namespace

bool isRgbProfile(const platform::Bytes& profile) {
    if (profile.empty()) return false;
    const Profile opened = openProfile(profile);
    return opened && cmsGetColorSpace(opened.get()) == cmsSigRgbData &&
           cmsIsIntentSupported(opened.get(), INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT) != 0;
}

namespace {

platform::Bytes makeSrgbProfile() {
    const Profile profile(cmsCreate_sRGBProfile());
    cmsUInt32Number size = 0;
    if (!profile || cmsSaveProfileToMem(profile.get(), nullptr, &size) == 0) throwProfileError();
    platform::Bytes bytes(size);
    cmsSaveProfileToMem(profile.get(), bytes.data(), &size);
    // LittleCMS stamps the header with the time the profile was made (bytes 24-35: year,
    // month, day, hour, minute, second, big-endian 16 bits each). A fixed date keeps the
    // profile, the comparisons of frames' profiles with it and the files it goes into the same
    // from run to run; the profile ID (bytes 84-99) is cleared, as it would hash the date.
    constexpr std::array<std::uint8_t, 12> kFixedDate = {0x07, 0xEA, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    if (bytes.size() < 128) throwProfileError();
    std::copy(kFixedDate.begin(), kFixedDate.end(), bytes.begin() + 24);
    std::fill(bytes.begin() + 84, bytes.begin() + 100, std::uint8_t{0});
    return bytes;
}

}  // namespace

platform::Bytes srgbProfile() {
    static const platform::Bytes profile = makeSrgbProfile();
    return profile;
}

ColourTransform::ColourTransform(const platform::Bytes& from, const platform::Bytes& to) {
    const Profile source = openProfile(from);
    const Profile target = openProfile(to);
    if (!source || !target) throwProfileError();
    // No flags: the transform's one-colour cache is copied for each call, so calls on several
    // threads at once are safe.
    transform_.reset(cmsCreateTransform(source.get(), TYPE_BGR_8, target.get(), TYPE_BGR_8,
                                        INTENT_PERCEPTUAL, 0));
    if (!transform_) throwProfileError();
}

void ColourTransform::Deleter::operator()(void* transform) const { cmsDeleteTransform(transform); }

void ColourTransform::apply(std::uint8_t* bgrRow, std::int32_t width) const {
    if (width <= 0) return;
    cmsDoTransform(transform_.get(), bgrRow, bgrRow, static_cast<cmsUInt32Number>(width));
}

void convertColours(RasterImage& image, const platform::Bytes& from, const platform::Bytes& to) {
    if (image.format() != PixelFormat::Bgrx32) {
        const ColourTransform transform(from, to);
        if (isIndexed(image.format())) {
            std::vector<Colour> palette = image.palette();
            transform.apply(reinterpret_cast<std::uint8_t*>(palette.data()),
                            static_cast<std::int32_t>(palette.size()));
            image.setPalette(std::move(palette));
            return;
        }
        for (std::int32_t y = 0; y < image.height(); ++y)
            transform.apply(image.row(y), image.width());
        return;
    }
    const Profile source = openProfile(from);
    const Profile target = openProfile(to);
    if (!source || !target) throwProfileError();
    const Transform transform(cmsCreateTransform(source.get(), TYPE_BGRA_8, target.get(),
                                                 TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                                 cmsFLAGS_COPY_ALPHA));
    if (!transform) throwProfileError();
    // All rows in one call: the library steps from row to row by the image's stride.
    const auto width = static_cast<cmsUInt32Number>(image.width());
    const auto height = static_cast<cmsUInt32Number>(image.height());
    const auto stride = static_cast<cmsUInt32Number>(image.stride());
    if (height == 0) return;
    cmsDoTransformLineStride(transform.get(), image.row(0), image.row(0), width, height, stride,
                             stride, 0, 0);
}

}  // namespace lenzora::raster
