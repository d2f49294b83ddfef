// The command worker thread posting to a real event handler under the GUI
// library, and a cancelled wait leaving nothing behind.
#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/frame.h>

#include <cstring>

#include "SendCommandThread.h"
#include "cmd_error.h"
#include "gui_test.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

using testmod::Fault;
using testmod::TestModule;

// Stands in for a page: a real window that records the events it receives.
class Receiver : public wxFrame {
public:
    Receiver() : wxFrame(nullptr, wxID_ANY, "page")
    {
        for (int type : {EVT_COMMAND_SUCCEEDED, EVT_COMMAND_FAILED})
            Bind(wxEventTypeTag<wxCommandEvent>(type), [this](wxCommandEvent& e) {
                events.push_back({e.GetEventType(), e.GetId(), e.GetInt()});
            });
    }
    struct Got {
        int type, id, value;
    };
    std::vector<Got> events;
};

std::unique_ptr<VEMTOR_COMMAND_MSG> ReadIdentity()
{
    auto m = NewMsg();
    cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
    cmd_msg_add_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, nullptr);
    cmd_msg_finalize(m.get());
    return m;
}

TEST(CommandThread, PostsOutcomeToThePage)
{
    ExchangeSettings settings(1, 1, 0);
    TestModule good;
    good.SetIdentity("1.4.2", 'C', "porch");
    ASSERT_TRUE(good.Start());
    TestModule refusing;
    refusing.SetFault(Fault::Refuse);
    ASSERT_TRUE(refusing.Start());

    struct Case {
        const char* name;
        uint16_t port;
        int event;
    } cases[] = {
        {"answers", good.Port(), EVT_COMMAND_SUCCEEDED},
        {"refuses", refusing.Port(), EVT_COMMAND_FAILED},
        {"answers again", good.Port(), EVT_COMMAND_SUCCEEDED},
    };
    auto* frame = new Receiver();
    Receiver& page = *frame;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page.events.clear();
        auto m = ReadIdentity();
        auto job = SendCommandThread::Start(&page, m.get(), "127.0.0.1", c.port);
        ASSERT_TRUE(job);
        ASSERT_TRUE(guitest::WaitFor([&] { return !page.events.empty(); }, 5000));
        ASSERT_EQ(page.events.size(), 1u);
        EXPECT_EQ(page.events[0].type, c.event);
        EXPECT_EQ(page.events[0].value, 1);
        if (c.event == EVT_COMMAND_SUCCEEDED) {
            uint8_t info[MODULE_INFO_SIZE];
            ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, info));
            EXPECT_STREQ(reinterpret_cast<char*>(info + MODULE_INFO_ALIAS_OFFSET), "porch");
        } else {
            EXPECT_EQ(cmd_get_error(), ECONNREFUSED);
        }
        EXPECT_TRUE(job->WaitFinished(2000));
    }
    delete frame;
}

TEST(CommandThread, CancelledWaitLeavesNothingBehind)
{
    // Long time-outs and the real pause: only the cancel can end it early.
    ExchangeSettings settings(5, 10, 1000);
    struct Case {
        const char* name;
        Fault fault;
    } cases[] = {{"silent module", Fault::Silent}, {"connect never answered", Fault::NeverAccept}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule module;
        module.SetFault(c.fault);
        ASSERT_TRUE(module.Start());
        const int fds = OpenFdCount();

        auto* page = new Receiver();
        auto m = ReadIdentity();
        const Bytes request = Serialize(m.get());
        auto job = SendCommandThread::Start(page, m.get(), "127.0.0.1", module.Port());
        ASSERT_TRUE(job);
        guitest::PumpFor(100);
        // The page gives up and goes away at once: message and handler are
        // freed while the worker is still inside its exchange.
        job->Cancel();
        EXPECT_EQ(Serialize(m.get()), request) << "the worker wrote into the page's message";
        m.reset();
        delete page;
        EXPECT_TRUE(job->WaitFinished(1500)) << "the worker did not end promptly";
        guitest::PumpFor(100);
        EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 1000));
        job.reset();
        EXPECT_TRUE(FdCountSettles(fds)) << "socket left open";
    }
}

}  // namespace
