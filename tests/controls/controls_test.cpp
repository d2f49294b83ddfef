// The address entry and the grid cell editor as real controls under Xvfb,
// typed into through XTest.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <memory>

#include "gui_test.h"
#include "wxGridCellCustomEditor.h"
#include "wxIPCtrl.h"

namespace {

using guitest::WaitFor;
using Messages = std::vector<wxString>;
enum Mode { Host, Mask, Zero };

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() { frame_->Show(); }
    ~ControlsTest() override
    {
        frame_->Destroy();
        guitest::Pump();
    }
    std::unique_ptr<wxIPCtrl> Make(Mode mode, const wxString& value = "1.1.1.1")
    {
        panel_->DestroyChildren();
        return std::make_unique<wxIPCtrl>(panel_, wxPoint(0, 0), value, mode == Mask, mode == Zero, false);
    }
    wxTextCtrl* Octet(int i) { return wxDynamicCast(panel_->FindWindow(2004 + i), wxTextCtrl); }

    wxFrame* frame_ = new wxFrame(nullptr, wxID_ANY, "controls", wxPoint(0, 0), wxSize(600, 300));
    wxPanel* panel_ = new wxPanel(frame_, wxID_ANY, wxPoint(0, 0), wxSize(200, 50));
    wxGrid* grid_ = new wxGrid(frame_, wxID_ANY, wxPoint(0, 60), wxSize(300, 200));
    guitest::DialogScript dialogs_;
};

// Each text as fields left by a user (leading zeros are decimal, an empty or
// non-numeric octet is never an address) and as SetValue loads it, per mode.
TEST_F(ControlsTest, AddressValidateGetValueAndSetValueByMode)
{
    struct {
        const char *text, *value;
        bool ok[3];  // in the host, mask and zero-address modes
    } cases[] = {
        // clang-format off
        {"1.0.0.0", "1.0.0.0", {1, 1, 1}},       {"0.0.0.0", "0.0.0.0", {0, 1, 1}},
        {"223.255.255.255", "223.255.255.255", {1, 1, 1}},   {"224.0.0.1", "224.0.0.1", {0, 1, 1}},
        {"10.1.1.256", "10.1.1.256", {0, 0, 0}}, {"010.001.009.099", "10.1.9.99", {1, 1, 1}},
        {"000.1.1.1", "0.1.1.1", {0, 1, 1}},     {".1.1.1", ".1.1.1", {0, 0, 0}},
        {"1.-1.1.1", "1.-1.1.1", {0, 0, 0}},     {"1.1e.1.1", "1.1e.1.1", {0, 0, 0}},
        // clang-format on
    };
    EXPECT_EQ(Make(Zero, "not an address")->GetValue(), "0.0.0.0");  // the text is not loaded
    for (Mode mode : {Host, Mask, Zero}) {
        auto ip = Make(mode);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << mode << " " << c.text);
            const wxArrayString fields = wxSplit(c.text, '.');
            for (int i = 0; i < 4; ++i)
                Octet(i)->ChangeValue(fields[i]);  // no text event: odd texts stay
            EXPECT_EQ(ip->GetValue(), c.value);
            EXPECT_EQ(ip->Validate(), c.ok[mode]);
            dialogs_.Clear();
            EXPECT_EQ(ip->SetValue(c.text), c.ok[mode]);
            EXPECT_EQ(ip->GetValue(), c.ok[mode] ? c.value : "223.255.255.255");
            EXPECT_EQ(dialogs_.Messages(), Messages(!c.ok[mode], "Error: Invalid IP = " + wxString(c.text)));
        }
    }
    auto ip = Make(Host);
    EXPECT_TRUE(ip->SetValue("IP 10.0.0.7 port"));  // the first address in the text
    EXPECT_EQ(ip->GetValue(), "10.0.0.7");
}

// Built disabled or not, then switched: octets, dots and pads follow, the
// frame box (2000) stays disabled; one tool tip on all but the frame box;
// fields by index, none outside 0 to 3.
TEST_F(ControlsTest, AddressEnablingToolTipsAndFields)
{
    for (bool disabled : {true, false}) {
        panel_->DestroyChildren();
        auto ip = std::make_unique<wxIPCtrl>(panel_, wxPoint(0, 0), "10.1.2.3", false, false, disabled);
        for (bool enabled : {!disabled, disabled}) {  // as built, then switched
            for (int id = 2000; id <= 2009; ++id)
                EXPECT_EQ(panel_->FindWindow(id)->IsEnabled(), id != 2000 && enabled) << id << " " << disabled;
            ip->EnableFields(!enabled);
        }
        ip->SetToolTip("the module's address");
        for (int id = 2000; id <= 2009; ++id)
            EXPECT_EQ(panel_->FindWindow(id)->GetToolTipText(), id == 2000 ? "" : "the module's address") << id;
        const char* fields[] = {"", "10", "1", "2", "3", ""};
        for (int i = -1; i <= 4; ++i)
            EXPECT_EQ(ip->GetField(i), fields[i + 1]) << i;
    }
}

// A field keeps typed digits only, three at most; leaving one above 255 says
// so and selects it again, also once the page has dropped the control object.
TEST_F(ControlsTest, AddressTypingAndLeavingAFieldAbove255)
{
    Make(Host);
    wxUIActionSimulator sim;
    for (const char* typed : {"2.5-6", "25e5x9"}) {
        const bool over = typed[1] == '.';
        dialogs_.Clear();
        Octet(1)->SetFocus();
        ASSERT_TRUE(WaitFor([&] { return Octet(1)->HasFocus(); }));
        Octet(1)->SelectAll();
        sim.Text(typed);
        sim.Char(WXK_TAB);
        EXPECT_TRUE(WaitFor([&] { return dialogs_.Shown().size() == over && Octet(2 - over)->HasFocus(); }));
        guitest::PumpFor(100);
        EXPECT_EQ(Octet(1)->GetValue(), over ? "256" : "255");
        EXPECT_EQ(dialogs_.Messages(), Messages(over, "Error: This field can be 255 maximum"));
        EXPECT_TRUE(!over || Octet(1)->GetStringSelection() == "256");
    }
}

// Each mode's characters and length; a changed text is stored, an unchanged
// one is not (the table is changed behind the editor's back to show a store).
TEST_F(ControlsTest, GridEditorAdmitsItsModeAndStoresOnlyChanges)
{
    struct {
        int mode;
        const char *start, *typed, *kept;
        bool keyOpens = false;  // typed on the closed cell: the first key opens the editor
        bool cloned = false;    // the editor the grid gets is a clone
    } cases[] = {
        // clang-format off
        {0, "", "12.3a456", "12345"}, {1, "", "192.168.100.2559", "192.168.100.255"}, {3, "", "1-2a34", "123"},
        {2, "", "12345678901", "1234567890"}, {4, "", "12f345", "1234"}, {5, "", "1234567890", "123456789"},
        {6, "", "aA f7g0", "af7"}, {7, "", "deADbeFg012345", "debe0123"}, {0, "123", "123", "123"},
        {0, "123", "", "123"}, {8, "", "Any, 1.5 #", "Any, 1.5 #"},  // 8: no filter, no limit
        {0, "123", "98", "98", true}, {6, "", "Ga1", "a1", true}, {7, "", "deADbeFg012345", "debe0123", false, true},
        // clang-format on
    };
    grid_->CreateGrid(1, 1);
    for (const auto& c : cases) {
        auto* editor = new wxGridCellCustomEditor(GridCellInputMode(c.mode));
        if (c.cloned) {
            grid_->SetCellEditor(0, 0, editor->Clone());
            editor->DecRef();
        } else {
            grid_->SetCellEditor(0, 0, editor);
        }
        grid_->SetCellValue(0, 0, c.start);
        guitest::PumpFor(100);  // a late focus loss of an earlier edit would end this one
        wxString typed = c.typed;
        if (c.keyOpens) {
            grid_->SetGridCursor(0, 0);
            grid_->GetGridWindow()->SetFocus();
            ASSERT_TRUE(WaitFor([&] { return grid_->GetGridWindow()->HasFocus(); }));
            wxUIActionSimulator().Text(typed.Left(1));
            typed = typed.Mid(1);
        } else {
            grid_->EnableCellEditControl();
        }
        ASSERT_TRUE(WaitFor([] { return wxDynamicCast(wxWindow::FindFocus(), wxTextCtrl); }));
        auto* text = wxDynamicCast(wxWindow::FindFocus(), wxTextCtrl);
        wxUIActionSimulator().Text(typed);
        WaitFor([&] { return text->GetValue() == c.kept; }, 3000);
        guitest::PumpFor(50);  // a key that should have been refused shows up too
        EXPECT_EQ(text->GetValue(), c.kept);
        grid_->GetTable()->SetValue(0, 0, "untouched");
        grid_->DisableCellEditControl();
        EXPECT_EQ(grid_->GetCellValue(0, 0), c.kept != wxString(c.start) ? c.kept : "untouched") << c.typed;
    }
}

}  // namespace
