// A module's saved configuration on disk: an SQLite database with tables of
// its own, one row for the module (type character, firmware text, MAC
// address) and one row per datablock record (id, element count, first index,
// bytes), in the order they were read.
#pragma once

#include <wx/string.h>

#include "BatchLogic.h"

extern const wxString BatchModuleTable;  // "vantrel_batch_module"
extern const wxString BatchRecordTable;  // "vantrel_batch_datablocks"

// Writes `config` into a new file beside `path` and renames it over `path`
// only once it is complete; `path` is left as it was on failure. False with
// the reason.
bool WriteBatchFile(const wxString& path, const BatchConfig& config, wxString* error);

// Reads a file written by WriteBatchFile and checks it: a sound database,
// both tables present, one module row of one type character, and every
// record one a module could have given (see RecordFault), none twice. False
// with the reason; `config` is untouched then.
bool ReadBatchFile(const wxString& path, BatchConfig* config, wxString* error);
