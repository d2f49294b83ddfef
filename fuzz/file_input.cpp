#include "file_input.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

const std::string& FuzzFolder()
{
    static const std::string folder = [] {
        const char* tmp = getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantrel-fuzz-XXXXXX";
        if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0)
            abort();
        return dir;
    }();
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
