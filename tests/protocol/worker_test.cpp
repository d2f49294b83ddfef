// The command worker: one exchange off the GUI thread, told to the page by
// event, or nothing at all once the page has stopped listening.
#include <gtest/gtest.h>
#include <wx/event.h>

#include <cerrno>
#include <future>

#include "SendCommandThread.h"
#include "cmd_error.h"
#include "gui_test.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

using testmod::Fault;
using testmod::TestModule;

struct Seen {
    int type, id, value;
};

class Page : public wxEvtHandler {
public:
    Page()
    {
        for (int type : {EVT_COMMAND_FAILED, EVT_COMMAND_SUCCEEDED})
            Bind(wxEventTypeTag<wxCommandEvent>(type),
                 [this](wxCommandEvent& e) { seen.push_back({e.GetEventType(), e.GetId(), e.GetInt()}); });
    }
    std::vector<Seen> seen;
};

// One event per exchange: 65 with the reply in the page's message, or 64
// with the reason in the last error; id the worker's, value 1. A page that
// cancels gets neither, its message stays as it was, and the exchange ends
// at once, waking whoever waits for it.
TEST(CommandWorker, EventsAndCancel)
{
    ExchangeSettings settings(1, 255, 1000);
    TestModule answering, refusing, silent;
    answering.SetIdentity("1.5.2", 'C', "worker");
    refusing.SetFault(Fault::Refuse);
    silent.SetFault(Fault::Silent);
    ASSERT_TRUE(answering.Start() && refusing.Start() && silent.Start());
    const struct {
        const char* name;
        TestModule& module;
        bool cancel;
        int event;  // 0: none
        int code;
    } cases[] = {
        {"answers", answering, false, EVT_COMMAND_SUCCEEDED, 99},
        {"refused", refusing, false, EVT_COMMAND_FAILED, ECONNREFUSED},
        {"cancelled while waiting for the reply", silent, true, 0, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        auto msg = NewMsg();
        cmd_msg_init(msg.get(), 1, 0, CMD_ACTION_GET);
        ASSERT_TRUE(cmd_msg_add_block(msg.get(), DATABLOCK_MODULE_INFO, 1, 0, nullptr));
        cmd_msg_finalize(msg.get());
        const Bytes request = Serialize(msg.get());
        cmd_set_error(99);
        auto job = SendCommandThread::Start(&page, msg.get(), "127.0.0.1", c.module.Port());
        ASSERT_TRUE(job);
        if (c.cancel) {
            ASSERT_TRUE(c.module.WaitForRequests(1, 5000));
            auto waiter = std::async(std::launch::async, [&] { return job->WaitFinished(30000); });
            job->Cancel();
            ASSERT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready)
                << "the exchange went on, or the waiter was not woken";
            EXPECT_TRUE(waiter.get());
            guitest::Pump();
        } else {
            EXPECT_TRUE(guitest::WaitFor([&] { return !page.seen.empty(); }));
            EXPECT_TRUE(job->WaitFinished(5000));
        }
        ASSERT_EQ(page.seen.size(), c.event ? 1u : 0u);
        EXPECT_EQ(cmd_get_error(), c.code);
        if (c.event) {
            EXPECT_EQ(page.seen[0].type, c.event);
            EXPECT_NE(page.seen[0].id, 0) << "the worker's id";
            EXPECT_EQ(page.seen[0].value, 1);
        }
        uint8_t info[MODULE_INFO_SIZE] = {};
        EXPECT_EQ(cmd_msg_get_block(msg.get(), DATABLOCK_MODULE_INFO, 1, 0, info), c.event == EVT_COMMAND_SUCCEEDED);
        EXPECT_EQ(info[MODULE_INFO_TYPE_OFFSET], c.event == EVT_COMMAND_SUCCEEDED ? 'C' : 0);
        EXPECT_EQ(Serialize(msg.get()) == request, c.event != EVT_COMMAND_SUCCEEDED);
    }
    EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }));
}

}  // namespace
