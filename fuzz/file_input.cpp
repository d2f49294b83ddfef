#include "file_input.h"

#include <stdlib.h>
#include <wx/debug.h>
#include <wx/string.h>

#include <cstdio>
#include <filesystem>

const std::string& FuzzFolder()
{
    // The working folder stays: libFuzzer reads its corpus by relative paths.
    static const std::string folder = [] {
        const char* tmp = getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantrel-fuzz-XXXXXX";
        if (!mkdtemp(dir.data()))
            abort();
        return dir;
    }();
    static const int removed = atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    (void)removed;
    return folder;
}

std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* name)
{
    const std::string path = FuzzFolder() + "/" + name;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0)
        abort();
    return path;
}

void AbortOnToolkitAssert()
{
    static const bool set = [] {
        wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                              const wxString& msg) {
            std::fprintf(stderr, "toolkit assertion %s:%d %s: %s %s\n", file.utf8_string().c_str(), line,
                         func.utf8_string().c_str(), cond.utf8_string().c_str(), msg.utf8_string().c_str());
            abort();
        });
        return true;
    }();
    (void)set;
}
