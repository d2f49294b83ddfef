// What the batch configuration page decides without a window: the sections a
// module has (its configuration pages, in the order of the hub's buttons),
// the reads each page makes, the checks of a saved configuration against a
// module, and the write commands each page would send for the saved values.
//
// A saved configuration holds the datablocks as the module gave them; a load
// turns them into what each page writes when it is confirmed unchanged, with
// the page's own decode and write functions, so the bytes sent are the ones
// the page would send.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "NetLogic.h"
#include "PageCycle.h"
#include "UartLogic.h"

// Datablock records as read: id, element count, first index and bytes.
using BatchRecords = std::vector<BlockValue>;

// What a configuration file holds: the module's identity and its records.
struct BatchConfig {
    char type = 0;
    wxString firmware;  // the firmware text
    wxString mac;
    BatchRecords records;
};

// One configuration page of a module as the batch reads it.
struct BatchSection {
    int hubId;  // the hub button that opens the page
    wxString name;
    // The page's reads, one exchange each (a list in its chunks).
    std::vector<std::vector<BlockRef>> reads;
};

// The reads of the page behind a hub button; none for a button that opens
// no settings (the terminal, the batch page).
std::vector<std::vector<BlockRef>> SectionReads(int hubId, char type, int firmware);
// The pages with settings among the hub's buttons for a logged-in user, in
// the hub's order.
std::vector<BatchSection> BatchSections(char type, int firmware);

// The record read with exactly this id, count and first index, or null.
const BlockValue* FindRecord(const BatchRecords& records, const BlockRef& ref);
// The refs of a read that no record answers yet.
std::vector<BlockRef> MissingRefs(const BatchRecords& records, const std::vector<BlockRef>& read);
// Records of `refs` for the values they read.
std::vector<BlockValue> RecordsOf(const std::vector<BlockRef>& refs, const std::vector<BlockBytes>& values);

// Why a record cannot be one a module gave (empty when it can): an id the
// datablock table does not know, elements beyond the datablock's, or bytes
// other than count times the element size.
wxString RecordFault(const BlockValue& record);

// Why a configuration cannot be sent to a module of this type and firmware:
// another type character, or a section of the module whose records the file
// lacks. Empty when it can. `file` names the file in the message.
wxString CheckForModule(const BatchConfig& config, char type, int firmware, const wxString& file);

// One write: the blocks, then the section save (NoSection for none).
struct BatchCommand {
    std::vector<BlockValue> blocks;
    uint8_t section;
};

// The network form the saved values stand for, with the module's own
// address `ownIp` (4 bytes) in place of the saved one; false without the
// records or with an address of another size.
bool BatchNetForm(const BatchConfig& config, const BlockBytes& ownIp, NetForm* form, NetFormValues* read);
// The saved serial line; false without the records.
bool BatchUart(const BatchConfig& config, UartSettings* uart);

// The commands that send one section of the configuration to a module of
// this type and firmware, as its page writes them. `ownIp` is the module's
// own address (network section). False with the reason when the saved values
// cannot be written by the page.
bool SectionCommands(int hubId, const BatchConfig& config, char type, int firmware, const BlockBytes& ownIp,
                     std::vector<BatchCommand>* commands, wxString* refusal);

// How one section of a load ended.
enum class SectionOutcome { Written, SavedWithErrors, Failed, NotSent };
struct SectionReport {
    wxString name;
    SectionOutcome outcome = SectionOutcome::NotSent;
    wxString reason;  // a failure's text
};
// The summary shown after a load: a line per section.
wxString LoadSummary(const wxString& file, const wxString& module, const std::vector<SectionReport>& reports);
// The question before a load: the file, what it holds, and the module.
wxString LoadQuestion(const wxString& file, const BatchConfig& config, char type, const wxString& ip);
// The message of a save that ends at a read.
wxString SaveFailureText(const wxString& what, const wxString& reason);
