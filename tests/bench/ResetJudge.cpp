#include "bench/ResetJudge.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A pixel whose channels all stay at or under this level counts as black.
constexpr uint32_t kBlackLevel = 8;
// The allowance's margin over the largest motion seen, and its floor (a
// still scene still changes by a little rounding between frames).
constexpr double kAllowanceMargin = 1.5;
constexpr double kAllowanceFloor = 1.0;
// The shortest frame interval the time scaling divides by, and the most a
// motion is scaled: a pair of frames a few milliseconds apart (the frame
// loop's pause off) says little about how far the animation goes in the
// time of a reset, and differences do not grow without bound.
constexpr double kMinSeconds = 0.001;
constexpr double kMaxTimeScale = 4.0;

}  // namespace

void ResetJudge::Take(IDirect3DDevice9* device, FrameShot& shot)
{
    shot.pixels.clear();
    ComPtr<IDirect3DSurface9> backBuffer;
    if (device == nullptr ||
        FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.ReleaseAndGetAddressOf()))) {
        return;
    }
    D3DSURFACE_DESC desc = {};
    backBuffer->GetDesc(&desc);
    if (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8) return;
    D3DSURFACE_DESC kept = {};
    if (readBack_) readBack_->GetDesc(&kept);
    if (!readBack_ || kept.Width != desc.Width || kept.Height != desc.Height || kept.Format != desc.Format) {
        if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                       readBack_.ReleaseAndGetAddressOf(), nullptr))) {
            return;
        }
    }
    if (FAILED(device->GetRenderTargetData(backBuffer.Get(), readBack_.Get()))) return;
    D3DLOCKED_RECT locked = {};
    if (FAILED(readBack_->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return;
    const auto* base = static_cast<const uint8_t*>(locked.pBits);
    for (UINT y = 0; y < desc.Height; y += kShotStep) {
        const auto* row = reinterpret_cast<const uint32_t*>(base + static_cast<size_t>(y) * locked.Pitch);
        for (UINT x = 0; x < desc.Width; x += kShotStep) shot.pixels.push_back(row[x] & 0x00FFFFFFu);
    }
    readBack_->UnlockRect();
}

bool ResetJudge::Comparable(const FrameShot& a, const FrameShot& b)
{
    return !a.pixels.empty() && a.pixels.size() == b.pixels.size() && a.fade == 0.0f && b.fade == 0.0f &&
           a.slide == b.slide;
}

double ResetJudge::Difference(const FrameShot& a, const FrameShot& b)
{
    if (a.pixels.empty() || a.pixels.size() != b.pixels.size()) return -1.0;
    uint64_t sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int pa = static_cast<int>((a.pixels[i] >> shift) & 0xFFu);
            const int pb = static_cast<int>((b.pixels[i] >> shift) & 0xFFu);
            sum += static_cast<uint64_t>(std::abs(pa - pb));
        }
    }
    return static_cast<double>(sum) / (3.0 * static_cast<double>(a.pixels.size()));
}

bool ResetJudge::IsBlack(const FrameShot& shot)
{
    return std::all_of(shot.pixels.begin(), shot.pixels.end(), [](uint32_t p) {
        return (p & 0xFFu) <= kBlackLevel && ((p >> 8) & 0xFFu) <= kBlackLevel && ((p >> 16) & 0xFFu) <= kBlackLevel;
    });
}

void ResetJudge::NoteMotion(const FrameShot& earlier, const FrameShot& later)
{
    if (!Comparable(earlier, later)) return;
    motions_.push_back(Motion{Difference(earlier, later), std::max(kMinSeconds, double(later.appTime - earlier.appTime))});
}

ResetVerdict ResetJudge::Judge(const FrameShot& before, const FrameShot& after)
{
    if (!Comparable(before, after) || motions_.empty()) return ResetVerdict::NotJudged;
    // Any motion seen may go on for the whole time between the two frames.
    const double seconds = std::max(kMinSeconds, double(after.appTime - before.appTime));
    double allowance = 0.0;
    for (const Motion& motion : motions_) {
        const double scale = std::min(kMaxTimeScale, std::max(1.0, seconds / motion.seconds));
        allowance = std::max(allowance, motion.difference * scale);
    }
    lastAllowance_ = allowance * kAllowanceMargin + kAllowanceFloor;
    lastDifference_ = Difference(before, after);
    worstShare_ = std::max(worstShare_, lastDifference_ / lastAllowance_);
    if (lastDifference_ <= lastAllowance_) return ResetVerdict::Shown;
    return IsBlack(after) ? ResetVerdict::Black : ResetVerdict::Differs;
}
