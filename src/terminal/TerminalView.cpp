#include "TerminalView.h"

#include <wx/clipbrd.h>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>
#include <climits>

namespace {

constexpr int kMargin = 3;
// Units wrapped at a time: a few milliseconds, so the window keeps answering
// however much arrives or is held when a view is shown.
constexpr size_t kWrapBudget = 400000;

// Control characters are drawn as their pictures (U+2400 on).
wxUniChar Shown(char32_t c)
{
    if (c < 0x20)
        return wxUniChar(0x2400 + c);
    return wxUniChar(c == 0x7F ? 0x2421 : static_cast<unsigned>(c));
}

const wxColour& ColourOf(uint8_t colour)
{
    switch (colour) {
        case COLOUR_SENT:
            return *wxWHITE;
        case COLOUR_PERIODIC:
            return *wxRED;
        default:
            return *wxGREEN;
    }
}

int Clamp(uint64_t value)
{
    return static_cast<int>(std::min<uint64_t>(value, INT_MAX));
}

}  // namespace

TerminalView::TerminalView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                           const ReceiveLog& log, int view)
    : wxWindow(parent, id, pos, size,
               wxBORDER_NONE | wxVSCROLL | wxALWAYS_SHOW_SB | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      m_log(log),
      m_rows(view),
      m_font(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE))
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxBLACK);
    wxClientDC dc(this);
    dc.SetFont(m_font);
    m_charWidth = std::max(1, dc.GetTextExtent("0").x);
    m_lineHeight = dc.GetCharHeight() + 1;
    m_rows.Reset();
    Bind(wxEVT_PAINT, &TerminalView::OnPaint, this);
    Bind(wxEVT_SIZE, &TerminalView::OnSize, this);
    Bind(wxEVT_SCROLLWIN_TOP, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_BOTTOM, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEUP, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEDOWN, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEUP, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEDOWN, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBTRACK, &TerminalView::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBRELEASE, &TerminalView::OnScroll, this);
    Bind(wxEVT_MOUSEWHEEL, &TerminalView::OnWheel, this);
    for (const auto& type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION, wxEVT_RIGHT_DOWN})
        Bind(type, &TerminalView::OnMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_dragging = false; });
    Bind(wxEVT_KEY_DOWN, &TerminalView::OnKey, this);
    Bind(wxEVT_CONTEXT_MENU, &TerminalView::OnContextMenu, this);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Copy(); }, wxID_COPY);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { SelectAll(); SetFocus(); }, wxID_SELECTALL);
    Bind(wxEVT_IDLE, &TerminalView::OnIdle, this);
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) { Refresh(); e.Skip(); });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) { Refresh(); e.Skip(); });
}

int TerminalView::PageRows() const
{
    return std::max(1, GetClientSize().y / m_lineHeight);
}

void TerminalView::CatchUp()
{
    if (!IsShown())
        return;
    m_rows.SetColumns((GetClientSize().x - 2 * kMargin) / m_charWidth);
    m_pending = !m_rows.Update(m_log, kWrapBudget);
    UpdateScrollbar();
    if (m_follow)
        ScrollTo(INT64_MAX);
    Refresh();
}

void TerminalView::LogGrew()
{
    CatchUp();
}

void TerminalView::LogCleared()
{
    m_rows.Reset();
    m_anchor = m_caret = LogPos();
    m_top = 0;
    m_follow = true;
    m_pending = false;
    UpdateScrollbar();
    Refresh();
}

bool TerminalView::Show(bool show)
{
    const bool changed = wxWindow::Show(show);
    if (show)
        CatchUp();
    return changed;
}

void TerminalView::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    if (!m_pending || !IsShown())  // a hidden view goes on when shown again
        return;
    CatchUp();
    if (m_pending)
        event.RequestMore();
}

void TerminalView::UpdateScrollbar()
{
    SetScrollbar(wxVERTICAL, Clamp(m_top), PageRows(), Clamp(m_rows.Rows()));
}

void TerminalView::ScrollTo(int64_t top)
{
    const int64_t last = std::max<int64_t>(0, static_cast<int64_t>(m_rows.Rows()) - PageRows());
    const uint64_t clamped = static_cast<uint64_t>(std::clamp<int64_t>(top, 0, last));
    m_follow = static_cast<int64_t>(clamped) >= last;
    if (clamped == m_top)
        return;
    m_top = clamped;
    SetScrollPos(wxVERTICAL, Clamp(m_top));
    Refresh();
}

void TerminalView::OnSize(wxSizeEvent& event)
{
    event.Skip();
    CatchUp();
}

void TerminalView::OnScroll(wxScrollWinEvent& event)
{
    const wxEventType type = event.GetEventType();
    const int64_t top = static_cast<int64_t>(m_top);
    if (type == wxEVT_SCROLLWIN_TOP)
        ScrollTo(0);
    else if (type == wxEVT_SCROLLWIN_BOTTOM)
        ScrollTo(INT64_MAX);
    else if (type == wxEVT_SCROLLWIN_LINEUP)
        ScrollTo(top - 1);
    else if (type == wxEVT_SCROLLWIN_LINEDOWN)
        ScrollTo(top + 1);
    else if (type == wxEVT_SCROLLWIN_PAGEUP)
        ScrollTo(top - PageRows());
    else if (type == wxEVT_SCROLLWIN_PAGEDOWN)
        ScrollTo(top + PageRows());
    else
        ScrollTo(event.GetPosition());
}

void TerminalView::OnWheel(wxMouseEvent& event)
{
    const int delta = std::max(1, event.GetWheelDelta());
    ScrollTo(static_cast<int64_t>(m_top) - event.GetWheelRotation() / delta * event.GetLinesPerAction());
}

LogPos TerminalView::PlaceAt(uint64_t row, int column) const
{
    std::vector<RowCells> rows;
    m_rows.GetRows(m_log, std::min(row, m_rows.Rows() - 1), 1, &rows);
    if (rows.empty())
        return m_rows.End();
    for (const Cell& cell : rows[0].cells)
        if (cell.column >= column)
            return cell.pos;
    return rows[0].end;
}

int TerminalView::ColumnOf(LogPos pos, uint64_t* row) const
{
    *row = m_rows.RowOf(m_log, pos);
    std::vector<RowCells> rows;
    m_rows.GetRows(m_log, *row, 1, &rows);
    if (rows.empty())
        return 0;
    int column = 0;
    for (const Cell& cell : rows[0].cells) {
        if (!(cell.pos < pos))
            return cell.column;
        column = cell.column + cell.width;
    }
    return column;
}

LogPos TerminalView::HitTest(const wxPoint& point) const
{
    const int64_t row = static_cast<int64_t>(m_top) + std::max(0, point.y) / m_lineHeight;
    const int column = std::max(0, point.x - kMargin + m_charWidth / 2) / m_charWidth;
    return PlaceAt(static_cast<uint64_t>(row), column);
}

void TerminalView::ShowCaret()
{
    uint64_t row = 0;
    ColumnOf(m_caret, &row);
    if (row < m_top)
        ScrollTo(static_cast<int64_t>(row));
    else if (row >= m_top + static_cast<uint64_t>(PageRows()))
        ScrollTo(static_cast<int64_t>(row) - PageRows() + 1);
}

void TerminalView::MoveCaret(LogPos caret, bool extend)
{
    m_caret = caret;
    if (!extend)
        m_anchor = caret;
    ShowCaret();
    Refresh();
}

void TerminalView::SelectAll()
{
    m_anchor = LogPos();
    m_caret = LogEnd(m_log);
    Refresh();
}

void TerminalView::SelectRows(uint64_t fromRow, uint64_t toRow, int toColumn)
{
    m_anchor = PlaceAt(fromRow, 0);
    m_caret = PlaceAt(toRow, toColumn);
    Refresh();
}

wxString TerminalView::GetValue() const
{
    return wxString::FromUTF8(ViewText(m_log, m_rows.View(), LogPos(), LogEnd(m_log)));
}

wxString TerminalView::GetSelectedText() const
{
    const LogPos from = std::min(m_anchor, m_caret);
    const LogPos to = std::max(m_anchor, m_caret);
    return wxString::FromUTF8(ViewText(m_log, m_rows.View(), from, to));
}

void TerminalView::Copy()
{
    const wxString text = GetSelectedText();
    if (text.empty() || !wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
}

void TerminalView::OnMouse(wxMouseEvent& event)
{
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN) {
        MoveCaret(HitTest(event.GetPosition()), event.ShiftDown());
        if (!HasCapture())
            CaptureMouse();
        m_dragging = true;
    } else if (type == wxEVT_MOTION && m_dragging) {
        const int y = event.GetPosition().y;
        if (y < 0)
            ScrollTo(static_cast<int64_t>(m_top) - 1);
        else if (y >= GetClientSize().y)
            ScrollTo(static_cast<int64_t>(m_top) + 1);
        MoveCaret(HitTest(event.GetPosition()), true);
    } else if (type == wxEVT_LEFT_UP) {
        m_dragging = false;
        if (HasCapture())
            ReleaseMouse();
        if (m_anchor != m_caret)
            SetFocus();
        else if (m_plainClick)
            m_plainClick();
    } else if (type == wxEVT_LEFT_DCLICK) {
        // The word under the pointer.
        const uint64_t row = m_top + static_cast<uint64_t>(std::max(0, event.GetPosition().y) / m_lineHeight);
        std::vector<RowCells> rows;
        m_rows.GetRows(m_log, row, 1, &rows);
        const int column = std::max(0, event.GetPosition().x - kMargin) / m_charWidth;
        if (!rows.empty()) {
            const std::vector<Cell>& cells = rows[0].cells;
            for (size_t i = 0; i < cells.size(); ++i) {
                if (column < cells[i].column || column >= cells[i].column + cells[i].width)
                    continue;
                size_t first = 0, last = 0;
                WordAt(rows[0], i, &first, &last);
                m_anchor = cells[first].pos;
                m_caret = last + 1 < cells.size() ? cells[last + 1].pos : rows[0].end;
                SetFocus();
                Refresh();
                break;
            }
        }
    } else {
        event.Skip();
    }
}

void TerminalView::OnKey(wxKeyEvent& event)
{
    const bool ctrl = event.GetModifiers() & wxMOD_CONTROL;
    const bool shift = event.ShiftDown();
    const int key = event.GetKeyCode();
    if (ctrl && (key == 'C' || key == WXK_INSERT)) {
        Copy();
        return;
    }
    if (ctrl && key == 'A') {
        SelectAll();
        return;
    }
    uint64_t row = 0;
    const int column = ColumnOf(m_caret, &row);
    const uint64_t lastRow = m_rows.Rows() - 1;
    std::vector<RowCells> rows;
    switch (key) {
        case WXK_LEFT: {
            m_rows.GetRows(m_log, row, 1, &rows);
            LogPos to = m_caret;
            bool found = false;
            for (const Cell& cell : rows.empty() ? std::vector<Cell>() : rows[0].cells)
                if (cell.column < column) {
                    to = cell.pos;
                    found = true;
                }
            if (!found && row > 0)
                to = PlaceAt(row - 1, INT_MAX);
            MoveCaret(to, shift);
            return;
        }
        case WXK_RIGHT: {
            m_rows.GetRows(m_log, row, 1, &rows);
            LogPos to = rows.empty() ? m_caret : rows[0].end;
            for (const Cell& cell : rows.empty() ? std::vector<Cell>() : rows[0].cells)
                if (cell.column > column) {
                    to = cell.pos;
                    break;
                }
            if (to == m_caret && row < lastRow)
                to = PlaceAt(row + 1, 0);
            MoveCaret(to, shift);
            return;
        }
        case WXK_UP:
        case WXK_DOWN:
        case WXK_PAGEUP:
        case WXK_PAGEDOWN: {
            const int64_t step = key == WXK_UP || key == WXK_DOWN ? 1 : PageRows();
            const int64_t to = static_cast<int64_t>(row) + (key == WXK_UP || key == WXK_PAGEUP ? -step : step);
            MoveCaret(PlaceAt(static_cast<uint64_t>(std::clamp<int64_t>(to, 0, static_cast<int64_t>(lastRow))),
                              column),
                      shift);
            return;
        }
        case WXK_HOME:
            MoveCaret(ctrl ? LogPos() : PlaceAt(row, 0), shift);
            return;
        case WXK_END:
            MoveCaret(ctrl ? m_rows.End() : PlaceAt(row, INT_MAX), shift);
            return;
        default:
            event.Skip();
    }
}

void TerminalView::OnContextMenu(wxContextMenuEvent&)
{
    wxMenu menu;
    menu.Append(wxID_COPY, "Copy");
    menu.Append(wxID_SELECTALL, "Select All");
    menu.Enable(wxID_COPY, m_anchor != m_caret);
    PopupMenu(&menu);
}

void TerminalView::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetFont(m_font);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const LogPos from = std::min(m_anchor, m_caret);
    const LogPos to = std::max(m_anchor, m_caret);
    const wxColour selectedBack = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    const wxColour selectedText = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(selectedBack));

    std::vector<RowCells> rows;
    m_rows.GetRows(m_log, m_top, static_cast<size_t>(PageRows()) + 1, &rows);
    for (size_t r = 0; r < rows.size(); ++r) {
        const int y = static_cast<int>(r) * m_lineHeight;
        const std::vector<Cell>& cells = rows[r].cells;
        // Runs of plain characters of one colour go out in one piece.
        for (size_t i = 0; i < cells.size();) {
            const bool selected = !(cells[i].pos < from) && cells[i].pos < to;
            size_t end = i + 1;
            while (end < cells.size() && cells[end].colour == cells[i].colour && cells[end].c >= 0x20 &&
                   cells[end].c < 0x7F && cells[end - 1].c >= 0x20 && cells[end - 1].c < 0x7F &&
                   (!(cells[end].pos < from) && cells[end].pos < to) == selected)
                ++end;
            const int x = kMargin + cells[i].column * m_charWidth;
            const int width = (cells[end - 1].column + cells[end - 1].width - cells[i].column) * m_charWidth;
            if (selected)
                dc.DrawRectangle(x, y, width, m_lineHeight);
            wxString piece;
            for (size_t k = i; k < end; ++k)
                if (cells[k].c != U'\t')
                    piece += Shown(cells[k].c);
            dc.SetTextForeground(selected ? selectedText : ColourOf(cells[i].colour));
            if (!piece.empty())
                dc.DrawText(piece, x, y);
            i = end;
        }
    }
    if (HasFocus()) {
        uint64_t row = 0;
        const int column = ColumnOf(m_caret, &row);
        if (row >= m_top && row < m_top + rows.size()) {
            dc.SetPen(*wxWHITE_PEN);
            const int x = kMargin + column * m_charWidth;
            const int y = static_cast<int>(row - m_top) * m_lineHeight;
            dc.DrawLine(x, y, x, y + m_lineHeight);
        }
    }
}
