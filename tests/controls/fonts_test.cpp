// The shared fonts, built once the GUI library runs.
#include <gtest/gtest.h>

#include "Common.h"

namespace {

TEST(SharedFonts, BuiltWithTheirSizeWeightAndStyle)
{
    InitSharedFonts();
    struct {
        const wxFont* font;
        int points;
        wxFontWeight weight;
        wxFontStyle style;
    } cases[] = {
        {&FontBold11, 11, wxFONTWEIGHT_BOLD, wxFONTSTYLE_NORMAL},
        {&FontBold10, 10, wxFONTWEIGHT_BOLD, wxFONTSTYLE_NORMAL},
        {&FontBold9, 9, wxFONTWEIGHT_BOLD, wxFONTSTYLE_NORMAL},
        {&FontBold8, 8, wxFONTWEIGHT_BOLD, wxFONTSTYLE_NORMAL},
        {&FontItalic8, 8, wxFONTWEIGHT_NORMAL, wxFONTSTYLE_ITALIC},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points);
        ASSERT_TRUE(c.font->IsOk());
        EXPECT_EQ(c.font->GetPointSize(), c.points);
        EXPECT_EQ(c.font->GetWeight(), c.weight);
        EXPECT_EQ(c.font->GetStyle(), c.style);
        EXPECT_FALSE(c.font->GetUnderlined());
    }
    // A second call keeps the same fonts.
    const wxFont before = FontBold9;
    InitSharedFonts();
    EXPECT_TRUE(FontBold9.IsSameAs(before));
}

}  // namespace
