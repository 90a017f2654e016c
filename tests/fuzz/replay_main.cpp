// Runs a fuzz target without libFuzzer: every file of the corpus folders given, then a fixed
// number of deterministic mutations of them (byte flips, truncations, insertions of line ends
// and digits). Used by the test suite; `make fuzz` runs the real fuzzers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::string> corpus;
    int mutations = 2000;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--mutations=", 0) == 0) {
            mutations = std::atoi(a.c_str() + 12);
            continue;
        }
        std::filesystem::path p(a);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path());
        } else if (std::filesystem::exists(p)) {
            files.push_back(p);
        }
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
        }
    }
    corpus.emplace_back();
    corpus.emplace_back("12abc\r\n\x81\r\n-\r\n");
    for (const auto& c : corpus)
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(c.data()), c.size());

    std::mt19937 rng(20261208);
    const char inserts[] = {'\r', '\n', '0', '9', '-', ' ', '\t', '\x81', '\xff', '\0'};
    for (int m = 0; m < mutations; ++m) {
        std::string s = corpus[rng() % corpus.size()];
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 4) {
                case 0:
                    if (!s.empty()) s[rng() % s.size()] = static_cast<char>(rng());
                    break;
                case 1:
                    if (!s.empty()) s.resize(rng() % s.size());
                    break;
                case 2:
                    s.insert(s.begin() + (s.empty() ? 0 : rng() % s.size()),
                             inserts[rng() % sizeof inserts]);
                    break;
                default:
                    if (s.size() > 2) s.erase(rng() % s.size(), 1 + rng() % 16);
                    break;
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    }
    std::printf("%zu corpus inputs and %d mutations ran\n", corpus.size(), mutations);
    return 0;
}
