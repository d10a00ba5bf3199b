// Loads a scene document, every proper prefix of it and seeded byte
// mutations of it, and prints how many loaded, were rejected or ended any
// other way, the largest single allocation and how long it took.
//
// Usage: doc_robustness [document-path | --small] [mutations] [seed]
// A document is read with the program's own classes, as the saver reads its
// embedded document; without a path that is the document the build embeds
// (res/scene.kvb of the build). --small uses the small test document of the
// archive unit tests, read into their test classes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <fstream>
#include <iterator>

#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/scene/SlideShow.h"
#include "unit/archive/DocumentRobustness.h"
#include "unit/archive/TestSceneClasses.h"

namespace {

constexpr size_t kDefaultMutations = 5000;
// Every cut through the first bytes (the records and the start of the stored
// resources), then one cut in kCutStride: each load copies the stored
// pictures, so cutting a large document at every byte would take hours.
constexpr size_t kDenseCuts = 16384;
constexpr size_t kCutStride = 251;
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
    const bool small = argc > 1 && std::strcmp(argv[1], "--small") == 0;
    const std::string path = argc > 1 ? argv[1] : std::string(CORVALLINE_BINARY_DIR) + "/res/scene.kvb";
    std::vector<uint8_t> document;
    if (small) {
        document = archive_test::MakeSmallTestDocument();
    } else if (!ReadFileBytes(path.c_str(), document)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 2;
    }
    const size_t mutations = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : kDefaultMutations;
    const uint32_t seed = argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : kDefaultSeed;

    SceneClassRegistry classes;
    DocumentLoader loader;
    loader.classes = &classes;
    if (small) {
        loader.makeContent = [] { return std::make_unique<archive_test::TestSceneContent>(); };
    } else {
        RegisterSceneClasses(classes);
        loader.makeContent = [] { return std::make_unique<SlideShowContent>(); };
    }

    const std::unique_ptr<SceneDocumentContent> whole = loader.makeContent();
    const HRESULT wholeResult = ReadSceneDocument(document.data(), document.size(), classes, *whole);
    std::printf("document   %zu bytes, loads with 0x%08lX\n", document.size(), static_cast<unsigned long>(wholeResult));
    std::fflush(stdout);
    const RobustnessReport prefixes = LoadPrefixes(document, loader, kDenseCuts, kCutStride);
    Print("prefixes", prefixes);
    std::fflush(stdout);
    const RobustnessReport mutated = LoadMutations(document, loader, seed, mutations);
    Print("mutations", mutated);
    const bool sound = prefixes.unexpected == 0 && mutated.unexpected == 0 &&
                       prefixes.largestAllocation <= prefixes.allocationLimit &&
                       mutated.largestAllocation <= mutated.allocationLimit;
    return sound ? 0 : 1;
}
