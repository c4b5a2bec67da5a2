#include "tests/support/TempDir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "text/CodePage.h"

namespace veltrano::test {

Text directoryText(const std::filesystem::path& path) {
    return wideToCodePage936(WideText(path.u16string()));
}

TempDir::TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("veltrano-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::map<std::string, std::string> filesIn(const std::filesystem::path& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            const std::u8string name = entry.path().filename().u8string();
            files[std::string(name.begin(), name.end())] = readFile(entry.path());
        }
    }
    return files;
}

}  // namespace veltrano::test
