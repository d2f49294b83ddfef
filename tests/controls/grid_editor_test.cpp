// The filtered grid cell editor on a real grid: what each mode lets the user
// type, and when an edit reaches the table.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "gui_test.h"
#include "print_wx.h"
#include "wxGridCellCustomEditor.h"

namespace {

// A string table that counts the values stored into it.
class CountingTable : public wxGridStringTable {
public:
    CountingTable() : wxGridStringTable(4, 4) {}
    void SetValue(int row, int col, const wxString& value) override
    {
        ++stores;
        wxGridStringTable::SetValue(row, col, value);
    }
    int stores = 0;
};

class GridEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "grid", wxPoint(0, 0), wxSize(600, 300));
        grid_ = new wxGrid(frame_, wxID_ANY);
        table_ = new CountingTable;
        grid_->SetTable(table_, true);
        frame_->Show();
        frame_->Raise();
        guitest::Pump();
    }
    void TearDown() override
    {
        frame_->Destroy();
        guitest::Pump();
    }

    // Starts editing a cell the way the grid does and waits for the focus.
    wxTextCtrl* StartEdit(int row, int col)
    {
        // Let the focus events of an earlier edit settle first: a late
        // focus loss would end this edit.
        guitest::PumpFor(100);
        grid_->SetGridCursor(row, col);
        grid_->EnableCellEditControl();
        wxGridCellEditor* editor = grid_->GetCellEditor(row, col);
        auto* text = wxDynamicCast(editor->GetWindow(), wxTextCtrl);
        editor->DecRef();
        if (!text || !guitest::WaitFor([&] { return wxWindow::FindFocus() == text; }))
            return nullptr;
        return text;
    }
    // Types keys and waits until the control shows what should remain, then
    // a little longer, so that a key that should have been refused would
    // have shown up too.
    void Type(wxTextCtrl* text, const char* keys, const char* remains)
    {
        wxUIActionSimulator sim;
        sim.Text(keys);
        guitest::WaitFor([&] { return text->GetValue() == remains; }, 3000);
        guitest::PumpFor(50);
    }

    wxFrame* frame_ = nullptr;
    wxGrid* grid_ = nullptr;
    CountingTable* table_ = nullptr;
};

TEST_F(GridEditorTest, EachModeAdmitsOnlyItsCharactersAndLength)
{
    struct {
        int mode;
        const char* typed;
        const char* kept;
    } cases[] = {
        {0, "12.3a456", "12345"},
        {1, "192.168.100.2559", "192.168.100.255"},
        {1, "1,0 -Ab", "10"},
        {2, "12345678901", "1234567890"},
        {3, "1-2a34", "123"},
        {4, "12f345", "1234"},
        {5, "1234567890", "123456789"},
        {6, "aA f7g0", "af7"},
        {7, "deADbeFg012345", "debe0123"},
        // Not a mode of the pages: no filter and no limit.
        {8, "Any, 1.5 xyz#", "Any, 1.5 xyz#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        grid_->SetCellEditor(0, 0, new wxGridCellCustomEditor(static_cast<GridCellInputMode>(c.mode)));
        grid_->SetCellValue(0, 0, "");
        wxTextCtrl* text = StartEdit(0, 0);
        ASSERT_NE(text, nullptr);
        Type(text, c.typed, c.kept);
        EXPECT_EQ(text->GetValue(), wxString(c.kept));
        grid_->DisableCellEditControl();
        EXPECT_EQ(grid_->GetCellValue(0, 0), wxString(c.kept));
    }
}

TEST_F(GridEditorTest, CellIsStoredOnlyWhenChanged)
{
    grid_->SetCellEditor(1, 1, new wxGridCellCustomEditor(GRID_INPUT_DIGITS_5));
    grid_->SetCellValue(1, 1, "123");
    table_->stores = 0;
    int changed = 0;
    grid_->Bind(wxEVT_GRID_CELL_CHANGED, [&](wxGridEvent&) { ++changed; });

    // Opening shows the cell's text, all of it selected.
    wxTextCtrl* text = StartEdit(1, 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetValue(), "123");
    long from = -1, to = -1;
    text->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 3);
    grid_->DisableCellEditControl();
    EXPECT_EQ(table_->stores, 0);
    EXPECT_EQ(changed, 0);

    // Typed over, the same text again: nothing is stored.
    text = StartEdit(1, 1);
    Type(text, "123", "123");
    grid_->DisableCellEditControl();
    EXPECT_EQ(table_->stores, 0);

    // A new text is stored once and reported.
    text = StartEdit(1, 1);
    Type(text, "8080", "8080");
    grid_->DisableCellEditControl();
    EXPECT_EQ(table_->stores, 1);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(grid_->GetCellValue(1, 1), "8080");
}

TEST_F(GridEditorTest, TypingOnASelectedCellStartsTheEdit)
{
    struct {
        int mode;
        const char* typed;
        const char* kept;
    } cases[] = {
        {0, "8080", "8080"},  // the key that opens the editor is not lost
        {0, "x12", "12"},     // nor is a refused one let in
        {6, "F1a", "1a"},
        {8, "Hi", "Hi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        grid_->SetCellEditor(2, 2, new wxGridCellCustomEditor(static_cast<GridCellInputMode>(c.mode)));
        grid_->SetCellValue(2, 2, "old");
        guitest::PumpFor(100);
        grid_->SetGridCursor(2, 2);
        grid_->SetFocus();
        ASSERT_TRUE(guitest::WaitFor([&] {
            wxWindow* focus = wxWindow::FindFocus();
            return focus == grid_ || focus == grid_->GetGridWindow();
        }));
        wxUIActionSimulator sim;
        sim.Text(c.typed);
        ASSERT_TRUE(guitest::WaitFor([&] { return grid_->IsCellEditControlShown(); }));
        wxGridCellEditor* editor = grid_->GetCellEditor(2, 2);
        auto* text = wxDynamicCast(editor->GetWindow(), wxTextCtrl);
        editor->DecRef();
        guitest::WaitFor([&] { return text->GetValue() == c.kept; }, 3000);
        guitest::PumpFor(50);
        EXPECT_EQ(text->GetValue(), wxString(c.kept));
        grid_->DisableCellEditControl();
        EXPECT_EQ(grid_->GetCellValue(2, 2), wxString(c.kept));
    }
}

TEST_F(GridEditorTest, EditorStepsCalledDirectly)
{
    auto* editor = new wxGridCellCustomEditor(GRID_INPUT_DIGITS_10);
    grid_->SetCellEditor(2, 0, editor);
    grid_->SetCellValue(2, 0, "500");
    wxTextCtrl* text = StartEdit(2, 0);
    ASSERT_NE(text, nullptr);
    Type(text, "7", "7");
    EXPECT_EQ(editor->GetValue(), "7");

    // Reset keeps what was typed and puts the cursor at the end.
    text->SetInsertionPoint(0);
    editor->Reset();
    EXPECT_EQ(text->GetValue(), "7");
    EXPECT_EQ(text->GetInsertionPoint(), 1);

    // EndEdit stores at once; ApplyEdit adds nothing.
    table_->stores = 0;
    wxString untouched = "as it was";
    EXPECT_TRUE(editor->EndEdit(2, 0, grid_, "ignored", &untouched));
    EXPECT_EQ(table_->GetValue(2, 0), "7");
    EXPECT_EQ(table_->stores, 1);
    EXPECT_EQ(untouched, "as it was");
    editor->ApplyEdit(2, 0, grid_);
    EXPECT_EQ(table_->stores, 1);
    // A second EndEdit compares with nothing loaded: "7" differs from "".
    table_->SetValue(2, 0, "other");
    table_->stores = 0;
    EXPECT_TRUE(editor->EndEdit(2, 0, grid_, "", nullptr));
    EXPECT_EQ(table_->GetValue(2, 0), "7");
    grid_->HideCellEditControl();
    grid_->DisableCellEditControl();
}

TEST_F(GridEditorTest, CloneKeepsTheMode)
{
    auto* original = new wxGridCellCustomEditor(GRID_INPUT_HEX_8);
    wxGridCellEditor* copy = original->Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->IsCreated());
    original->DecRef();

    grid_->SetCellEditor(3, 2, copy);
    wxTextCtrl* text = StartEdit(3, 2);
    ASSERT_NE(text, nullptr);
    Type(text, "0fG1a2b3c4", "0f1a2b3c");
    EXPECT_EQ(text->GetValue(), "0f1a2b3c");
    grid_->DisableCellEditControl();
    EXPECT_EQ(grid_->GetCellValue(3, 2), "0f1a2b3c");
}

}  // namespace
