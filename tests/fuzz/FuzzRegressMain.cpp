// Runs a fuzz target over stored inputs without libFuzzer, so every build
// replays the seed corpus and every input that once failed.
//
// Usage: fuzz_regress_<name> <dir-or-file>...
// Each file directly inside a directory is one input (hidden files such as
// .gitkeep are skipped). A missing argument path is an error. A failing input
// aborts inside the target; the file being run is printed first.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool collect(const fs::path& arg, std::vector<fs::path>& files)
{
    std::error_code ec;
    if (fs::is_regular_file(arg, ec)) {
        files.push_back(arg);
        return true;
    }
    if (!fs::is_directory(arg, ec)) {
        std::fprintf(stderr, "no such input file or directory: %s\n", arg.c_str());
        return false;
    }
    const std::size_t first = files.size();
    for (const fs::directory_entry& entry : fs::directory_iterator(arg, ec))
        if (entry.is_regular_file() && entry.path().filename().string().rfind('.', 0) != 0)
            files.push_back(entry.path());
    std::sort(files.begin() + first, files.end());
    return !ec;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <dir-or-file>...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i)
        if (!collect(argv[i], files))
            return 2;
    for (const fs::path& file : files) {
        std::fprintf(stderr, "input %s\n", file.c_str());
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 2;
        }
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs ran without a failure\n", files.size());
    return 0;
}
