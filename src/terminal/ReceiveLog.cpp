#include "ReceiveLog.h"

#include <algorithm>

#include "HubLogic.h"
#include "TerminalLogic.h"

namespace {

constexpr int kTabColumns = 8;
constexpr size_t kPieceBytes = 64 << 10;

// What one byte shows in each view, built once: ASCII its character in the
// program's one 8-bit mapping (a zero byte shows nothing), Hex two lower-case
// digits, Binary eight digits, Decimal the plain number, each of the last
// three followed by a blank.
struct ByteTexts {
    std::u32string text[4][256];
    bool plain[4][256];  // no line break, tab or carriage return
    ByteTexts()
    {
        static const char digits[] = "0123456789abcdef";
        for (int b = 0; b < 256; ++b) {
            const uint8_t byte = static_cast<uint8_t>(b);
            for (wxUniChar c : ModuleText(&byte, 1))
                text[FORMAT_ASCII][b] += static_cast<char32_t>(c.GetValue());
            text[FORMAT_HEX][b] = {char32_t(digits[b >> 4]), char32_t(digits[b & 15]), U' '};
            wxString bits = ToBinaryString(static_cast<unsigned>(b));
            std::reverse(bits.begin(), bits.end());
            for (wxUniChar c : bits.Pad(8 - bits.length(), '0', false) + " ")
                text[FORMAT_BINARY][b] += static_cast<char32_t>(c.GetValue());
            for (char c : std::to_string(b) + " ")
                text[FORMAT_DECIMAL][b] += static_cast<char32_t>(c);
            for (int v = 0; v < 4; ++v)
                plain[v][b] = text[v][b].find_first_of(U"\n\t\r") == std::u32string::npos;
        }
    }
};

const ByteTexts& Texts()
{
    static const ByteTexts texts;
    return texts;
}

std::u32string Utf32(const std::string& utf8)
{
    std::u32string out;
    for (wxUniChar c : wxString::FromUTF8(utf8))
        out += static_cast<char32_t>(c.GetValue());
    return out;
}

// The stamp of a chunk; "%c" changes once a second, so it is formatted once
// per second and the milliseconds are added.
const std::u32string& StampText(int64_t timeMs)
{
    static thread_local int64_t second = INT64_MIN;
    static thread_local std::u32string head, stamp;
    const int64_t s = timeMs >= 0 ? timeMs / 1000 : (timeMs - 999) / 1000;
    if (s != second) {
        second = s;
        const std::string text = TimestampText(wxDateTime(wxLongLong(s * 1000))).utf8_string();
        head = Utf32(text.substr(0, text.size() >= 3 ? text.size() - 3 : 0));
    }
    const int ms = static_cast<int>(timeMs - s * 1000);
    stamp = head;
    stamp += {char32_t('0' + ms / 100), char32_t('0' + ms / 10 % 10), char32_t('0' + ms % 10)};
    stamp += U" [RX] - ";
    return stamp;
}

void PutUtf8(char32_t c, std::string* out)
{
    if (c < 0x80) {
        *out += static_cast<char>(c);
    } else if (c < 0x800) {
        *out += static_cast<char>(0xC0 | c >> 6);
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += static_cast<char>(0xE0 | c >> 12);
        *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | c >> 18);
        *out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One stretch of a view's text: the rest of a unit from `at` on.
struct Unit {
    std::u32string_view text;
    LogPos at;
    bool plain;
    uint8_t colour;
};

// Walks a view's text unit by unit from a place on.
class Walker {
public:
    Walker(const ReceiveLog& log, int view, LogPos from) : log_(log), view_(view), pos_(from) {}

    bool Next(Unit* unit)
    {
        for (;;) {
            if (pos_.entry >= log_.Entries())
                return false;
            const LogEntry& e = log_.Entry(pos_.entry);
            if (Load(e, unit)) {
                unit->at = pos_;
                unit->colour = e.colour;
                ++pos_.unit;
                pos_.ch = 0;
                return true;
            }
            ++pos_.entry;
            pos_.unit = 0;
            pos_.ch = 0;
        }
    }

private:
    // The unit at pos_ (false past the entry's last one), from pos_.ch on;
    // empty units are passed over.
    bool Load(const LogEntry& e, Unit* unit)
    {
        for (;; ++pos_.unit, pos_.ch = 0) {
            std::u32string_view text;
            unit->plain = true;
            if (e.line) {
                if (e.view != view_ || pos_.unit > 0)
                    return false;
                scratch_ = Utf32(LineText(e));
                text = scratch_;
                unit->plain = false;
            } else if (pos_.unit == 0) {
                if (e.flags & CHUNK_STAMP)
                    text = StampText(e.timeMs);
                if ((e.flags & CHUNK_STAMP_FIRST) && view_ == FORMAT_ASCII) {
                    scratch_ = U"\n" + StampText(e.timeMs);
                    text = scratch_;
                    unit->plain = false;
                }
            } else if (pos_.unit <= e.length) {
                const uint8_t b = log_.Byte(e.offset + pos_.unit - 1);
                text = Texts().text[view_][b];
                unit->plain = Texts().plain[view_][b];
            } else if (pos_.unit == e.length + 1) {
                if (e.flags & CHUNK_BREAK) {
                    text = U"\n";
                    unit->plain = false;
                }
            } else {
                return false;
            }
            if (pos_.ch < text.size()) {
                unit->text = text.substr(pos_.ch);
                return true;
            }
        }
    }

    std::string LineText(const LogEntry& e) const
    {
        std::string text(e.length, '\0');
        for (uint32_t i = 0; i < e.length; ++i)
            text[i] = static_cast<char>(log_.Byte(e.offset + i));
        return text;
    }

    const ReceiveLog& log_;
    int view_;
    LogPos pos_;
    std::u32string scratch_;
};

LogPos After(LogPos at, size_t i)
{
    at.ch += static_cast<uint32_t>(i);
    return at;
}

}  // namespace

uint8_t ChunkFlags(bool timestamp, bool wrap, bool* atLineStart)
{
    uint8_t flags = 0;
    if (timestamp && wrap)
        flags = CHUNK_STAMP;
    else if (timestamp && *atLineStart)
        flags = CHUNK_STAMP_FIRST;
    if (timestamp)
        *atLineStart = false;
    if (wrap) {
        flags |= CHUNK_BREAK;
        if (timestamp)
            *atLineStart = true;
    }
    return flags;
}

void ReceiveLog::AddChunk(const uint8_t* bytes, size_t length, int64_t timeMs, uint8_t flags)
{
    if (length == 0)
        return;
    LogEntry e;
    e.offset = bytes_.Size();
    e.length = static_cast<uint32_t>(length);
    e.timeMs = timeMs;
    e.flags = flags;
    bytes_.Append(bytes, length);
    entries_.Append(e);
    received_ += length;
}

void ReceiveLog::AddLine(int view, LogColour colour, const std::string& utf8)
{
    if (utf8.empty() || view < 0 || view >= TerminalFormatCount)
        return;
    LogEntry e;
    e.offset = bytes_.Size();
    e.length = static_cast<uint32_t>(utf8.size());
    e.line = true;
    e.view = static_cast<uint8_t>(view);
    e.colour = colour;
    bytes_.Append(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size());
    entries_.Append(e);
}

void ReceiveLog::Clear()
{
    bytes_.Clear();
    entries_.Clear();
    received_ = 0;
}

bool WriteViewText(const ReceiveLog& log, int view, LogPos from, LogPos to,
                   const std::function<bool(const char*, size_t)>& sink)
{
    std::string piece;
    Walker walker(log, view, from);
    Unit unit;
    while (walker.Next(&unit) && unit.at < to) {
        for (size_t i = 0; i < unit.text.size() && After(unit.at, i) < to; ++i)
            PutUtf8(unit.text[i], &piece);
        if (piece.size() >= kPieceBytes) {
            if (!sink(piece.data(), piece.size()))
                return false;
            piece.clear();
        }
    }
    return piece.empty() || sink(piece.data(), piece.size());
}

std::string ViewText(const ReceiveLog& log, int view, LogPos from, LogPos to)
{
    std::string text;
    WriteViewText(log, view, from, to, [&text](const char* p, size_t n) {
        text.append(p, n);
        return true;
    });
    return text;
}

void ViewRows::SetColumns(int columns)
{
    columns = std::max(columns, 1);
    if (columns == columns_)
        return;
    columns_ = columns;
    Reset();
}

void ViewRows::Reset()
{
    rows_ = 0;
    column_ = 0;
    end_ = LogPos();
    starts_.Clear();
    starts_.Append(LogPos());
}

bool ViewRows::Place(char32_t c, int* column, int* width) const
{
    *width = c == U'\r' || c == U'\n' ? 0 : c == U'\t' ? kTabColumns - *column % kTabColumns : 1;
    if (*column + *width <= columns_ || *column == 0)
        return false;
    *column = 0;
    if (c == U'\t')
        *width = kTabColumns;
    return true;
}

void ViewRows::StartRow(LogPos at)
{
    ++rows_;
    column_ = 0;
    if (rows_ % kEvery == 0)
        starts_.Append(at);
}

bool ViewRows::Update(const ReceiveLog& log, size_t budget)
{
    if (starts_.Size() == 0)
        starts_.Append(LogPos());
    Walker walker(log, view_, end_);
    Unit unit;
    size_t units = 0;
    while ((budget == 0 || units < budget) && walker.Next(&unit)) {
        ++units;
        const size_t n = unit.text.size();
        if (unit.plain && column_ + static_cast<int>(n) <= columns_) {
            column_ += static_cast<int>(n);
        } else {
            for (size_t i = 0; i < n; ++i) {
                const char32_t c = unit.text[i];
                int width = 0;
                if (Place(c, &column_, &width))
                    StartRow(After(unit.at, i));
                column_ += width;
                if (c == U'\n')
                    StartRow(After(unit.at, i + 1));
            }
        }
        end_ = After(unit.at, n);
    }
    return !walker.Next(&unit);
}

void ViewRows::GetRows(const ReceiveLog& log, uint64_t first, size_t count, std::vector<RowCells>* out) const
{
    out->clear();
    if (count == 0 || first >= Rows())
        return;
    const uint64_t last = std::min(first + count, Rows());
    out->resize(static_cast<size_t>(last - first));
    uint64_t row = first / kEvery * kEvery;
    int column = 0;
    Walker walker(log, view_, starts_[static_cast<size_t>(row / kEvery)]);
    Unit unit;
    const auto endRow = [&](LogPos at) {
        if (row >= first)
            (*out)[static_cast<size_t>(row - first)].end = at;
        ++row;
        column = 0;
    };
    while (row < last && walker.Next(&unit) && unit.at < end_) {
        for (size_t i = 0; i < unit.text.size() && row < last; ++i) {
            const char32_t c = unit.text[i];
            const LogPos at = After(unit.at, i);
            if (!(at < end_))
                break;
            int width = 0;
            if (Place(c, &column, &width)) {
                endRow(at);
                if (row >= last)
                    break;
            }
            if (c == U'\n') {
                endRow(at);
                continue;
            }
            if (row >= first && c != U'\r')
                (*out)[static_cast<size_t>(row - first)].cells.push_back({c, column, width, unit.colour, at});
            column += width;
        }
    }
    if (row < last)
        (*out)[static_cast<size_t>(row - first)].end = end_;
}

uint64_t ViewRows::RowOf(const ReceiveLog& log, LogPos pos) const
{
    // The last kept row start at or before pos.
    size_t lo = 0, hi = starts_.Size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        if (pos < starts_[mid])
            hi = mid;
        else
            lo = mid;
    }
    uint64_t row = lo * kEvery;
    int column = 0;
    Walker walker(log, view_, starts_[lo]);
    Unit unit;
    while (walker.Next(&unit) && unit.at < end_) {
        for (size_t i = 0; i < unit.text.size(); ++i) {
            int width = 0;
            if (Place(unit.text[i], &column, &width))
                ++row;
            if (!(After(unit.at, i) < pos))
                return row;
            column += width;
            if (unit.text[i] == U'\n') {
                ++row;
                column = 0;
            }
        }
    }
    return std::min(row, rows_);
}

void WordAt(const RowCells& row, size_t i, size_t* first, size_t* last)
{
    const auto blank = [&row](size_t k) {
        const char32_t c = row.cells[k].c;
        return c == U' ' || c == U'\t';
    };
    *first = *last = i;
    if (i >= row.cells.size() || blank(i))
        return;
    while (*first > 0 && !blank(*first - 1))
        --*first;
    while (*last + 1 < row.cells.size() && !blank(*last + 1))
        ++*last;
}
