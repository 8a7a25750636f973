// Runs a libFuzzer-style target without libFuzzer: every seed file under the corpus folder,
// then random byte strings and random mutations of the seeds. A crash or hang fails the test.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    const long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    std::vector<std::string> seeds;
    if (argc > 2 && std::filesystem::is_directory(argv[2])) {
        for (const auto &e : std::filesystem::recursive_directory_iterator(argv[2])) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    for (const auto &s : seeds)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(s.data()), s.size());

    std::mt19937 rng(12345);
    const std::string interesting = "{}\\'\"#,\r\n \t0123456789abcdefuTRUEFALSE<>;=-";
    for (long i = 0; i < iterations; ++i) {
        std::string in;
        if (!seeds.empty() && i % 2 == 0) {
            in = seeds[rng() % seeds.size()];
            const int edits = 1 + rng() % 8;
            for (int k = 0; k < edits && !in.empty(); ++k) {
                const size_t at = rng() % in.size();
                switch (rng() % 4) {
                case 0: in[at] = char(rng()); break;
                case 1: in.erase(at, 1 + rng() % 16); break;
                case 2: in.insert(at, 1, interesting[rng() % interesting.size()]); break;
                default: in.resize(at); break;
                }
            }
        } else {
            in.resize(rng() % 512);
            for (auto &c : in)
                c = (rng() % 2) ? interesting[rng() % interesting.size()] : char(rng());
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(in.data()), in.size());
    }
    std::printf("%zu seeds and %ld generated inputs, no crash\n", seeds.size(), iterations);
    return 0;
}
