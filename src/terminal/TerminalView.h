// One receive view of the terminal: read-only coloured text on black, wrapped
// at any character to the view's width, with a vertical scroll bar.
//
// The text lives here as UTF-8 with the rows it wraps into; an append costs
// only what it adds, and a paint draws only the rows on screen. (A text
// control lays out a whole paragraph again at every append, and the Hex,
// Binary and Decimal views are one paragraph until packets are wrapped: at a
// few hundred kilobytes the window stops answering.)
#pragma once

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/vscroll.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TerminalView : public wxVScrolledWindow {
public:
    TerminalView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // The colour of the text appended next.
    void SetDefaultStyle(const wxColour& colour) { m_colour = colour; }
    // Appends text (line breaks start a new row) and shows its end.
    void AppendText(const std::string& utf8);
    void AppendText(const wxString& text) { AppendText(text.utf8_string()); }
    void Clear();
    wxString GetValue() const { return wxString::FromUTF8(m_text); }
    const std::string& GetUtf8() const { return m_text; }
    // Writes the text, UTF-8, replacing the file. False when it cannot.
    bool SaveFile(const wxString& path) const;
    // Rows the text wraps into.
    size_t Rows() const { return m_rows.size(); }

    // The space the text and its rows take, in bytes.
    size_t MemoryUsed() const;

protected:
    wxCoord OnGetRowHeight(size_t) const override { return m_lineHeight; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    // Wraps the text from the start of the last row on.
    void WrapTail();
    int CharWidth(uint32_t codePoint);
    int WrapWidth() const;

    std::string m_text;
    std::vector<size_t> m_rows;                          // where each row starts
    std::vector<std::pair<size_t, wxColour>> m_colours;  // colour from each offset on
    wxColour m_colour;
    wxFont m_font;
    int m_lineHeight = 14;
    int m_wrapWidth = 0;
    std::vector<int16_t> m_widths;  // by code point, -1 not measured yet
};
