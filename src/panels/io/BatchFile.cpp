#include "BatchFile.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/wxsqlite3.h>

#include <set>
#include <utility>

#include "DbFile.h"
#include "Files.h"

const wxString BatchModuleTable = "vantrel_batch_module";
const wxString BatchRecordTable = "vantrel_batch_datablocks";

namespace {

// Raised when the layout changes in a way older readers cannot follow.
constexpr int kFormat = 1;

// SQLite's column types.
constexpr int kInteger = 1;
constexpr int kText = 3;
constexpr int kBlob = 4;

wxString Quoted(const wxString& path)
{
    return "\"" + path + "\"";
}

// The type character as one 8-bit character, the way module texts travel.
wxString TypeText(char type)
{
    return wxString(wxUniChar(unsigned(static_cast<unsigned char>(type))));
}

void WriteTables(const wxString& file, const BatchConfig& config)
{
    wxSQLite3Database db;
    db.Open(file);
    db.SetBusyTimeout(dbfile::BusyTimeoutMs);
    db.Begin();
    db.ExecuteUpdate("CREATE TABLE " + BatchModuleTable +
                     " (format INTEGER NOT NULL, module_type TEXT NOT NULL, firmware TEXT NOT NULL, "
                     "mac TEXT NOT NULL)");
    db.ExecuteUpdate(
        "CREATE TABLE " + BatchRecordTable +
        " (position INTEGER PRIMARY KEY, datablock INTEGER NOT NULL, element_count INTEGER NOT NULL, "
        "start_index INTEGER NOT NULL, value BLOB NOT NULL)");
    wxSQLite3Statement module = db.PrepareStatement("INSERT INTO " + BatchModuleTable + " VALUES (?,?,?,?)");
    module.Bind(1, kFormat);
    module.Bind(2, TypeText(config.type));
    module.Bind(3, config.firmware);
    module.Bind(4, config.mac);
    module.ExecuteUpdate();
    wxSQLite3Statement record =
        db.PrepareStatement("INSERT INTO " + BatchRecordTable + " VALUES (?,?,?,?,?)");
    int position = 0;
    for (const BlockValue& r : config.records) {
        record.Reset();
        record.Bind(1, position++);
        record.Bind(2, int(r.id));
        record.Bind(3, int(r.count));
        record.Bind(4, int(r.index));
        record.Bind(5, r.bytes.data(), int(r.bytes.size()));
        record.ExecuteUpdate();
    }
    record.Finalize();
    module.Finalize();
    db.Commit();
    db.Close();
}

// The wrapper puts "<code text>[<code>]: " before every message.
wxString Reason(const wxSQLite3Exception& e)
{
    const wxString message = e.GetMessage();
    const int cut = message.Find("]: ");
    return cut == wxNOT_FOUND ? message : message.Mid(size_t(cut) + 3);
}

bool Fail(wxString* error, const wxString& text)
{
    *error = text;
    return false;
}

}  // namespace

bool WriteBatchFile(const wxString& path, const BatchConfig& config, wxString* error)
{
    FileReplacement replacement(path);
    if (!replacement.Created())
        return Fail(error, "Cannot create a file in " + Quoted(replacement.Folder()));
    replacement.File().Close();
    try {
        WriteTables(replacement.Path(), config);
        dbfile::CheckDatabaseFile(replacement.Path());
    } catch (const wxSQLite3Exception& e) {
        return Fail(error, "Cannot write " + Quoted(path) + ": " + Reason(e));
    }
    wxString reason;
    if (!replacement.Commit(&reason))
        return Fail(error, "Cannot write " + Quoted(path) + ": " + reason);
    return true;
}

bool ReadBatchFile(const wxString& path, BatchConfig* config, wxString* error)
{
    const wxString notOurs = Quoted(path) + " is not a module configuration file of Vantrel Glimra";
    const wxString damaged = Quoted(path) + " is damaged: ";
    BatchConfig read;
    try {
        dbfile::CheckDatabaseFile(path);
        wxSQLite3Database db;
        db.Open(path, wxEmptyString, WXSQLITE_OPEN_READONLY);
        db.SetBusyTimeout(dbfile::BusyTimeoutMs);
        if (!db.TableExists(BatchModuleTable) || !db.TableExists(BatchRecordTable))
            return Fail(error, notOurs);

        wxSQLite3ResultSet module =
            db.ExecuteQuery("SELECT format, module_type, firmware, mac FROM " + BatchModuleTable);
        // The first NextRow gives the first row.
        if (!module.NextRow())
            return Fail(error, damaged + "it names no module");
        if (module.GetColumnType(0) != kInteger || module.GetInt(0) != kFormat)
            return Fail(error, Quoted(path) + " was saved by another version of Vantrel Glimra");
        const wxString type = module.GetColumnType(1) == kText ? module.GetAsString(1) : wxString();
        if (type.length() != 1 || type[0].GetValue() > 0xFF)
            return Fail(error, damaged + "its module type is not one character");
        read.type = char(static_cast<unsigned char>(type[0].GetValue()));
        read.firmware = module.GetAsString(2);
        read.mac = module.GetAsString(3);
        if (module.NextRow())
            return Fail(error, damaged + "it names more than one module");
        module.Finalize();

        wxSQLite3ResultSet rows =
            db.ExecuteQuery("SELECT datablock, element_count, start_index, value FROM " + BatchRecordTable +
                            " ORDER BY position");
        std::set<std::pair<int, int>> seen;
        while (rows.NextRow()) {
            for (int c = 0; c < 3; ++c)
                if (rows.GetColumnType(c) != kInteger)
                    return Fail(error, damaged + "a datablock record is not made of numbers");
            if (rows.GetColumnType(3) != kBlob)
                return Fail(error, damaged + "a datablock record holds no bytes");
            const wxLongLong id = rows.GetInt64(0), count = rows.GetInt64(1), index = rows.GetInt64(2);
            if (id < 0 || id > 0xFFFF || count < 0 || count > 0xFF || index < 0 || index > 0xFF)
                return Fail(error, damaged + "a datablock record is out of range");
            int size = 0;
            const unsigned char* bytes = rows.GetBlob(3, size);
            BlockValue record = MakeBlock(uint16_t(id.ToLong()), BlockBytes(bytes, bytes + size),
                                          uint8_t(count.ToLong()), uint8_t(index.ToLong()));
            const wxString fault = RecordFault(record);
            if (!fault.empty())
                return Fail(error, damaged + fault);
            if (!seen.insert({record.id, record.index}).second)
                return Fail(error, damaged + wxString::Format("datablock %u at index %u appears twice",
                                                              unsigned(record.id), unsigned(record.index)));
            read.records.push_back(std::move(record));
        }
        rows.Finalize();
        db.Close();
    } catch (const wxSQLite3Exception& e) {
        return Fail(error, Reason(e));
    }
    *config = std::move(read);
    return true;
}
