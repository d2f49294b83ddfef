#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cmd_error.h"

namespace {

TEST(LastError, TextsAndPrintForms)
{
    struct Case {
        int code;
        const char* text;
        const char* printed;
    } cases[] = {
        {-2, "socket connection timeout", "boot: socket connection timeout\n"},
        {-3, "socket reciv timeout", "boot: socket reciv timeout\n"},
        {-6, "elab command message failure", "boot: elab command message failure\n"},
        {-14, "function is not supported for the selected Vantrel Module",
         "boot: function is not supported for the selected Vantrel Module\n"},
        {-15, "", "boot: Undefined error: -15\n"},
        {-100, "", "boot: Undefined error: -100\n"},
    };
    for (const Case& c : cases) {
        cmd_set_error(c.code);
        EXPECT_EQ(cmd_get_error(), c.code);
        EXPECT_EQ(cmd_error_text(c.code), c.text) << c.code;
        testing::internal::CaptureStderr();
        cmd_print_error("boot");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.printed);
    }
}

TEST(LastError, SystemErrorKeepsItsTextUntilTheNextCode)
{
    cmd_set_system_error(ECONNREFUSED);
    EXPECT_EQ(cmd_get_error(), ECONNREFUSED);
    const std::string text = strerror(ECONNREFUSED);
    // The stored text wins whatever code is asked for.
    EXPECT_EQ(cmd_error_text(-4), text);
    cmd_set_error(-4);
    EXPECT_EQ(cmd_error_text(-4), "datablock not added");
    cmd_set_error(5);
    cmd_set_error_text(std::string(400, 'x').c_str());
    EXPECT_EQ(cmd_error_text(5), std::string(255, 'x'));
}

}  // namespace
