// One receive view of the terminal: read-only coloured text on black, wrapped
// at any character to the view's width, with a vertical scroll bar, and a
// selection as in a read-only text view (mouse, keyboard, Ctrl+C, a context
// menu with Copy and Select All).
//
// It holds no text: its rows are rendered from the page's ReceiveLog when
// painted, and it wraps what arrives only while it is shown.
#pragma once

#include <wx/font.h>
#include <wx/window.h>

#include <functional>

#include "ReceiveLog.h"

class TerminalView : public wxWindow {
public:
    TerminalView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, const ReceiveLog& log,
                 int view);

    // The log gained entries: wrap them (when shown) and follow the end.
    void LogGrew();
    // The log was cleared.
    void LogCleared();
    bool Show(bool show = true) override;

    // The whole text, and the selected text, as the view renders them.
    wxString GetValue() const;
    wxString GetSelectedText() const;
    void SelectAll();
    // Puts the selected text on the clipboard.
    void Copy();
    // Selects from the first character of row `fromRow` up to `toColumn` of
    // row `toRow`, as a drag with the mouse would.
    void SelectRows(uint64_t fromRow, uint64_t toRow, int toColumn);
    uint64_t Rows() const { return m_rows.Rows(); }
    // Called after a click that selects nothing, to hand the focus on; a
    // click that selects keeps it here, for the keyboard and Ctrl+C.
    void OnPlainClick(std::function<void()> handler) { m_plainClick = std::move(handler); }

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnIdle(wxIdleEvent& event);

    // Wraps a bounded part of what is new; the rest at the next idle time.
    void CatchUp();
    void UpdateScrollbar();
    void ScrollTo(int64_t top);
    int PageRows() const;
    // The place under a point of the window.
    LogPos HitTest(const wxPoint& point) const;
    // The place at a column of a row (past its end: its end).
    LogPos PlaceAt(uint64_t row, int column) const;
    int ColumnOf(LogPos pos, uint64_t* row) const;
    void MoveCaret(LogPos caret, bool extend);
    void ShowCaret();

    const ReceiveLog& m_log;
    ViewRows m_rows;
    wxFont m_font;
    int m_charWidth = 7;
    int m_lineHeight = 14;
    uint64_t m_top = 0;
    bool m_follow = true;
    bool m_pending = false;
    LogPos m_anchor, m_caret;
    bool m_dragging = false;
    std::function<void()> m_plainClick;
};
