// The IPv4 address entry on a real panel: loading, reading and checking
// addresses in its three modes, and typing into its fields through XTest.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <memory>
#include <set>

#include "gui_test.h"
#include "print_wx.h"
#include "wxIPCtrl.h"

namespace {

enum Mode { Host, Mask, Unset };

class IPCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "ip", wxPoint(0, 0), wxSize(400, 200));
        panel_ = new wxPanel(frame_);
        frame_->Show();
    }
    void TearDown() override
    {
        ctrl_.reset();
        frame_->Destroy();
        guitest::Pump();
    }

    wxIPCtrl* Make(Mode mode, const wxString& value = "10.0.0.1", bool disabled = false)
    {
        ctrl_ =
            std::make_unique<wxIPCtrl>(panel_, wxPoint(20, 30), value, mode == Mask, mode == Unset, disabled);
        return ctrl_.get();
    }
    wxTextCtrl* Octet(int i) { return wxDynamicCast(panel_->FindWindow(2004 + i), wxTextCtrl); }
    // Puts texts into the fields as a user would leave them.
    void Fill(const wxString& a, const wxString& b, const wxString& c, const wxString& d)
    {
        const wxString texts[] = {a, b, c, d};
        for (int i = 0; i < 4; ++i)
            Octet(i)->ChangeValue(texts[i]);
    }
    wxString Fields()
    {
        return Octet(0)->GetValue() + "|" + Octet(1)->GetValue() + "|" + Octet(2)->GetValue() + "|" +
               Octet(3)->GetValue();
    }
    void FocusOn(wxWindow* w)
    {
        frame_->Raise();
        w->SetFocus();
        ASSERT_TRUE(guitest::WaitFor([&] { return wxWindow::FindFocus() == w; })) << "no focus";
    }

    wxFrame* frame_ = nullptr;
    wxPanel* panel_ = nullptr;
    std::unique_ptr<wxIPCtrl> ctrl_;
};

TEST_F(IPCtrlTest, ChildrenSitAtFixedIdsAndOffsets)
{
    Make(Host, "192.168.100.10");
    struct {
        int id;
        int x, y, w, h;
        const char* label;
    } children[] = {
        {2000, 0, 0, 170, 25, nullptr}, {2008, 2, 2, 10, 21, "  "},     {2004, 11, 2, 28, 21, nullptr},
        {2001, 39, 2, 12, 21, " . "},   {2005, 51, 2, 28, 21, nullptr}, {2002, 79, 2, 12, 21, " . "},
        {2006, 91, 2, 28, 21, nullptr}, {2003, 119, 2, 12, 21, " . "},  {2007, 131, 2, 28, 21, nullptr},
        {2009, 159, 2, 9, 21, "  "},
    };
    for (const auto& c : children) {
        SCOPED_TRACE(c.id);
        wxWindow* w = panel_->FindWindow(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->GetPosition(), wxPoint(20 + c.x, 30 + c.y));
        if (c.label) {
            EXPECT_EQ(wxDynamicCast(w, wxStaticText)->GetLabel(), c.label);
        }
    }
    EXPECT_EQ(panel_->GetChildren().GetCount(), 10u);
    EXPECT_FALSE(panel_->FindWindow(2000)->IsEnabled());
    EXPECT_EQ(Octet(0)->GetValue(), "192");
    EXPECT_EQ(Octet(3)->GetValue(), "10");
}

TEST_F(IPCtrlTest, ConstructionByMode)
{
    guitest::DialogScript dialogs;
    // The zero-address mode ignores its text, even a bad one.
    wxIPCtrl* ip = Make(Unset, "not an address");
    EXPECT_EQ(ip->GetValue(), "0.0.0.0");
    EXPECT_TRUE(ip->Validate());
    EXPECT_TRUE(dialogs.Shown().empty());
    ctrl_.reset();
    panel_->DestroyChildren();

    // A host entry loads its text, and says so when it cannot.
    ip = Make(Host, "bad");
    EXPECT_TRUE(dialogs.Saw("Invalid IP = bad"));
    EXPECT_EQ(ip->GetValue(), "223.255.255.255");
    ctrl_.reset();
    panel_->DestroyChildren();

    ip = Make(Mask, "255.255.255.0", true);
    EXPECT_EQ(ip->GetValue(), "255.255.255.0");
    for (int id = 2000; id <= 2009; ++id)
        EXPECT_FALSE(panel_->FindWindow(id)->IsEnabled()) << id;
}

TEST_F(IPCtrlTest, ValidateByMode)
{
    struct {
        const char* octets[4];
        bool host, mask, unset;
    } cases[] = {
        {{"0", "0", "0", "0"}, false, true, true},
        {{"1", "0", "0", "0"}, true, true, true},
        {{"223", "255", "255", "255"}, true, true, true},
        {{"224", "0", "0", "1"}, false, true, true},
        {{"255", "255", "255", "0"}, false, true, true},
        {{"256", "1", "1", "1"}, false, false, false},
        {{"10", "1", "1", "256"}, false, false, false},
        {{"10", "999", "1", "1"}, false, false, false},
        // Leading zeros are decimal: 010 is ten, 0223 would not fit a field.
        {{"010", "001", "009", "099"}, true, true, true},
        {{"000", "1", "1", "1"}, false, true, true},
        {{"223", "255", "255", "255"}, true, true, true},
        // Empty or non-numeric octets are never an address.
        {{"", "1", "1", "1"}, false, false, false},
        {{"1", "1", "1", ""}, false, false, false},
        {{"1", "-1", "1", "1"}, false, false, false},
        {{"1", "1e", "1", "1"}, false, false, false},
    };
    for (Mode mode : {Host, Mask, Unset}) {
        wxIPCtrl* ip = Make(mode, "1.1.1.1");
        for (const auto& c : cases) {
            // ChangeValue raises no text event, so odd texts stay as given.
            Fill(c.octets[0], c.octets[1], c.octets[2], c.octets[3]);
            const bool expected = mode == Host ? c.host : mode == Mask ? c.mask : c.unset;
            EXPECT_EQ(ip->Validate(), expected) << "mode " << mode << ": " << Fields().utf8_string();
        }
        ctrl_.reset();
        panel_->DestroyChildren();
    }
}

TEST_F(IPCtrlTest, SetValueAcceptsOrResets)
{
    struct {
        Mode mode;
        const char* text;
        bool ok;
        const char* value;  // GetValue afterwards
    } cases[] = {
        {Host, "192.168.100.10", true, "192.168.100.10"},
        {Host, "a1.2.3.4b", true, "1.2.3.4"},
        {Host, "IP 10.0.0.7 port", true, "10.0.0.7"},
        {Host, "192.168.001.010", true, "192.168.1.10"},
        {Host, "1.2.3.4.5", true, "1.2.3.4"},
        {Host, "", false, "223.255.255.255"},
        {Host, "1.2.3", false, "223.255.255.255"},
        {Host, "0.1.2.3", false, "223.255.255.255"},
        {Host, "224.0.0.1", false, "223.255.255.255"},
        {Host, "1.2.3.256", false, "223.255.255.255"},
        {Host, "1.2.3.4567", false, "223.255.255.255"},
        {Host, "1234.5.6.7", false, "223.255.255.255"},
        {Host, "1,2,3,4", false, "223.255.255.255"},
        {Mask, "255.255.255.0", true, "255.255.255.0"},
        {Mask, "0.0.0.0", true, "0.0.0.0"},
        {Mask, "256.0.0.0", false, "223.255.255.255"},
        {Unset, "0.1.2.3", true, "0.1.2.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        wxIPCtrl* ip = Make(c.mode, "1.1.1.1");
        guitest::DialogScript dialogs;
        Fill("7", "7", "7", "7");
        EXPECT_EQ(ip->SetValue(c.text), c.ok);
        EXPECT_EQ(ip->GetValue(), c.value);
        if (c.ok) {
            EXPECT_TRUE(dialogs.Shown().empty());
            EXPECT_TRUE(ip->Validate());
        } else {
            ASSERT_EQ(dialogs.Shown().size(), 1u);
            const guitest::ShownDialog& d = dialogs.Shown()[0];
            EXPECT_EQ(d.message, wxString("Invalid IP = ") + c.text);
            EXPECT_EQ(d.title, "Error");
            EXPECT_EQ(d.style & (wxOK | wxCANCEL | wxYES_NO | wxICON_MASK), wxOK | wxICON_ERROR);
        }
        ctrl_.reset();
        panel_->DestroyChildren();
    }
}

TEST_F(IPCtrlTest, GetValueAndGetField)
{
    wxIPCtrl* ip = Make(Host, "1.1.1.1");
    Fill("1", "", "3", "4");
    EXPECT_EQ(ip->GetValue(), "1..3.4");
    EXPECT_FALSE(ip->Validate());
    Fill("010", "0", "00", "255");
    EXPECT_EQ(ip->GetValue(), "10.0.0.255");
    // GetField gives the text as it stands.
    EXPECT_EQ(ip->GetField(0), "010");
    EXPECT_EQ(ip->GetField(2), "00");
    EXPECT_EQ(ip->GetField(-1), "");
    EXPECT_EQ(ip->GetField(4), "");
}

TEST_F(IPCtrlTest, EnableFieldsAndToolTip)
{
    wxIPCtrl* ip = Make(Host);
    ip->EnableFields(false);
    for (int id = 2000; id <= 2009; ++id)
        EXPECT_FALSE(panel_->FindWindow(id)->IsEnabled()) << id;
    ip->EnableFields(true);
    EXPECT_FALSE(panel_->FindWindow(2000)->IsEnabled());
    for (int id = 2001; id <= 2009; ++id)
        EXPECT_TRUE(panel_->FindWindow(id)->IsEnabled()) << id;

    ip->SetToolTip("Module address");
    EXPECT_EQ(panel_->FindWindow(2000)->GetToolTip(), nullptr);
    std::set<wxToolTip*> tips;
    for (int id = 2001; id <= 2009; ++id) {
        wxToolTip* tip = panel_->FindWindow(id)->GetToolTip();
        ASSERT_NE(tip, nullptr) << id;
        EXPECT_EQ(tip->GetTip(), "Module address");
        tips.insert(tip);
    }
    EXPECT_EQ(tips.size(), 9u);  // one per child
}

TEST_F(IPCtrlTest, TypingKeepsOneOctetPerField)
{
    wxIPCtrl* ip = Make(Host, "1.1.1.1");
    guitest::DialogScript dialogs;
    ip->SetFocus();
    ASSERT_TRUE(guitest::WaitFor([&] { return wxWindow::FindFocus() == Octet(0); }));
    Octet(0)->SelectAll();
    wxUIActionSimulator sim;
    // Neither "." nor the other number characters get in, and a fourth
    // digit does not fit.
    sim.Text("1.2-e+,34");
    ASSERT_TRUE(guitest::WaitFor([&] { return Octet(0)->GetValue() == "123"; }))
        << Octet(0)->GetValue().utf8_string();
    guitest::PumpFor(100);
    EXPECT_EQ(Octet(0)->GetValue(), "123");
    // Typing never moves on to the next field.
    EXPECT_EQ(wxWindow::FindFocus(), Octet(0));
    EXPECT_EQ(Octet(1)->GetValue(), "1");

    // Text that arrives otherwise (a paste) is cut down to its digits.
    Octet(2)->ChangeValue("");
    Octet(2)->WriteText("1.2");
    EXPECT_EQ(Octet(2)->GetValue(), "12");
    EXPECT_EQ(ip->GetValue(), "123.1.12.1");
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(IPCtrlTest, LeavingAFieldAbove255SaysSoAndComesBack)
{
    Make(Host, "10.0.0.1");
    wxUIActionSimulator sim;
    struct {
        const char* typed;
        bool complaint;
    } cases[] = {
        {"300", true}, {"256", true}, {"255", false}, {"", false}, {"007", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        guitest::DialogScript dialogs;
        FocusOn(Octet(1));
        Octet(1)->ChangeValue(c.typed);
        sim.Char(WXK_TAB);
        if (c.complaint) {
            ASSERT_TRUE(guitest::WaitFor([&] { return !dialogs.Shown().empty(); }));
            ASSERT_TRUE(guitest::WaitFor([&] { return wxWindow::FindFocus() == Octet(1); }));
            guitest::PumpFor(100);
            ASSERT_EQ(dialogs.Shown().size(), 1u);
            EXPECT_EQ(dialogs.Shown()[0].message, "This field can be 255 maximum");
            EXPECT_EQ(dialogs.Shown()[0].title, "Error");
            EXPECT_EQ(dialogs.Shown()[0].style & (wxOK | wxCANCEL | wxYES_NO | wxICON_MASK),
                      wxOK | wxICON_ERROR);
            EXPECT_EQ(wxWindow::FindFocus(), Octet(1));
            long from = -1, to = -1;
            Octet(1)->GetSelection(&from, &to);
            EXPECT_EQ(from, 0);
            EXPECT_EQ(to, 3);
            EXPECT_EQ(Octet(1)->GetValue(), c.typed);  // left for the user to change
        } else {
            ASSERT_TRUE(guitest::WaitFor([&] { return wxWindow::FindFocus() == Octet(2); }));
            guitest::PumpFor(100);
            EXPECT_TRUE(dialogs.Shown().empty());
        }
    }
}

TEST_F(IPCtrlTest, FieldsOutliveTheControlObject)
{
    Make(Host, "10.0.0.1");
    ctrl_.reset();  // the page dropped the object; the parent keeps the fields
    guitest::DialogScript dialogs;
    FocusOn(Octet(0));
    Octet(0)->ChangeValue("400");
    wxUIActionSimulator sim;
    sim.Char(WXK_TAB);
    EXPECT_TRUE(guitest::WaitFor([&] { return dialogs.Saw("This field can be 255 maximum"); }));
}

}  // namespace
