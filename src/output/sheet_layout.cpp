#include "output/sheet_layout.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::output {
namespace {

struct NamedPaper {
    std::string_view name;
    double widthMm;
    double heightMm;
};

// ISO 216 in millimetres; Letter and Legal in inches times 25.4.
constexpr std::array<NamedPaper, 5> kPapers = {{{"A3", 297, 420},
                                                {"A4", 210, 297},
                                                {"A5", 148, 210},
                                                {"Letter", 215.9, 279.4},
                                                {"Legal", 215.9, 355.6}}};
constexpr std::array<std::string_view, 5> kPaperNames = {"A3", "A4", "A5", "Letter", "Legal"};

bool sameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

[[noreturn]] void unknownPaper(std::string_view text) {
    throw platform::Error(platform::fillIn(platform::translate("lenzora::output", kUnknownPaper),
                                           {std::string(text)}));
}

// A positive decimal number that is the whole of `text`.
std::optional<double> positiveNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// How many pictures of `size` with `gap` between them fit in `room`. A billionth of a point
// is allowed, so that a grid that fits exactly is not lost to rounding.
int fitting(double room, double size, double gap) {
    if (size <= 0 || room + 1e-9 < size) return 0;
    return 1 + static_cast<int>(std::floor((room - size + 1e-9) / (size + gap)));
}

// The distance a mark running from `from` in direction (dx, dy) may go before it comes
// within the clearance of a picture other than `own`.
double markRoom(const SheetLine& from, double dx, double dy, const std::vector<SheetRect>& copies,
                std::size_t own) {
    double room = kCropMarkLength + kCropMarkOffset;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (i == own) continue;
        const SheetRect& r = copies[i];
        if (dx != 0) {
            // A horizontal mark meets a picture whose rows it crosses.
            if (from.y1 < r.top || from.y1 > r.top + r.height) continue;
            const double distance = dx > 0 ? r.left - from.x1 : from.x1 - (r.left + r.width);
            if (distance >= 0) room = std::min(room, distance - kCropMarkClearance);
        } else {
            if (from.x1 < r.left || from.x1 > r.left + r.width) continue;
            const double distance = dy > 0 ? r.top - from.y1 : from.y1 - (r.top + r.height);
            if (distance >= 0) room = std::min(room, distance - kCropMarkClearance);
        }
    }
    return room;
}

// The eight marks of one copy: at each corner one along each trim line, starting the offset
// from the picture's edge, shortened where a neighbour is near.
void addCropMarks(SheetPlan& plan, std::size_t copy) {
    const SheetRect& picture = plan.copies[copy];
    const SheetRect& trim = plan.trims[copy];
    const double right = picture.left + picture.width;
    const double bottom = picture.top + picture.height;
    struct Start {
        double x, y, dx, dy;
    };
    const std::array<Start, 8> starts = {{
        {picture.left, trim.top, -1, 0},
        {picture.left, trim.top + trim.height, -1, 0},
        {right, trim.top, 1, 0},
        {right, trim.top + trim.height, 1, 0},
        {trim.left, picture.top, 0, -1},
        {trim.left + trim.width, picture.top, 0, -1},
        {trim.left, bottom, 0, 1},
        {trim.left + trim.width, bottom, 0, 1},
    }};
    for (const Start& s : starts) {
        const double room = markRoom({s.x, s.y, s.x, s.y}, s.dx, s.dy, plan.copies, copy);
        const double end = std::min(kCropMarkOffset + kCropMarkLength, room);
        if (end <= kCropMarkOffset) continue;
        plan.cropMarks.push_back({s.x + s.dx * kCropMarkOffset, s.y + s.dy * kCropMarkOffset,
                                  s.x + s.dx * end, s.y + s.dy * end});
    }
}

std::string millimetres(double points) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", points / kPointsPerMm);
    return text;
}

}  // namespace

Paper parsePaper(std::string_view text) {
    for (const NamedPaper& paper : kPapers) {
        if (sameLetters(text, paper.name)) {
            return {std::string(paper.name), paper.widthMm * kPointsPerMm,
                    paper.heightMm * kPointsPerMm};
        }
    }
    double unit = 0;
    std::string_view size = text;
    if (size.size() > 2 && sameLetters(size.substr(size.size() - 2), "mm")) {
        unit = kPointsPerMm;
    } else if (size.size() > 2 && sameLetters(size.substr(size.size() - 2), "in")) {
        unit = kPointsPerInch;
    } else {
        unknownPaper(text);
    }
    size.remove_suffix(2);
    std::size_t cross = size.find_first_of("xX");
    std::size_t crossLength = 1;
    if (cross == std::string_view::npos) {
        cross = size.find("\xC3\x97");  // "×" in UTF-8
        crossLength = 2;
    }
    if (cross == std::string_view::npos) unknownPaper(text);
    const auto width = positiveNumber(size.substr(0, cross));
    const auto height = positiveNumber(size.substr(cross + crossLength));
    if (!width || !height) unknownPaper(text);
    return {{}, *width * unit, *height * unit};
}

std::span<const std::string_view> paperNames() { return kPaperNames; }

SheetPlan planSheet(const SheetSettings& settings, double pictureWidth, double pictureHeight) {
    SheetPlan plan;
    plan.width = settings.landscape ? settings.paper.height : settings.paper.width;
    plan.height = settings.landscape ? settings.paper.width : settings.paper.height;
    // The grid is centred, so what stands beside it on one side is kept free on the other.
    const double reach = settings.cropMarks ? kCropMarkOffset + kCropMarkLength : 0;
    const double labelBand = settings.label ? kLabelDistance + kLabelSize : 0;
    const double roomWidth = plan.width - 2 * (settings.margin + reach);
    const double roomHeight = plan.height - 2 * (settings.margin + reach + labelBand);
    const int fitColumns = fitting(roomWidth, pictureWidth, settings.gap);
    const int fitRows = fitting(roomHeight, pictureHeight, settings.gap);
    if (fitColumns < 1 || fitRows < 1) {
        throw platform::Error(platform::fillIn(
            platform::translate("lenzora::output", kNoCopyFits),
            {millimetres(pictureWidth), millimetres(pictureHeight),
             millimetres(std::max(roomWidth, 0.0)), millimetres(std::max(roomHeight, 0.0))}));
    }
    int count = fitColumns * fitRows;
    if (settings.copies > 0) {
        if (settings.copies > count) {
            throw platform::Error(platform::fillIn(
                platform::translate("lenzora::output", kTooManyCopies), {std::to_string(count)}));
        }
        count = settings.copies;
        plan.rows = (count + fitColumns - 1) / fitColumns;
        plan.columns = (count + plan.rows - 1) / plan.rows;
    } else {
        plan.columns = fitColumns;
        plan.rows = fitRows;
    }
    const double gridWidth = plan.columns * pictureWidth + (plan.columns - 1) * settings.gap;
    const double gridHeight = plan.rows * pictureHeight + (plan.rows - 1) * settings.gap;
    const double gridLeft = (plan.width - gridWidth) / 2;
    const double gridTop = (plan.height - gridHeight) / 2;
    for (int i = 0; i < count; ++i) {
        const int column = i % plan.columns;
        const int row = i / plan.columns;
        const SheetRect picture{gridLeft + column * (pictureWidth + settings.gap),
                                gridTop + row * (pictureHeight + settings.gap), pictureWidth,
                                pictureHeight};
        plan.copies.push_back(picture);
        plan.trims.push_back({picture.left + settings.bleed, picture.top + settings.bleed,
                              pictureWidth - 2 * settings.bleed,
                              pictureHeight - 2 * settings.bleed});
    }
    if (settings.cropMarks) {
        for (std::size_t i = 0; i < plan.copies.size(); ++i) addCropMarks(plan, i);
    }
    if (settings.label) {
        plan.label = SheetRect{gridLeft, gridTop + gridHeight + reach + kLabelDistance, gridWidth,
                               kLabelSize};
    }
    return plan;
}

std::string sheetLabel(const SheetJob& job) {
    const long double mmPerPixel = 25.4L / core::fromFixed(job.resolution);
    char size[64];
    std::snprintf(size, sizeof size, "%.1Lf x %.1Lf mm", job.trimWidth * mmPerPixel,
                  job.trimHeight * mmPerPixel);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    return std::to_string(job.frames) + " frames  " + core::formatFixed(job.pitch) + " LPI  " +
           core::formatFixed(job.resolution) + " dpi  " + size + "  " + today.toStdString();
}

}  // namespace lenzora::output
