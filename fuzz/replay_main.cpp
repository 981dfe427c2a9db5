// The corpus replay: the main that the normal builds link with a fuzz
// target's source instead of libFuzzer. Every argument is a file or a
// folder; each file (a folder's files in name order) is handed to
// LLVMFuzzerTestOneInput once. A target that finds a fault aborts, which
// fails the test; finding no input at all fails it too, so that a moved
// corpus is noticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Defined by the targets that need set-up (the Qt-based ones).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Collect(const std::filesystem::path& path, std::vector<std::filesystem::path>& files)
{
    if (!std::filesystem::is_directory(path)) {
        files.push_back(path);
        return;
    }
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    for (const auto& entry : entries)
        Collect(entry, files);
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i)
        Collect(argv[i], files);
    if (files.empty()) {
        std::fprintf(stderr, "replay: no input files\n");
        return 1;
    }
    for (const auto& file : files) {
        const std::vector<uint8_t> bytes = ReadFile(file);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replay: %zu inputs, no fault\n", files.size());
    return 0;
}
