// The details page: what it shows of a stored module, how it reads the
// stored numbers, database failures, and the way back to the start page.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <climits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "StartPanel.h"
#include "VantrelDetailsPanel.h"
#include "home_test_util.h"

namespace hometest {
namespace {

TEST(DetailsText, StoredNumbersAreReadLikeTheRuntimeReadsThem)
{
    const std::pair<const char*, long> numbers[] = {
        {"", 0},
        {"0", 0},
        {"3", 3},
        {"  7", 7},
        {"+2", 2},
        {"-1", -1},
        {"12abc", 12},
        {"x1", 0},
        {"2.9", 2},
        {"007", 7},
        {"99999999999999999999999", LONG_MAX},
        {"-99999999999999999999999", LONG_MIN},
    };
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(DetailsLeadingNumber(text), value) << '"' << text << '"';
}

TEST(DetailsText, NetworkAndSecurityTypesGetTheirNames)
{
    const std::pair<const char*, const char*> networks[] = {
        {"0", "Ad-Hoc"},         {"", "Ad-Hoc"},          {"junk", "Ad-Hoc"},
        {"1", "Infrastructure"}, {"2", "Infrastructure"}, {"-1", "Infrastructure"},
    };
    for (const auto& [stored, shown] : networks)
        EXPECT_EQ(DetailsNetworkTypeText(stored), shown) << '"' << stored << '"';

    const std::pair<const char*, const char*> securities[] = {
        {"0", "None"}, {"", "None"}, {"1", "WPA"},
        {"2", "WPA2"}, {"3", "WEP"}, {"4", ""},
        {"7", ""},     {"-1", ""},   {"99999999999999999999", ""},
    };
    for (const auto& [stored, shown] : securities)
        EXPECT_EQ(DetailsSecurityText(stored), shown) << '"' << stored << '"';
}

// The page's static texts in the order the page made them.
std::vector<wxString> Texts(wxWindow* page)
{
    std::vector<wxString> texts;
    for (wxWindow* child : page->GetChildren())
        if (dynamic_cast<wxStaticText*>(child))
            texts.push_back(child->GetLabel());
    return texts;
}

// Label -> the text right after it (the page puts each value after its label).
std::map<wxString, wxString> Pairs(const std::vector<wxString>& texts)
{
    std::map<wxString, wxString> pairs;
    for (size_t i = 0; i + 1 < texts.size(); ++i)
        pairs.emplace(texts[i], texts[i + 1]);
    return pairs;
}

std::vector<wxButton*> Buttons(wxWindow* page)
{
    std::vector<wxButton*> buttons;
    for (wxWindow* child : page->GetChildren())
        if (auto* b = dynamic_cast<wxButton*>(child))
            buttons.push_back(b);
    return buttons;
}

class DetailsPanelTest : public PageTest {};

struct StoredModule {
    Row row;
    const char* network_shown;
    const char* security_shown;
};

Row FullRow(std::optional<std::string> nwtype, std::optional<std::string> security)
{
    Row r;
    r.ip = "192.168.100.21";
    r.mac = "00:1e:c0:4a:10:01";
    r.descri = "Boiler room";
    r.ssid = "plant-floor";
    r.netmask = "255.255.255.0";
    r.gw = "192.168.100.1";
    r.nwtype = std::move(nwtype);
    r.security = std::move(security);
    r.pwd = "s3cret-key";
    return r;
}

TEST_F(DetailsPanelTest, ShowsWhatTheRegistryHoldsAboutTheModule)
{
    const StoredModule cases[] = {
        {FullRow("1", "3"), "Infrastructure", "WEP"},
        {FullRow("0", "1"), "Ad-Hoc", "WPA"},
        {FullRow("", "7"), "Ad-Hoc", ""},
        {FullRow("2", "2"), "Infrastructure", "WPA2"},
        {FullRow(std::nullopt, std::nullopt), "Ad-Hoc", "None"},
    };
    SeedRegistry({});
    guitest::DialogScript dialogs;
    for (const StoredModule& c : cases) {
        SCOPED_TRACE(Text(c.row.nwtype) + "/" + Text(c.row.security));
        ExecuteOnRegistry({"DELETE FROM vemtor_vantrel"});
        SeedRegistry({c.row});
        Main()->ShowDetailsPanel(Text(c.row.mac));

        ASSERT_EQ(Main()->currentPanel, PANEL_DETAILS);
        wxWindow* page = Main()->GetPanel(PANEL_DETAILS);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->IsShown());
        EXPECT_FALSE(Main()->startPanel->IsShown());
        const std::vector<wxString> texts = Texts(page);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.front(), "Vantrel Details");
        const std::map<wxString, wxString> shown = Pairs(texts);
        const std::map<wxString, wxString> expected = {
            {"MAC Address", Text(c.row.mac)},    {"IP", Text(c.row.ip)},
            {"Description", Text(c.row.descri)}, {"SSID", Text(c.row.ssid)},
            {"Netmask", Text(c.row.netmask)},    {"Default Gateway", Text(c.row.gw)},
            {"Network Type", c.network_shown},   {"Security", c.security_shown},
        };
        for (const auto& [label, value] : expected) {
            ASSERT_TRUE(shown.count(label)) << "no row " << label;
            EXPECT_EQ(shown.at(label), value) << label;
        }
        // The stored password is never shown.
        for (const wxString& t : texts)
            EXPECT_EQ(t.Find(Text(c.row.pwd)), wxNOT_FOUND);
        ASSERT_EQ(Buttons(page).size(), 1u);
        EXPECT_EQ(Buttons(page)[0]->GetId(), ID_BACK);
        EXPECT_EQ(Buttons(page)[0]->GetLabel(), "Back");
        Main()->ShowStartPanel();
    }
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(DetailsPanelTest, AModuleWithoutARowGivesAnEmptyPageThatBackLeaves)
{
    SeedRegistry({FullRow("1", "2")});
    guitest::DialogScript dialogs;
    Main()->ShowDetailsPanel("00:00:00:00:00:00");
    ASSERT_EQ(Main()->currentPanel, PANEL_DETAILS);
    EXPECT_TRUE(Main()->GetPanel(PANEL_DETAILS)->GetChildren().empty());

    // The toolbar's and menu's Back still lead home.
    wxCommandEvent back(wxEVT_MENU, ID_BACK);
    Main()->OnBack(back);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_TRUE(Main()->startPanel->IsShown());
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(DetailsPanelTest, TwoRowsOfOneMacAreShownOneBelowTheOther)
{
    Row second = FullRow("0", "0");
    second.ip = "10.9.8.7";
    SeedRegistry({FullRow("1", "2"), second});
    guitest::DialogScript dialogs;
    Main()->ShowDetailsPanel("00:1e:c0:4a:10:01");
    wxWindow* page = Main()->GetPanel(PANEL_DETAILS);
    ASSERT_NE(page, nullptr);

    std::vector<wxWindow*> titles;
    for (wxWindow* child : page->GetChildren())
        if (dynamic_cast<wxStaticText*>(child) && child->GetLabel() == "Vantrel Details")
            titles.push_back(child);
    const std::vector<wxButton*> buttons = Buttons(page);
    ASSERT_EQ(titles.size(), 2u);
    ASSERT_EQ(buttons.size(), 2u);
    // The second block starts below the first block's Back button.
    EXPECT_GE(titles[1]->GetPosition().y, buttons[0]->GetRect().GetBottom());
    int ips = 0;
    for (const wxString& t : Texts(page))
        ips += t == "10.9.8.7" || t == "192.168.100.21";
    EXPECT_EQ(ips, 2);
}

struct FailingRead {
    const char* name;
    std::vector<std::string> sql;  // run on the registry before the page is built
    const char* reason;            // part of the wrapper's message
};

TEST_F(DetailsPanelTest, AFailingDatabaseReadIsReportedAndThePageStays)
{
    const FailingRead cases[] = {
        {"a column is missing",
         {"DROP TABLE vemtor_vantrel",
          "CREATE TABLE vemtor_vantrel (ip TEXT, macaddress TEXT, descri TEXT, netmask TEXT, gw TEXT, "
          "nwtype INTEGER, security INTEGER)",
          "INSERT INTO vemtor_vantrel (ip, macaddress, descri) VALUES ('10.0.0.1', 'aa', 'x')"},
         "invalid field"},
        {"the table is gone", {"DROP TABLE vemtor_vantrel"}, "no such table"},
    };
    SeedRegistry({});
    Main();
    for (const FailingRead& c : cases) {
        SCOPED_TRACE(c.name);
        SeedRegistry({});
        ExecuteOnRegistry(c.sql);
        guitest::DialogScript dialogs;
        Main()->ShowDetailsPanel("aa");

        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_EQ(dialogs.Shown()[0].title, "Error");
        EXPECT_NE(dialogs.Shown()[0].message.Lower().Find(c.reason), wxNOT_FOUND)
            << dialogs.Shown()[0].message;
        // Reported once, by the page; the page is shown as far as it got.
        EXPECT_EQ(Main()->currentPanel, PANEL_DETAILS);
        EXPECT_NE(Main()->GetPanel(PANEL_DETAILS), nullptr);
        EXPECT_TRUE(Buttons(Main()->GetPanel(PANEL_DETAILS)).empty());

        dialogs.Clear();
        ExecuteOnRegistry({"DROP TABLE IF EXISTS vemtor_vantrel"});
        Main()->ShowStartPanel();
    }
}

TEST_F(DetailsPanelTest, ClickingBackShowsTheStartPageReadAgain)
{
    SeedRegistry({FullRow("1", "2")});
    guitest::DialogScript dialogs;
    Main()->frame->Raise();
    Main()->ShowDetailsPanel("00:1e:c0:4a:10:01");
    wxWeakRef<wxWindow> page = Main()->GetPanel(PANEL_DETAILS);
    ASSERT_TRUE(page);
    ASSERT_EQ(Buttons(page).size(), 1u);
    wxButton* back = Buttons(page)[0];
    ASSERT_TRUE(guitest::WaitFor([&] { return back->IsShownOnScreen(); }));
    guitest::PumpFor(100);

    // A module stored meanwhile must be listed when the start page comes back.
    Row added = FullRow("0", "0");
    added.mac = "00:1e:c0:4a:10:77";
    added.descri = "added meanwhile";
    SeedRegistry({added});

    // A real click: the page is replaced from inside its own button's handler.
    wxUIActionSimulator sim;
    sim.MouseMove(back->GetScreenRect().GetPosition() + back->GetSize() / 2);
    guitest::PumpFor(50);
    sim.MouseClick();
    ASSERT_TRUE(guitest::WaitFor([&] { return Main()->currentPanel == PANEL_START; }));
    EXPECT_EQ(Main()->GetPanel(PANEL_DETAILS), nullptr);
    EXPECT_TRUE(Main()->startPanel->IsShown());
    EXPECT_TRUE(guitest::WaitFor([&] { return !page; })) << "the details page was never destroyed";
    const wxListBox* list = Main()->startPanel->ModuleList();
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_EQ(list->GetString(1), "00:1e:c0:4a:10:77 - added meanwhile");
    EXPECT_TRUE(dialogs.Shown().empty());
}

}  // namespace
}  // namespace hometest
