// What the two CAN pages' window tests share: the module's CAN settings, the
// Dec/Hex switch as a click would make it, and the requests of a list.
#pragma once

#include <wx/radiobox.h>

#include <map>

#include "CanPage.h"
#include "page_fixture.h"

namespace paneltest {

using BlockList = std::vector<std::tuple<int, int, int, testmod::Bytes>>;

const wxString CanQuestion = "Update configuration?: Are you sure to update module CANBUS configuration?";
const wxString CanReboot =
    "Updated: Module configuration updated.\n\nREBOOT your Vantrel-S-CAN module after configuration.\n\n"
    "Do you want to configure other settings?";
const wxString SavedWithErrors = "Error: Configuration saved with errors!";

// Datablock 44 of a module: speed, bytes 4-8 that no page reads, then the two selection bytes.
inline testmod::Bytes CanSettingsElement(uint32_t speed, uint8_t acquisition, uint8_t actuation)
{
    return {uint8_t(speed >> 24),
            uint8_t(speed >> 16),
            uint8_t(speed >> 8),
            uint8_t(speed),
            9,
            9,
            9,
            9,
            9,
            acquisition,
            actuation};
}

inline void ChooseBase(CanPage* page, int base)
{
    wxRadioBox* box = page->IdFormatBox();
    box->SetSelection(base);
    wxCommandEvent event(wxEVT_RADIOBOX, ID_CAN_ID_FORMAT);
    event.SetInt(base);
    event.SetEventObject(box);
    box->ProcessWindowEvent(event);
}

// The requests of a chunked read: `chunk` elements of `id` from each start.
inline std::vector<BlockList> ListReads(int id, int chunk, std::vector<int> starts)
{
    std::vector<BlockList> out;
    for (int s : starts)
        out.push_back({{id, chunk, s, {}}});
    return out;
}

// A list chunk of `elements` elements of `size` bytes, zero but for `set`
// (element index -> bytes).
inline testmod::Bytes Chunk(size_t elements, size_t size, const std::map<size_t, testmod::Bytes>& set)
{
    testmod::Bytes chunk(elements * size, 0);
    for (const auto& [index, bytes] : set)
        std::copy(bytes.begin(), bytes.end(), chunk.begin() + long(index * size));
    return chunk;
}

class CanPageTest : public PageTest {
protected:
    // The blocks of each request from the `from`-th one since the page was asked for.
    std::vector<BlockList> RequestsFrom(size_t from)
    {
        std::vector<BlockList> out;
        const std::vector<testmod::Frame> all = PageRequests();
        for (size_t i = from; i < all.size(); ++i)
            out.push_back(Blocks(all[i]));
        return out;
    }
};

}  // namespace paneltest
