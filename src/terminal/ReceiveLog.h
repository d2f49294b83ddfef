// What the terminal's four views show, kept once: the bytes of every received
// chunk and the text of every send log line, in fixed-size blocks, each entry
// with its time and how it opens and ends. A view's text is rendered from
// them only where it is needed (the rows on screen, a selection, an export):
// a view that is never shown costs nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// An append-only array in blocks of N: growing never moves what it holds.
template <class T, size_t N>
class BlockArray {
public:
    size_t Size() const { return size_; }
    T& operator[](size_t i) { return blocks_[i / N][i % N]; }
    const T& operator[](size_t i) const { return blocks_[i / N][i % N]; }
    void Append(const T& value) { Append(&value, 1); }
    void Append(const T* values, size_t count)
    {
        while (count > 0) {
            if (size_ % N == 0)
                blocks_.emplace_back(new T[N]);
            const size_t take = std::min(count, N - size_ % N);
            std::copy(values, values + take, &blocks_.back()[size_ % N]);
            size_ += take;
            values += take;
            count -= take;
        }
    }
    void Clear()
    {
        blocks_.clear();
        blocks_.shrink_to_fit();
        size_ = 0;
    }
    size_t MemoryUsed() const { return blocks_.size() * N * sizeof(T) + blocks_.capacity() * sizeof(void*); }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
};

// The colour an entry is shown in.
enum LogColour : uint8_t { COLOUR_RECEIVED, COLOUR_SENT, COLOUR_PERIODIC };

// How a received chunk opens and ends in the views.
enum ChunkFlag : uint8_t {
    CHUNK_STAMP = 1,        // the time stamp and " [RX] - " before it, in every view
    CHUNK_STAMP_FIRST = 2,  // a line break and the stamp before it, in the ASCII view only
    CHUNK_BREAK = 4,        // a line break after it
};
// The flags of the next chunk from "Write Timestamp" and "Wrap packets", and
// the line-start state the views share (true after a clear).
uint8_t ChunkFlags(bool timestamp, bool wrap, bool* atLineStart);

struct LogEntry {
    uint64_t offset = 0;  // its first byte in the store
    uint32_t length = 0;
    int64_t timeMs = 0;   // received chunks: when they arrived (ms since 1970)
    bool line = false;    // a send log line (UTF-8 text), else received bytes
    uint8_t view = 0;     // a line: the one view it goes to
    uint8_t colour = COLOUR_RECEIVED;
    uint8_t flags = 0;    // a chunk: ChunkFlag
};

class ReceiveLog {
public:
    void AddChunk(const uint8_t* bytes, size_t length, int64_t timeMs, uint8_t flags);
    void AddLine(int view, LogColour colour, const std::string& utf8);
    // Frees everything held.
    void Clear();

    size_t Entries() const { return entries_.Size(); }
    const LogEntry& Entry(size_t i) const { return entries_[i]; }
    uint8_t Byte(uint64_t offset) const { return bytes_[offset]; }
    uint64_t ReceivedBytes() const { return received_; }
    size_t MemoryUsed() const { return bytes_.MemoryUsed() + entries_.MemoryUsed(); }

private:
    BlockArray<uint8_t, 64 << 10> bytes_;
    BlockArray<LogEntry, 1024> entries_;
    uint64_t received_ = 0;
};

// A place in a view's text: entry, unit within it (a chunk: its opening, each
// byte, its ending; a line: its text) and code point within the unit. Places
// compare in text order.
struct LogPos {
    uint64_t entry = 0;
    uint32_t unit = 0;
    uint32_t ch = 0;
};
inline bool operator<(const LogPos& a, const LogPos& b)
{
    if (a.entry != b.entry)
        return a.entry < b.entry;
    return a.unit != b.unit ? a.unit < b.unit : a.ch < b.ch;
}
inline bool operator==(const LogPos& a, const LogPos& b)
{
    return a.entry == b.entry && a.unit == b.unit && a.ch == b.ch;
}
inline bool operator!=(const LogPos& a, const LogPos& b)
{
    return !(a == b);
}
// The end of everything the log holds now.
inline LogPos LogEnd(const ReceiveLog& log)
{
    return LogPos{log.Entries(), 0, 0};
}

// The text of a view from `from` up to `to`, in UTF-8 pieces of at most 64 KB
// handed to `sink` (false stops it). False when the sink stopped it.
bool WriteViewText(const ReceiveLog& log, int view, LogPos from, LogPos to,
                   const std::function<bool(const char*, size_t)>& sink);
std::string ViewText(const ReceiveLog& log, int view, LogPos from, LogPos to);

// One character on screen.
struct Cell {
    char32_t c;
    int column;
    int width;  // in columns
    uint8_t colour;
    LogPos pos;
};
struct RowCells {
    std::vector<Cell> cells;
    LogPos end;  // where a click past the last character lands
};

// A view's text wrapped into rows of a number of columns, at line breaks and
// at any character; a tab goes to the next multiple of 8 and a carriage
// return takes no room. Only every 32nd row's start is kept; the others are
// found by walking from it.
class ViewRows {
public:
    explicit ViewRows(int view) : view_(view) {}
    int View() const { return view_; }
    // Starts over when the width changes.
    void SetColumns(int columns);
    int Columns() const { return columns_; }
    // Forgets everything (the log was cleared).
    void Reset();
    // Wraps what the log gained, at most `budget` units (0: all). True when
    // everything is wrapped.
    bool Update(const ReceiveLog& log, size_t budget = 0);
    // Rows so far, the last one (maybe empty) included.
    uint64_t Rows() const { return rows_ + 1; }
    // Where the wrapped text ends.
    LogPos End() const { return end_; }
    void GetRows(const ReceiveLog& log, uint64_t first, size_t count, std::vector<RowCells>* out) const;
    // The row that shows the character at pos (or would, at the end).
    uint64_t RowOf(const ReceiveLog& log, LogPos pos) const;

private:
    static constexpr uint64_t kEvery = 32;
    // Finds where a code point goes: true when it starts a new row.
    bool Place(char32_t c, int* column, int* width) const;
    void StartRow(LogPos at);

    int view_;
    int columns_ = 80;
    uint64_t rows_ = 0;  // completed rows
    int column_ = 0;
    LogPos end_;
    BlockArray<LogPos, 4096> starts_;  // of rows 0, 32, 64, ...
};

// The word (a run of characters other than blanks) around index i of a row:
// [*first, *last] cell indexes.
void WordAt(const RowCells& row, size_t i, size_t* first, size_t* last);
