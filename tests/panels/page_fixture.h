// A configuration page in the real main window, opened from the hub of a
// test module on loopback, with every modal dialog scripted.
#pragma once

#include <wx/frame.h>

#include "ConfigPage.h"
#include "VantrelPanel.h"
#include "app_fixture.h"
#include "panel_test_util.h"
#include "test_module.h"

namespace paneltest {

// The prompt after a write: "REBOOT your <model> ..." with the offer of more
// settings, or without it.
inline wxString RebootPrompt(const char* model, bool askMore = true)
{
    const wxString head = wxString("Updated: Module configuration updated.\n\nREBOOT your ") + model;
    return askMore ? head + " module after configuration.\n\nDo you want to configure other settings?"
                   : head + " now!";
}

class PageTest : public apptest::AppTest {
protected:
    void StartModule(const std::string& firmware, char type)
    {
        module.SetIdentity(firmware, type, "porch");
        ASSERT_TRUE(module.Start());
    }

    VantrelPanel* ShowHub()
    {
        Main()->ShowModulePanel(module.Address(), module.PortText());
        guitest::Pump();
        return dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    }

    // Presses a feature button of the hub; the page built, or null. The
    // module's requests are counted from before the press.
    template <class Page>
    Page* OpenFromHub(int hubButton, PanelIndex index)
    {
        VantrelPanel* hub = ShowHub();
        if (!hub)
            return nullptr;
        before = module.Requests().size();
        Click(hub, hubButton);
        guitest::Pump();
        return dynamic_cast<Page*>(Main()->GetPanel(index));
    }

    // Edit, then Confirm with `answers` queued for the question and the
    // prompts that follow.
    void Confirm(ConfigPage* page, const std::vector<int>& answers)
    {
        dialogs->Clear();
        for (int answer : answers)
            dialogs->Answer(answer);
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        ASSERT_TRUE(page->InConfirmView()) << testing::PrintToString(dialogs->Messages());
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
    }

    std::vector<testmod::Frame> PageRequests() const
    {
        std::vector<testmod::Frame> all = module.Requests();
        return std::vector<testmod::Frame>(all.begin() + long(std::min(before, all.size())), all.end());
    }

    static BlockList Blocks(const testmod::Frame& f) { return Tuples(BlocksOf(f)); }

    // The tool tips of the view's two buttons, left then right, once the
    // pair it replaced is gone.
    static std::vector<wxString> ButtonTips(ConfigPage* page)
    {
        guitest::Pump();
        const bool confirm = page->InConfirmView();
        std::vector<wxString> tips;
        for (int id : {confirm ? int(ID_PAGE_GO_BACK) : int(ID_BACK), confirm ? int(ID_PAGE_CONFIRM) : int(ID_PAGE_EDIT)})
            tips.push_back(page->FindWindow(id) ? page->FindWindow(id)->GetToolTipText() : "(no button)");
        return tips;
    }

    testmod::TestModule module;
    size_t before = 0;
};

}  // namespace paneltest
