#include "core/settings_file.h"

#include <charconv>
#include <limits>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/save_file.h"
#include "platform/translation.h"

namespace lenzora::core {
namespace {

constexpr std::size_t kIntegerTokenLimit = 32;
constexpr std::size_t kRealTokenLimit = 64;
// A settings file is one line of a hundred-odd bytes; reading stops here, so that a huge file
// under its name costs no more than this.
constexpr std::size_t kSettingsReadLimit = std::size_t{64} * 1024;

[[noreturn]] void invalidNumericInput() {
    throw platform::Error(platform::translate("lenzora::core", "Invalid numeric input"));
}

// Reads numbers as the settings files in use were written to be read: skip everything up to
// and including blank, take characters up to the next one or up to the token limit, where
// the token is cut and the rest is left for the next number.
class TokenReader {
  public:
    explicit TokenReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> next(std::size_t limit) {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= 32) ++pos_;
        if (pos_ == text_.size()) return std::nullopt;
        std::size_t start = pos_;
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > 32 &&
               pos_ - start < limit) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    std::int32_t integer() {
        std::optional<std::string_view> token = next(kIntegerTokenLimit);
        if (!token) return 0;
        std::string_view digits = *token;
        const bool plusSign = !digits.empty() && digits[0] == '+';
        if (plusSign) digits.remove_prefix(1);
        if (digits.empty() || (plusSign && digits[0] == '-')) invalidNumericInput();
        std::int32_t value = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size()) invalidNumericInput();
        return value;
    }

    FixedCount real() {
        std::optional<std::string_view> token = next(kRealTokenLimit);
        if (!token) return 0;
        std::optional<long double> value = parseDecimal(*token);
        if (!value) invalidNumericInput();
        try {
            return toFixed(*value);
        } catch (const platform::Error&) {
            invalidNumericInput();
        }
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

StoredSettings parseSettings(std::string_view text) {
    TokenReader reader(text);
    StoredSettings s;
    s.reserved1 = reader.integer();
    s.mode = reader.integer();
    s.pitch = reader.real();
    s.reserved2 = reader.integer();
    s.reserved3 = reader.integer();
    s.width = reader.real();
    s.height = reader.real();
    s.sizeUnit = reader.integer();
    s.errorAdjustment = reader.integer();
    return s;
}

std::string formatSettings(const StoredSettings& s) {
    auto integer = [](std::int32_t v) { return std::to_string(v); };
    auto real = [](FixedCount v) { return formatSettingsReal(fromFixed(v)); };
    return integer(s.reserved1) + " " + integer(s.mode) + " " + real(s.pitch) + " " +
           integer(s.reserved2) + " " + integer(s.reserved3) + " " + real(s.width) + " " +
           real(s.height) + " " + integer(s.sizeUnit) + " " + integer(s.errorAdjustment) + "\r\n";
}

std::optional<StoredSettings> readSettingsFile(const std::filesystem::path& path) {
    if (!platform::fileExists(path) && !platform::directoryExists(path)) return std::nullopt;
    platform::Bytes bytes = platform::readWholeFile(path, kSettingsReadLimit);
    return parseSettings(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void writeSettingsFile(const std::filesystem::path& path, const StoredSettings& settings) {
    platform::saveWholeFile(path, formatSettings(settings));
}

RestoredSettings restoreSettings(const std::filesystem::path& path) {
    RestoredSettings result;
    try {
        std::optional<StoredSettings> read = readSettingsFile(path);
        if (!read) {
            writeSettingsFile(path, result.values);
        } else {
            // A pitch box left at 0 is stored as typed; it costs only the pitch, not the
            // size, unit and mode the user set.
            result.values = *read;
            if (read->pitch <= 0) result.values.pitch = StoredSettings{}.pitch;
        }
    } catch (const platform::Error& e) {
        result.values = StoredSettings{};
        result.problem = e.what();
    }
    return result;
}

void applyStoredSettings(const StoredSettings& stored, OutputSettings& settings) {
    settings.reserved1 = stored.reserved1;
    settings.mode = stored.mode == 0 ? kModeColumns : kModeRows;
    settings.pitch = stored.pitch;
    settings.reserved2 = stored.reserved2;
    settings.reserved3 = stored.reserved3;
    settings.savedWidth = settings.workingWidth = stored.width;
    settings.savedHeight = settings.workingHeight = stored.height;
    settings.sizeUnit = stored.sizeUnit;
    settings.errorAdjustment = stored.errorAdjustment;
    settings.frameCount = kMinFrames;
}

StoredSettings storedFrom(const OutputSettings& settings) {
    StoredSettings s;
    s.reserved1 = settings.reserved1;
    s.mode = settings.mode;
    s.pitch = settings.pitch;
    s.reserved2 = settings.reserved2;
    s.reserved3 = settings.reserved3;
    s.width = settings.savedWidth;
    s.height = settings.savedHeight;
    s.sizeUnit = settings.sizeUnit;
    s.errorAdjustment = settings.errorAdjustment;
    return s;
}

}  // namespace lenzora::core
