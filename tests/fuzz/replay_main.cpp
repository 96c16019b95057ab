// Replays saved fuzz inputs through a fuzz target in the ordinary build: every file of the
// folders given on the command line (and every file given directly) is fed to the target.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Rejouer(const std::filesystem::path& fichier) {
    std::ifstream in(fichier, std::ios::binary);
    std::vector<char> octets((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(octets.data()), octets.size());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    int n = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path chemin(argv[i]);
        if (std::filesystem::is_directory(chemin)) {
            for (const auto& entree : std::filesystem::recursive_directory_iterator(chemin)) {
                if (entree.is_regular_file()) {
                    n += Rejouer(entree.path());
                }
            }
        } else if (std::filesystem::is_regular_file(chemin)) {
            n += Rejouer(chemin);
        }
    }
    // The empty input always runs too, so a target is exercised even with no saved files.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d passed, 0 failed\n", n + 1);
    return 0;
}
