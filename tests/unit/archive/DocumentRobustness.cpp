#include "DocumentRobustness.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "AllocationProbe.h"

namespace {

constexpr size_t kAllocationFactor = 16;
constexpr size_t kAllocationSlack = 4096;
constexpr uint8_t kBoundaryBytes[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};

// Loads one document copy (sized exactly, so nothing lies past its end)
// and adds the outcome to report.
void LoadOnce(const std::vector<uint8_t>& bytes, const DocumentLoader& loader, RobustnessReport& report)
{
    std::unique_ptr<SceneDocumentContent> content = loader.makeContent();
    HRESULT result = E_FAIL;
    {
        AllocationProbe probe(report.allocationLimit);
        result = ReadSceneDocument(bytes.data(), bytes.size(), *loader.classes, *content);
        report.largestAllocation = std::max(report.largestAllocation, probe.Largest());
    }
    if (result == S_OK) {
        ++report.loaded;
    } else if (result == kErrSceneDocument) {
        ++report.rejected;
    } else {
        if (report.unexpected++ == 0) report.firstUnexpected = result;
    }
}

class Stopwatch {
public:
    double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

}  // namespace

size_t AllocationLimitFor(size_t documentSize)
{
    return documentSize * kAllocationFactor + kAllocationSlack;
}

RobustnessReport LoadPrefixes(const std::vector<uint8_t>& document, const DocumentLoader& loader, size_t denseEnd,
                              size_t stride)
{
    RobustnessReport report;
    report.allocationLimit = AllocationLimitFor(document.size());
    const Stopwatch clock;
    for (size_t length = 0; length < document.size(); length += length < denseEnd ? 1 : std::max<size_t>(stride, 1)) {
        const std::vector<uint8_t> prefix(document.begin(), document.begin() + length);
        LoadOnce(prefix, loader, report);
    }
    report.seconds = clock.Seconds();
    return report;
}

RobustnessReport LoadMutations(const std::vector<uint8_t>& document, const DocumentLoader& loader, uint32_t seed,
                               size_t mutationCount)
{
    RobustnessReport report;
    report.allocationLimit = AllocationLimitFor(document.size());
    if (document.empty()) return report;
    std::mt19937 random(seed);
    auto below = [&random](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    const Stopwatch clock;
    for (size_t m = 0; m < mutationCount; ++m) {
        std::vector<uint8_t> mutated = document;
        const size_t changes = 1 + below(4);
        for (size_t c = 0; c < changes; ++c) {
            uint8_t& target = mutated[below(mutated.size())];
            switch (below(3)) {
                case 0:
                    target = static_cast<uint8_t>(below(256));
                    break;
                case 1:
                    target = kBoundaryBytes[below(sizeof(kBoundaryBytes))];
                    break;
                default:
                    target ^= static_cast<uint8_t>(1u << below(8));
                    break;
            }
        }
        if (below(8) == 0) mutated.resize(below(mutated.size()));
        LoadOnce(mutated, loader, report);
    }
    report.seconds = clock.Seconds();
    return report;
}
