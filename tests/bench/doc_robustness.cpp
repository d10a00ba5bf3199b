// Loads a scene document, every proper prefix of it and seeded byte
// mutations of it, and prints how many loaded, were rejected or ended any
// other way, the largest single allocation and how long it took.
//
// Usage: doc_robustness [document-path] [mutations] [seed]
// Without a path it uses the small test document. The documents are read
// into the test classes of the archive unit tests until the slideshow's
// own classes read them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "unit/archive/DocumentRobustness.h"
#include "unit/archive/TestSceneClasses.h"

namespace {

constexpr size_t kDefaultMutations = 5000;
constexpr uint32_t kDefaultSeed = 20261210u;

bool ReadFileBytes(const char* path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

void Print(const char* what, const RobustnessReport& report)
{
    std::printf(
        "%-10s loaded %zu, rejected %zu, other %zu (first 0x%08lX), largest allocation %zu of %zu allowed, %.3f s\n",
        what, report.loaded, report.rejected, report.unexpected, static_cast<unsigned long>(report.firstUnexpected),
        report.largestAllocation, report.allocationLimit, report.seconds);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<uint8_t> document;
    if (argc > 1) {
        if (!ReadFileBytes(argv[1], document)) {
            std::fprintf(stderr, "cannot read %s\n", argv[1]);
            return 2;
        }
    } else {
        document = archive_test::MakeSmallTestDocument();
    }
    const size_t mutations = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : kDefaultMutations;
    const uint32_t seed = argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : kDefaultSeed;

    const SceneClassRegistry classes;
    DocumentLoader loader;
    loader.classes = &classes;
    loader.makeContent = [] { return std::make_unique<archive_test::TestSceneContent>(); };

    archive_test::TestSceneContent whole;
    const HRESULT wholeResult = ReadSceneDocument(document.data(), document.size(), classes, whole);
    std::printf("document   %zu bytes, loads with 0x%08lX\n", document.size(), static_cast<unsigned long>(wholeResult));
    const RobustnessReport prefixes = LoadPrefixes(document, loader);
    Print("prefixes", prefixes);
    const RobustnessReport mutated = LoadMutations(document, loader, seed, mutations);
    Print("mutations", mutated);
    const bool sound = prefixes.unexpected == 0 && mutated.unexpected == 0 &&
                       prefixes.largestAllocation <= prefixes.allocationLimit &&
                       mutated.largestAllocation <= mutated.allocationLimit;
    return sound ? 0 : 1;
}
