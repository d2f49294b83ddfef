// File-level steps shared by the two local databases: checking that a file is
// a sound SQLite database, and taking a backup copy that never replaces a good
// copy with a bad one.
#pragma once

#include <wx/string.h>

class wxSQLite3Database;
class wxSQLite3Exception;

namespace dbfile {

// How long a statement waits for a file that another process holds locked.
// The wrapper's default, a minute, would freeze the window that long.
constexpr int BusyTimeoutMs = 2000;

// e's code with its reason put after what was being done: "<what>: <reason>".
wxSQLite3Exception Wrapped(const wxSQLite3Exception& e, const wxString& what);

// Opens the file read-only and runs SQLite's quick check. Throws
// wxSQLite3Exception when the file is missing, unreadable, not a database or
// damaged; changes nothing on disk.
void CheckDatabaseFile(const wxString& fileName);

// Whether both names lead to one existing file (links and relative names
// included).
bool SameFile(const wxString& a, const wxString& b);

// Whether the file is missing or holds zero bytes.
bool MissingOrEmpty(const wxString& fileName);

// Whether a file can be created in the folder of fileName (tried, not
// guessed from permission bits: root may be denied them too).
bool FolderWritable(const wxString& fileName);

// Whether the file is a sound database with at least one row in a table.
bool HoldsRows(const wxString& fileName);

// Copies the whole open database ("main") into a temporary file beside
// target, checks the copy, and only then renames it over target. On failure
// the temporary file is removed, target is left as it was and
// wxSQLite3Exception is thrown.
void BackupChecked(wxSQLite3Database& db, const wxString& target);

}  // namespace dbfile
