// The music graph with real DirectShow: files played through the audio
// device, events delivered to the saver window as messages. Skips when the
// machine has no audio device.
#include <gtest/gtest.h>

#include <control.h>

#include <string>
#include <vector>

#include "engine/resources/ComPtr.h"
#include "host/MoireScreensaver.h"
#include "sound/MusicGraph.h"
#include "sound/SoundDevice.h"
#include "unit/sound/SoundFixtures.h"


namespace {

constexpr long kComplete = 1;

// The application with its real music hooks; it counts the ends of files and
// notes which file plays after each.
class ListeningSaver : public CMoireScreensaver {
public:
    void OnMusicEvent(long code) override
    {
        CMoireScreensaver::OnMusicEvent(code);
        if (code != kComplete) return;
        currentAfterEnd.push_back(music_.Current());
        sourcesAfterEnd.push_back(CountSources());
    }

    static int CountSources()
    {
        IGraphBuilder* builder = MusicGraphBuilder();
        if (builder == nullptr) return -1;
        ComPtr<IEnumFilters> filters;
        if (FAILED(builder->EnumFilters(filters.ReleaseAndGetAddressOf()))) return -1;
        int count = 0;
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
            ComPtr<IFileSourceFilter> source;
            if (SUCCEEDED(
                    filter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(source.ReleaseAndGetAddressOf())))) {
                ++count;
            }
        }
        return count;
    }

    std::vector<int> currentAfterEnd;
    std::vector<int> sourcesAfterEnd;
};

LRESULT CALLBACK ForwardToSaver(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    CD3DScreensaver* saver = TheScreensaver();
    if (saver == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return saver->WindowProc(window, message, wparam, lparam);
}

class MusicGraphPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsound::HasAudioDevice()) GTEST_SKIP() << "no audio device";
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ForwardToSaver;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MusicGraphTestWindow";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"music", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        saver_.mainWindow_ = window_;
        ASSERT_TRUE(InitMusicGraph(window_));
    }

    void TearDown() override
    {
        ReleaseMusicGraph();
        if (window_ != nullptr) DestroyWindow(window_);
        for (const std::wstring& path : files_) DeleteFileW(path.c_str());
    }

    std::wstring Tone(const wchar_t* name, double frequency, double seconds)
    {
        std::wstring path = testsound::WriteToneFile(name, frequency, seconds);
        files_.push_back(path);
        return path;
    }

    // Runs the message loop until `ends` files have ended or the time is up.
    void PumpUntilEnds(size_t ends, DWORD timeoutMs)
    {
        const DWORD start = GetTickCount();
        while (saver_.currentAfterEnd.size() < ends && GetTickCount() - start < timeoutMs) PumpOnce();
    }

    // Runs the message loop for ms milliseconds.
    void Pump(DWORD ms)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) PumpOnce();
    }
    static void PumpOnce()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }

    // The music graph's state (waiting up to a second for a change to
    // finish) and its position in 100 ns units; -1 without a graph.
    static OAFilterState GraphState()
    {
        ComPtr<IMediaControl> control;
        if (MusicGraphBuilder() == nullptr ||
            FAILED(MusicGraphBuilder()->QueryInterface(IID_IMediaControl,
                                                       reinterpret_cast<void**>(control.ReleaseAndGetAddressOf())))) {
            return -1;
        }
        OAFilterState state = -1;
        control->GetState(1000, &state);
        return state;
    }
    static LONGLONG GraphPosition()
    {
        ComPtr<IMediaSeeking> seeking;
        LONGLONG position = -1;
        if (MusicGraphBuilder() != nullptr &&
            SUCCEEDED(MusicGraphBuilder()->QueryInterface(IID_IMediaSeeking,
                                                          reinterpret_cast<void**>(seeking.ReleaseAndGetAddressOf())))) {
            seeking->GetCurrentPosition(&position);
        }
        return position;
    }

    ListeningSaver saver_;
    HWND window_ = nullptr;
    std::vector<std::wstring> files_;
};

TEST_F(MusicGraphPlayback, NextFileStartsWhenOneEndsAndOldSourceLeaves)
{
    const std::wstring first = Tone(L"corvalline-music-a.wav", 440, 0.4);
    const std::wstring second = Tone(L"corvalline-music-b.wav", 880, 0.4);
    ASSERT_FALSE(first.empty());
    saver_.music_.Start({first, second});
    EXPECT_EQ(ListeningSaver::CountSources(), 1);
    PumpUntilEnds(3, 20000);
    // After file 1 ends file 2 plays, then file 1 again, then file 2.
    EXPECT_EQ(saver_.currentAfterEnd, (std::vector<int>{1, 0, 1}));
    // Only the playing file's source filter is in the graph.
    EXPECT_EQ(saver_.sourcesAfterEnd, (std::vector<int>{1, 1, 1}));
}

TEST_F(MusicGraphPlayback, SingleFileIsRewoundAndPlaysAgain)
{
    const std::wstring only = Tone(L"corvalline-music-single.wav", 660, 0.3);
    saver_.music_.Start({only});
    PumpUntilEnds(2, 20000);
    EXPECT_EQ(saver_.currentAfterEnd, (std::vector<int>{0, 0}));
    EXPECT_EQ(saver_.sourcesAfterEnd, (std::vector<int>{1, 1}));
}

TEST_F(MusicGraphPlayback, UnplayableFilesGiveSilenceNotACrash)
{
    // A missing file and a file that is no audio at all: nothing plays, no
    // end of file arrives, and the graph stays usable.
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring garbage = std::wstring(folder) + L"corvalline-music-garbage.wav";
    files_.push_back(garbage);
    HANDLE file = CreateFileW(garbage.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "RIFF\x10\0\0\0WAVEjunkjunk", 20, &written, nullptr);
    CloseHandle(file);

    for (const std::wstring& path : {std::wstring(folder) + L"corvalline-no-such-file.mp3", garbage}) {
        saver_.music_.Start({path});
        PumpUntilEnds(1, 1500);
        EXPECT_TRUE(saver_.currentAfterEnd.empty());
    }
    // A good file still plays afterwards.
    saver_.music_.Start({Tone(L"corvalline-music-after.wav", 440, 0.3)});
    PumpUntilEnds(1, 20000);
    EXPECT_EQ(saver_.currentAfterEnd, (std::vector<int>{0}));
}

TEST_F(MusicGraphPlayback, DeviceResetHoldsMusicInItsGraphAndPlaysItOn)
{
    const std::wstring first = Tone(L"corvalline-music-r1.wav", 440, 1.5);
    const std::wstring second = Tone(L"corvalline-music-r2.wav", 880, 0.3);
    saver_.music_.Start({first, second});
    IGraphBuilder* graph = MusicGraphBuilder();
    ASSERT_NE(graph, nullptr);
    Pump(400);
    ASSERT_EQ(GraphState(), State_Running);

    // A device reset's invalidate: the music holds where it is, in the same
    // graph, and stays held while the device is away.
    saver_.InvalidateDeviceObjects();
    EXPECT_EQ(MusicGraphBuilder(), graph);
    EXPECT_EQ(GraphState(), State_Paused);
    const LONGLONG held = GraphPosition();
    EXPECT_GT(held, 0);
    Pump(300);
    EXPECT_EQ(GraphState(), State_Paused);
    // An invalidate of another unit before the restore changes nothing.
    saver_.InvalidateDeviceObjects();
    EXPECT_EQ(GraphState(), State_Paused);

    // The restore plays it on from where it was, not from its start, and
    // the playlist goes on with the next file.
    saver_.RestoreDeviceObjects();
    EXPECT_EQ(MusicGraphBuilder(), graph);
    EXPECT_EQ(GraphState(), State_Running);
    EXPECT_GE(GraphPosition(), held);
    PumpUntilEnds(1, 20000);
    EXPECT_EQ(saver_.currentAfterEnd, (std::vector<int>{1}));

    // The last invalidate (error display, end of the saver) leaves it held.
    saver_.InvalidateDeviceObjects();
    Pump(200);
    EXPECT_EQ(GraphState(), State_Paused);
    EXPECT_EQ(saver_.currentAfterEnd, (std::vector<int>{1}));
}

TEST(MusicGraphReleased, EveryOperationIsSafeWithoutGraph)
{
    ReleaseMusicGraph();
    EXPECT_EQ(MusicGraphBuilder(), nullptr);
    EXPECT_EQ(GetMusicEvent(), -1);
    EXPECT_FALSE(RenderMusicFile(L"C:\\nothing.mp3"));
    EXPECT_FALSE(ReconnectAndRun(nullptr));
    PlayMusicFile(L"C:\\nothing.mp3");
    RestartMusic();
    SetMusicVolume(50, false);
    ReleaseMusicGraph();
    // A message that arrives after the release takes no event.
    CMoireScreensaver saver;
    saver.WindowProc(nullptr, kMusicEventMessage, 0, 0);
    EXPECT_EQ(saver.music_.Current(), -1);
}

}  // namespace
