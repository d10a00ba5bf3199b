// Measures a run of frames for the frame benchmark and its reference
// program: wall time per frame, processor time of the frame-loop thread and
// of the whole process, what the frames sent to the device, the time from
// process start to the first presented frame, and the working set.
//
// The caller reports every presented frame. Frames before the scene plays
// (a splash, the load) and a warm-up of scene frames (at least one) are not
// measured; the measured run is the next `frames` scene frames. Everything the meter
// keeps per frame is reserved up front: measuring allocates nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

// The options both benchmark programs take: the window's client size, the
// measured and warm-up frames and whether the frame loop sleeps as the
// saver's does.
struct RunOptions {
    int width = 1024;
    int height = 768;
    unsigned frames = 1000;
    unsigned warmup = 100;
    bool sleep = false;

    // Reads argv[i] (and its value, advancing i) when it is "--size WxH",
    // "--frames N", "--warmup N" or "--sleep". Returns false, reading
    // nothing, for any other argument; sets bad for a value that is missing
    // or not a size.
    bool Read(int argc, char** argv, int& i, bool& bad);
    bool Valid() const { return width > 0 && height > 0 && frames > 0; }
};

// What one presented frame sent to the device.
struct FrameCounts {
    uint32_t drawCalls = 0;
    uint32_t targetSwitches = 0;
    uint32_t fullScreenPasses = 0;
};

class FrameMeter {
public:
    FrameMeter(unsigned frames, unsigned warmup);

    // After the presents of every frame, on the frame-loop thread. scene:
    // the frame drew the scene (not the splash nor the load).
    void FramePresented(bool scene, const FrameCounts& counts);
    bool Done() const { return measured_ >= frames_; }
    // Inside a frame, on the frame-loop thread: marks the start and the end
    // of the frame's own work (update and draw calls, Present left out).
    void BeginFrameWork();
    void EndFrameWork();
    // The scene document is loaded and its objects built (frame_bench only).
    void NoteSceneLoaded() { sceneLoadedMs_ = MsSinceProcessStart(); }
    // Reads the program's allocation count at the start and the end of the
    // measured frames (frame_bench only); without one no allocation figures
    // are printed.
    void CountAllocationsWith(uint64_t (*count)()) { allocationCount_ = count; }
    unsigned MeasuredFrames() const { return measured_; }

    // The figures as "key value" lines, one a line, in a fixed order that
    // tools/bench.sh reads. Wall and processor times in milliseconds per
    // frame, memory in MiB, start times in milliseconds from process start.
    void Print(std::FILE* out) const;

private:
    static double NowMs();
    static double ThreadCpuMs();
    static double ProcessCpuMs();
    // The other threads Windows knows in the process (Wine's Direct3D
    // command-stream thread among them); the rasterizer's threads are not
    // Windows threads and count only in the process's time.
    static double OtherWindowsThreadsCpuMs();
    static double MsSinceProcessStart();
    static void WorkingSet(double& currentMb, double& peakMb);

    unsigned frames_;
    unsigned warmup_;
    unsigned sceneFrames_ = 0;
    unsigned measured_ = 0;
    double firstPresentMs_ = -1.0;
    double firstSceneMs_ = -1.0;
    double sceneLoadedMs_ = -1.0;
    double lastMs_ = 0.0;
    double startThreadCpu_ = 0.0, startProcessCpu_ = 0.0, startOtherCpu_ = 0.0, startWall_ = 0.0;
    double threadCpu_ = 0.0, processCpu_ = 0.0, otherCpu_ = 0.0, wall_ = 0.0;
    double workStartCpu_ = 0.0, workStartWall_ = 0.0;
    double workCpu_ = 0.0, workWall_ = 0.0;
    bool measuring_ = false;
    double earlyWorkingSetMb_ = 0.0, finalWorkingSetMb_ = 0.0, peakWorkingSetMb_ = 0.0;
    uint64_t drawCalls_ = 0, targetSwitches_ = 0, fullScreenPasses_ = 0;
    uint64_t (*allocationCount_)() = nullptr;
    uint64_t startAllocations_ = 0, allocations_ = 0;
    std::vector<double> frameMs_;
};
