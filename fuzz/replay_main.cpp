// Runs a fuzz target's entry point once on every file of the folders given,
// so the seed corpus is an ordinary test in builds without libFuzzer.
// Fails when a folder is missing or holds no file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool replay_folder(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "%s: not a folder\n", folder.c_str());
        return false;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", folder.c_str(), ec.message().c_str());
        return false;
    }
    if (files.empty()) {
        std::fprintf(stderr, "%s: no inputs\n", folder.c_str());
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) {
            std::fprintf(stderr, "%s: cannot read\n", file.c_str());
            return false;
        }
        // libFuzzer never passes a null pointer, not even for no bytes.
        const uint8_t none = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed from %s\n", files.size(), folder.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (int i = 1; i < argc; ++i)
        ok = replay_folder(argv[i]) && ok;
    return ok ? 0 : 1;
}
