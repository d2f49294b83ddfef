#include "TerminalView.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>

#include <algorithm>
#include <fstream>

namespace {

constexpr int kMargin = 3;
constexpr int kTabColumns = 8;
constexpr uint32_t kMeasuredCodePoints = 0x3000;

// The code point at p of valid UTF-8 and its length in bytes.
uint32_t Decode(const std::string& s, size_t p, size_t* length)
{
    const auto byte = [&s](size_t i) { return static_cast<uint8_t>(i < s.size() ? s[i] : 0); };
    const uint8_t b = byte(p);
    if (b < 0x80) {
        *length = 1;
        return b;
    }
    if (b >= 0xF0) {
        *length = 4;
        return (b & 0x07u) << 18 | (byte(p + 1) & 0x3Fu) << 12 | (byte(p + 2) & 0x3Fu) << 6 |
               (byte(p + 3) & 0x3Fu);
    }
    if (b >= 0xE0) {
        *length = 3;
        return (b & 0x0Fu) << 12 | (byte(p + 1) & 0x3Fu) << 6 | (byte(p + 2) & 0x3Fu);
    }
    *length = 2;
    return (b & 0x1Fu) << 6 | (byte(p + 1) & 0x3Fu);
}

// Control characters are drawn as their pictures (U+2400 on).
uint32_t Shown(uint32_t c)
{
    if (c < 0x20)
        return 0x2400 + c;
    return c == 0x7F ? 0x2421 : c;
}

}  // namespace

TerminalView::TerminalView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxVScrolledWindow(parent, id, pos, size, wxBORDER_NONE | wxALWAYS_SHOW_SB | wxFULL_REPAINT_ON_RESIZE),
      m_colour(*wxWHITE),
      m_font(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE)),
      m_widths(kMeasuredCodePoints, -1)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxBLACK);
    wxClientDC dc(this);
    dc.SetFont(m_font);
    m_lineHeight = dc.GetCharHeight() + 1;
    m_wrapWidth = WrapWidth();
    m_rows.push_back(0);
    SetRowCount(1);
    Bind(wxEVT_PAINT, &TerminalView::OnPaint, this);
    Bind(wxEVT_SIZE, &TerminalView::OnSize, this);
}

int TerminalView::WrapWidth() const
{
    const int width = GetClientSize().x - 2 * kMargin;
    return width > 0 ? width : 1 << 20;
}

int TerminalView::CharWidth(uint32_t codePoint)
{
    const uint32_t shown = Shown(codePoint);
    if (shown < kMeasuredCodePoints && m_widths[shown] >= 0)
        return m_widths[shown];
    wxClientDC dc(this);
    dc.SetFont(m_font);
    const int width = dc.GetTextExtent(wxString(wxUniChar(shown))).x;
    if (shown < kMeasuredCodePoints)
        m_widths[shown] = static_cast<int16_t>(std::min(width, 0x7FFF));
    return width;
}

void TerminalView::WrapTail()
{
    const int tab = kTabColumns * CharWidth(' ');
    size_t p = m_rows.back();
    m_rows.pop_back();
    size_t rowStart = p;
    int x = 0;
    while (p < m_text.size()) {
        size_t length = 1;
        const uint32_t c = Decode(m_text, p, &length);
        if (c == '\n') {
            m_rows.push_back(rowStart);
            p += length;
            rowStart = p;
            x = 0;
            continue;
        }
        // A carriage return takes no room: "\r\n" ends one line.
        int width = c == '\r' ? 0 : c == '\t' ? tab - x % tab : CharWidth(c);
        if (x + width > m_wrapWidth && p > rowStart) {
            m_rows.push_back(rowStart);
            rowStart = p;
            x = 0;
            if (c == '\t')
                width = tab;
        }
        x += width;
        p += length;
    }
    m_rows.push_back(rowStart);
}

void TerminalView::AppendText(const std::string& utf8)
{
    if (utf8.empty())
        return;
    if (m_colours.empty() || m_colours.back().second != m_colour)
        m_colours.emplace_back(m_text.size(), m_colour);
    m_text += utf8;
    WrapTail();
    SetRowCount(m_rows.size());
    ScrollToRow(m_rows.size() - 1);
    RefreshAll();
}

void TerminalView::Clear()
{
    m_text.clear();
    m_text.shrink_to_fit();
    m_rows.assign(1, 0);
    m_rows.shrink_to_fit();
    m_colours.clear();
    SetRowCount(1);
    RefreshAll();
}

bool TerminalView::SaveFile(const wxString& path) const
{
    std::ofstream out(path.utf8_string(), std::ios::binary | std::ios::trunc);
    out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
    out.close();
    return !out.fail();
}

size_t TerminalView::MemoryUsed() const
{
    return m_text.capacity() + m_rows.capacity() * sizeof(size_t) +
           m_colours.capacity() * sizeof(std::pair<size_t, wxColour>);
}

void TerminalView::OnSize(wxSizeEvent& event)
{
    event.Skip();
    const int width = WrapWidth();
    if (width == m_wrapWidth)
        return;
    m_wrapWidth = width;
    m_rows.assign(1, 0);
    WrapTail();
    SetRowCount(m_rows.size());
}

void TerminalView::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetFont(m_font);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const int tab = kTabColumns * CharWidth(' ');
    const size_t first = GetVisibleRowsBegin();
    const size_t end = std::min(GetVisibleRowsEnd(), m_rows.size());
    for (size_t row = first; row < end; ++row) {
        const int y = static_cast<int>(row - first) * m_lineHeight;
        const size_t rowEnd = row + 1 < m_rows.size() ? m_rows[row + 1] : m_text.size();
        // The colour in force where the row starts.
        auto colour =
            std::upper_bound(m_colours.begin(), m_colours.end(), m_rows[row],
                             [](size_t at, const std::pair<size_t, wxColour>& c) { return at < c.first; });
        if (colour != m_colours.begin())
            --colour;
        int x = 0;
        wxString piece;
        int pieceX = 0;
        const auto flush = [&] {
            if (!piece.empty())
                dc.DrawText(piece, kMargin + pieceX, y);
            piece.clear();
            pieceX = x;
        };
        if (colour != m_colours.end())
            dc.SetTextForeground(colour->second);
        for (size_t p = m_rows[row]; p < rowEnd;) {
            if (colour != m_colours.end() && colour + 1 != m_colours.end() && (colour + 1)->first <= p) {
                flush();
                ++colour;
                dc.SetTextForeground(colour->second);
            }
            size_t length = 1;
            const uint32_t c = Decode(m_text, p, &length);
            p += length;
            if (c == '\n' || c == '\r')
                continue;
            if (c == '\t') {
                flush();
                x += tab - x % tab;
                pieceX = x;
                continue;
            }
            piece += wxUniChar(Shown(c));
            x += CharWidth(c);
        }
        flush();
    }
}
