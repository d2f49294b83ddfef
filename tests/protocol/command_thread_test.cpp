// The command worker thread posting to a real window, and a cancelled wait
// leaving nothing behind.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/weakref.h>

#include "SendCommandThread.h"
#include "cmd_error.h"
#include "gui_test.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

using testmod::Fault;

// Stands in for a page: a real window that records the events it receives.
class Receiver : public wxFrame {
public:
    Receiver() : wxFrame(nullptr, wxID_ANY, "page")
    {
        for (int type : {EVT_COMMAND_SUCCEEDED, EVT_COMMAND_FAILED})
            Bind(wxEventTypeTag<wxCommandEvent>(type),
                 [this](wxCommandEvent& e) { events.push_back(e.GetEventType() * 10 + e.GetInt()); });
    }
    std::vector<int> events;  // type * 10 + int
};

// A report arrives once, as 65 or 64 with the integer 1. A cancelled job
// (long time-outs and the real pause: only the cancel can end it) writes
// nothing into the message, posts nothing, records no error, and its socket
// and thread go at once, although message and page are freed right after
// the cancel.
TEST(CommandThread, ReportsOnceOrAfterACancelNothing)
{
    const struct {
        Fault fault;
        bool cancel;
        std::vector<int> events;
    } cases[] = {
        {Fault::None, false, {EVT_COMMAND_SUCCEEDED * 10 + 1}},
        {Fault::Refuse, false, {EVT_COMMAND_FAILED * 10 + 1}},
        {Fault::Silent, true, {}},
        {Fault::NeverAccept, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.fault));
        ExchangeSettings settings(c.cancel ? 5 : 1, c.cancel ? 10 : 1, c.cancel ? 1000 : 0);
        testmod::TestModule module;
        module.SetIdentity("1.4.2", 'C', "porch");
        module.SetFault(c.fault);
        ASSERT_TRUE(module.Start());
        const int fds = OpenFdCount();
        auto* page = new Receiver();
        wxWeakRef<Receiver> alive = page;
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
        cmd_msg_add_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, nullptr);
        cmd_msg_finalize(m.get());
        const Bytes request = Serialize(m.get());
        auto job = SendCommandThread::Start(page, m.get(), "127.0.0.1", module.Port());
        ASSERT_TRUE(job);
        if (c.cancel) {
            guitest::PumpFor(100);
            cmd_set_error(CMD_ERR_NOT_SUPPORTED);
            job->Cancel();
            EXPECT_EQ(Serialize(m.get()), request) << "the worker wrote into the page's message";
            m.reset();
            delete page;
        }
        EXPECT_TRUE(job->WaitFinished(c.cancel ? 1500 : 5000)) << "the worker did not end promptly";
        EXPECT_TRUE(!c.cancel || cmd_get_error() == CMD_ERR_NOT_SUPPORTED) << "a cancel records nothing";
        guitest::PumpFor(100);
        if (alive) {
            EXPECT_EQ(alive->events, c.events);
            delete page;
        }
        if (!c.events.empty() && c.events[0] / 10 == EVT_COMMAND_SUCCEEDED) {
            uint8_t info[MODULE_INFO_SIZE];
            ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, info));
            EXPECT_STREQ(reinterpret_cast<char*>(info + MODULE_INFO_ALIAS_OFFSET), "porch");
        }
        EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 1000));
        job.reset();
        EXPECT_TRUE(FdCountSettles(fds)) << "socket left open";
    }
}

}  // namespace
