// Runs a fuzz target without libFuzzer: every file of the given folders, each also cut short
// at every length and with each of its first bytes changed, every input in a buffer of its
// exact size so that a read past the end is caught by the sanitizers. Used as a plain test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunExact(const std::vector<std::uint8_t>& bytes, std::size_t size) {
    // A fresh allocation of exactly `size` bytes: nothing valid lies behind the input.
    auto buffer = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), buffer.get());
    LLVMFuzzerTestOneInput(buffer.get(), size);
}

std::size_t Replay(std::vector<std::uint8_t> bytes) {
    std::size_t runs = 0;
    for (std::size_t size = 0; size <= bytes.size(); ++size, ++runs) RunExact(bytes, size);
    const std::size_t header = std::min<std::size_t>(bytes.size(), 64);
    for (std::size_t at = 0; at < header; ++at) {
        const std::uint8_t original = bytes[at];
        for (const std::uint8_t changed :
             {std::uint8_t{0x00}, std::uint8_t{0xFF}, static_cast<std::uint8_t>(original + 1),
              static_cast<std::uint8_t>(original ^ 0x80)}) {
            bytes[at] = changed;
            RunExact(bytes, bytes.size());
            ++runs;
        }
        bytes[at] = original;
    }
    return runs;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t files = 0;
    std::size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
            runs += Replay(std::move(bytes));
            ++files;
        }
    }
    std::printf("replayed %zu inputs from %zu files\n", runs, files);
    return files == 0 ? 1 : 0;
}
