// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target once over every file of the folders (or files) given, without the fuzzing engine:
// the saved corpora and the inputs that once crashed become ordinary tests.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

int replay(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::cout << "replay " << file.string() << " (" << bytes.size() << " bytes)" << std::endl;
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char **argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_regular_file(given, ec)) {
            replay(given);
            ++count;
            continue;
        }
        if (!std::filesystem::is_directory(given, ec))
            continue; // a target need not have regressions yet
        std::vector<std::filesystem::path> files;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(given, ec))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto &file : files) {
            replay(file);
            ++count;
        }
    }
    std::cout << "replayed " << count << " inputs" << std::endl;
    return 0;
}
