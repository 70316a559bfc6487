#include "output/sheet_layout.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace lenzora::output {
namespace {

constexpr double mm = kPointsPerMm;

bool overlaps(const SheetLine& line, const SheetRect& r) {
    const double half = kCropMarkWidth / 2;
    return std::min(line.x1, line.x2) - half < r.left + r.width &&
           std::max(line.x1, line.x2) + half > r.left &&
           std::min(line.y1, line.y2) - half < r.top + r.height &&
           std::max(line.y1, line.y2) + half > r.top;
}

TEST(SheetLayout, GridsMarksAndRefusals) {
    struct Case {
        const char* what;
        const char* paper;
        bool landscape;
        int copies;
        double gapMm, bleedMm;
        bool marks, label;
        double widthMm, heightMm;
        int columns, rows, count;
        double leftMm, topMm;  // the first copy
        std::size_t marksDrawn;
        const char* refusal;
    };
    const Case cases[] = {
        // Marks reach 8 mm beyond the grid; a 3 mm gap leaves no room for marks between cards.
        {"6 cards", "A4", false, 6, 3, 0, true, false, 85, 55, 2, 3, 6, 18.5, 63, 20, ""},
        {"fill", "a4", false, 0, 3, 0, true, false, 85, 55, 2, 4, 8, 18.5, 34, 24, ""},
        {"too many", "A4", false, 9, 3, 0, true, false, 85, 55, 0, 0, 0, 0, 0, 0, "8"},
        {"landscape", "A4", true, 0, 3, 0, false, false, 85, 55, 3, 3, 9, 18, 19.5, 0, ""},
        {"square grid", "A4", true, 4, 3, 0, false, false, 85, 55, 2, 2, 4, 62, 48.5, 0, ""},
        // A 12 mm gap leaves room for every mark: all 32 are drawn.
        {"bleed", "A4", false, 4, 12, 2, true, true, 54, 34, 2, 2, 4, 45, 108.5, 32, ""},
        {"too wide", "A4", false, 1, 0, 0, false, false, 300, 100, 0, 0, 0, 0, 0, 0, "300.0"},
        {"exact fit", "100x100mm", false, 0, 0, 0, false, false, 40, 80, 2, 1, 2, 10, 10, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SheetSettings settings;
        settings.paper = parsePaper(c.paper);
        settings.landscape = c.landscape;
        settings.copies = c.copies;
        settings.gap = c.gapMm * mm;
        settings.bleed = c.bleedMm * mm;
        settings.cropMarks = c.marks;
        settings.label = c.label;
        if (*c.refusal != '\0') {
            try {
                planSheet(settings, c.widthMm * mm, c.heightMm * mm);
                ADD_FAILURE() << "not refused";
            } catch (const platform::Error& e) {
                EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
            }
            continue;
        }
        const SheetPlan plan = planSheet(settings, c.widthMm * mm, c.heightMm * mm);
        EXPECT_EQ(plan.columns, c.columns);
        EXPECT_EQ(plan.rows, c.rows);
        ASSERT_EQ(plan.copies.size(), static_cast<std::size_t>(c.count));
        EXPECT_NEAR(plan.copies[0].left, c.leftMm * mm, 1e-9);
        EXPECT_NEAR(plan.copies[0].top, c.topMm * mm, 1e-9);
        EXPECT_NEAR(plan.trims[0].left - plan.copies[0].left, c.bleedMm * mm, 1e-9);
        EXPECT_EQ(plan.cropMarks.size(), c.marksDrawn);
        for (const SheetLine& line : plan.cropMarks) {
            for (const SheetRect& copy : plan.copies) EXPECT_FALSE(overlaps(line, copy));
            // Each mark lies on a trim line of some copy.
            bool onTrim = false;
            for (const SheetRect& t : plan.trims) {
                onTrim = onTrim || line.x1 == t.left || line.x1 == t.left + t.width ||
                         line.y1 == t.top || line.y1 == t.top + t.height;
            }
            EXPECT_TRUE(onTrim);
            EXPECT_LE(std::hypot(line.x2 - line.x1, line.y2 - line.y1), kCropMarkLength + 1e-9);
            EXPECT_GE(std::min(line.x1, line.x2), settings.margin);
        }
        if (c.label) {
            ASSERT_TRUE(plan.label.has_value());
            const SheetRect& last = plan.copies.back();
            EXPECT_NEAR(plan.label->top, last.top + last.height + 10 * mm, 1e-9);
            EXPECT_LE(plan.label->top + plan.label->height, plan.height - settings.margin);
        }
    }
}

TEST(SheetLayout, PaperNames) {
    struct Case {
        const char* text;
        double width, height;  // points; 0: refused
    };
    const Case cases[] = {
        // clang-format off
        {"LEGAL", 612, 1008}, {"100x150mm", 100 * mm, 150 * mm}, {"8.5×11IN", 612, 792},
        {"A6", 0, 0}, {"0x10mm", 0, 0}, {"10x10cm", 0, 0}, {"x10mm", 0, 0}, {"10x10x1mm", 0, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.width == 0) {
            EXPECT_THROW(parsePaper(c.text), platform::Error);
            continue;
        }
        const Paper paper = parsePaper(c.text);
        EXPECT_NEAR(paper.width, c.width, 1e-9);
        EXPECT_NEAR(paper.height, c.height, 1e-9);
    }
}

}  // namespace
}  // namespace lenzora::output
