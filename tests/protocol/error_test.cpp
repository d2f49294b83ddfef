#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cmd_error.h"
#include "cmd_msg.h"
#include "proto_test_util.h"

namespace {

TEST(LastError, TableTexts)
{
    struct Case {
        int code;
        const char* text;
    } cases[] = {
        {-1, "winsock init failure"},
        {-2, "socket connection timeout"},
        {-3, "socket reciv timeout"},
        {-4, "datablock not added"},
        {-5, "datablock not found"},
        {-6, "elab command message failure"},
        {-11, "invalid Vantrel Module Alias"},
        {-14, "function is not supported for the selected Vantrel Module"},
        {-15, ""},
        {-100, ""},
    };
    for (const Case& c : cases) {
        cmd_set_error(c.code);
        EXPECT_EQ(cmd_get_error(), c.code);
        EXPECT_EQ(cmd_error_text(c.code), c.text) << c.code;
    }
}

TEST(LastError, RefusedBlockRecordsMinus4)
{
    auto m = NewMsg();
    cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
    cmd_set_error(0);
    EXPECT_FALSE(cmd_msg_add_block(m.get(), 56, 1, 0, nullptr));
    EXPECT_EQ(cmd_get_error(), -4);
    EXPECT_EQ(cmd_error_text(cmd_get_error()), "datablock not added");
}

TEST(LastError, SystemErrorKeepsItsText)
{
    cmd_set_system_error(ECONNREFUSED);
    EXPECT_EQ(cmd_get_error(), ECONNREFUSED);
    const std::string text = strerror(ECONNREFUSED);
    EXPECT_EQ(cmd_error_text(ECONNREFUSED), text);
    // The stored text wins whatever code is asked for.
    EXPECT_EQ(cmd_error_text(-4), text);
    // A new code empties it.
    cmd_set_error(-4);
    EXPECT_EQ(cmd_error_text(-4), "datablock not added");
}

TEST(LastError, TextIsCutTo255)
{
    cmd_set_error(5);
    std::string longer(400, 'x');
    cmd_set_error_text(longer.c_str());
    EXPECT_EQ(cmd_error_text(5), std::string(255, 'x'));
}

TEST(LastError, PrintForms)
{
    struct Case {
        int code;
        const char* printed;
    } cases[] = {
        {-3, "boot: socket reciv timeout\n"},
        {-15, "boot: Undefined error: -15\n"},
        {-100, "boot: Undefined error: -100\n"},
    };
    for (const Case& c : cases) {
        cmd_set_error(c.code);
        testing::internal::CaptureStderr();
        cmd_print_error("boot");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.printed);
    }
}

}  // namespace
