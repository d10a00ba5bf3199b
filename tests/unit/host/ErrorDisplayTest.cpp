// The error display: the code-to-message table (with the program's string
// table linked in), the floating box's geometry, and painting through a
// real window.
#include <gtest/gtest.h>

#include <string>

#include "host/D3DScreensaver.h"
#include "host/ErrorBox.h"

namespace {

struct MessageCase {
    HRESULT code;
    const wchar_t* text;
    bool ownMessage;  // ErrorText's result: false for the unspecified message
};

void PrintTo(const MessageCase& c, std::ostream* out)
{
    *out << "code 0x" << std::hex << static_cast<unsigned long>(c.code);
}

class ErrorMessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ErrorMessageTest, CodeGivesItsMessage)
{
    const MessageCase& c = GetParam();
    CD3DScreensaver saver;
    wchar_t text[512] = L"stale";
    EXPECT_EQ(saver.ErrorText(c.code, text, 512), c.ownMessage);
    EXPECT_EQ(std::wstring(text), c.text);
}

constexpr wchar_t kUnspecified[] = L"There was an unspecified problem with this screen saver.";

const MessageCase kMessages[] = {
    {E_FAIL, kUnspecified, false},
    // Two blanks after the first full stop, as the message has always had.
    {static_cast<HRESULT>(0x82000001),
     L"Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.", true},
    {static_cast<HRESULT>(0x82000007), L"Could not initialize the screen saver.", true},
    {static_cast<HRESULT>(0x8200000E), L"Could not create the Direct3D device.", true},
    {static_cast<HRESULT>(0x82000003), L"Could not find any compatible Direct3D devices.", true},
    {static_cast<HRESULT>(0x82000005), L"No hardware-accelerated Direct3D devices were found.", true},
    {static_cast<HRESULT>(0x82000006),
     L"This screen saver requires functionality that is not available on your Direct3D hardware accelerator.", true},
    {static_cast<HRESULT>(0x82000009),
     L"This screen saver requires functionality that is not available on your Direct3D hardware accelerator "
     L"with the current desktop display settings.",
     true},
    {static_cast<HRESULT>(0x8200000B), L"Could not load required media.", true},
    {static_cast<HRESULT>(0x8200000C), L"Could not reset the Direct3D device.", true},
    {E_OUTOFMEMORY, L"Not enough memory.", true},
    {static_cast<HRESULT>(0x8876017C), L"Not enough video memory.", true},
    {static_cast<HRESULT>(0x8200000F), L"No preview available", true},
    // Codes outside the table, a failed reset's 0 among them.
    {static_cast<HRESULT>(0x8200000D), kUnspecified, false},
    {0, kUnspecified, false},
    {static_cast<HRESULT>(0x80070057), kUnspecified, false},
};

INSTANTIATE_TEST_SUITE_P(Table, ErrorMessageTest, ::testing::ValuesIn(kMessages));

TEST(ErrorMessageCapacity, LongMessageIsCutToTheBuffer)
{
    CD3DScreensaver saver;
    wchar_t text[9];
    saver.ErrorText(static_cast<HRESULT>(0x82000001), text, 9);
    EXPECT_EQ(std::wstring(text), L"Direct3D");
}

struct PlaceCase {
    const char* name;
    RECT bounds;
    bool fill;
    float x, y, width, height, velX, velY;
};

void PrintTo(const PlaceCase& c, std::ostream* out)
{
    *out << c.name;
}

class ErrorBoxPlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ErrorBoxPlaceTest, StartsCentredWithSpeedFromBounds)
{
    const PlaceCase& c = GetParam();
    MonitorRecord record;
    PlaceErrorBox(record, c.bounds, c.fill);
    EXPECT_FLOAT_EQ(record.errorX, c.x);
    EXPECT_FLOAT_EQ(record.errorY, c.y);
    EXPECT_FLOAT_EQ(record.errorWidth, c.width);
    EXPECT_FLOAT_EQ(record.errorHeight, c.height);
    EXPECT_FLOAT_EQ(record.errorVelX, c.velX);
    EXPECT_FLOAT_EQ(record.errorVelY, c.velY);
}

const PlaceCase kPlaces[] = {
    {"Screen1024x768", {0, 0, 1024, 768}, false, 362, 309, 300, 150, 102.4f, 38.4f},
    {"Screen1280x1024", {0, 0, 1280, 1024}, false, 490, 437, 300, 150, 128, 51.2f},
    {"TestWindow600x400", {0, 0, 600, 400}, false, 150, 125, 300, 150, 60, 20},
    // A second monitor's rectangle in the client coordinates of its window.
    {"OffsetMonitor", {-800, 0, 224, 768}, false, -438, 309, 300, 150, 102.4f, 38.4f},
    {"PreviewFills", {0, 0, 152, 112}, true, 0, 0, 152, 112, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, ErrorBoxPlaceTest, ::testing::ValuesIn(kPlaces),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

struct MoveCase {
    const char* name;
    float x, y, velX, velY, dt;
    float newX, newY, newVelX, newVelY;
    bool moved;
};

void PrintTo(const MoveCase& c, std::ostream* out)
{
    *out << c.name;
}

class ErrorBoxMoveTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ErrorBoxMoveTest, MovesAndBouncesInsideBounds)
{
    const MoveCase& c = GetParam();
    const RECT bounds = {0, 0, 1024, 768};
    MonitorRecord record;
    record.errorX = c.x;
    record.errorY = c.y;
    record.errorWidth = 300;
    record.errorHeight = 150;
    record.errorVelX = c.velX;
    record.errorVelY = c.velY;
    EXPECT_EQ(MoveErrorBox(record, bounds, c.dt), c.moved);
    EXPECT_NEAR(record.errorX, c.newX, 1e-3);
    EXPECT_NEAR(record.errorY, c.newY, 1e-3);
    EXPECT_FLOAT_EQ(record.errorVelX, c.newVelX);
    EXPECT_FLOAT_EQ(record.errorVelY, c.newVelY);
}

const MoveCase kMoves[] = {
    {"OneSecondFromCentre", 362, 309, 102.4f, 38.4f, 1.0f, 464.4f, 347.4f, 102.4f, 38.4f, true},
    {"FirstStepDoesNotMove", 362, 309, 102.4f, 38.4f, 0.0f, 362, 309, 102.4f, 38.4f, false},
    // Less than a pixel: the box moves but its painted rectangle does not.
    {"SubPixelStep", 362.1f, 309.1f, 102.4f, 38.4f, 0.005f, 362.612f, 309.292f, 102.4f, 38.4f, false},
    {"RightEdgeTurnsBack", 720, 309, 102.4f, 38.4f, 0.1f, 709.76f, 312.84f, -102.4f, 38.4f, true},
    {"BottomEdgeTurnsBack", 362, 615, 102.4f, 38.4f, 0.1f, 372.24f, 611.16f, 102.4f, -38.4f, true},
    {"LeftAndTopTurnBack", 2, 1, -102.4f, -38.4f, 0.1f, 12.24f, 4.84f, 102.4f, 38.4f, true},
    // Exactly reaching an edge is allowed; only passing it turns the box.
    {"ReachingEdgeKeepsCourse", 714, 309, 100.0f, 0.0f, 0.1f, 724, 309, 100.0f, 0.0f, true},
};

INSTANTIATE_TEST_SUITE_P(Table, ErrorBoxMoveTest, ::testing::ValuesIn(kMoves),
                         [](const ::testing::TestParamInfo<MoveCase>& info) { return info.param.name; });

// Paints the window's error box into a bitmap the size of its client area.
class PaintedWindow {
public:
    PaintedWindow(CD3DScreensaver& saver, HWND window) : saver_(saver), window_(window)
    {
        RECT client;
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width_, height_};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        saver_.PaintError(window_, dc_);
    }
    ~PaintedWindow()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    CD3DScreensaver& saver_;
    HWND window_;
    int width_ = 0, height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

class ErrorBoxWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ErrorBoxTestWindow";
        RegisterClassW(&wc);
        RECT rc = {50, 50, 650, 450};
        AdjustWindowRect(&rc, WS_CAPTION, FALSE);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"error", WS_CAPTION, rc.left, rc.top, rc.right - rc.left,
                                  rc.bottom - rc.top, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        saver_.saverMode_ = SaverMode::TestWindow;
        saver_.mainWindow_ = window_;
        saver_.errorFlag_ = true;
        saver_.errorCode_ = static_cast<HRESULT>(0x8200000B);
    }
    void TearDown() override
    {
        if (window_ != nullptr) DestroyWindow(window_);
    }

    CD3DScreensaver saver_;
    HWND window_ = nullptr;
};

TEST_F(ErrorBoxWindowTest, TestWindowPaintsItsOwnRecordsBox)
{
    // The window's own record is not the record of the monitor it is on: the
    // box must still be found through the window.
    saver_.monitorCount_ = 2;
    saver_.monitors_[0].saverWindow = window_;
    saver_.monitors_[1].monitor = MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    saver_.AnimateErrorBox();
    EXPECT_EQ(std::wstring(saver_.errorText_), L"Could not load required media.");
    const MonitorRecord& record = saver_.monitors_[0];
    EXPECT_FLOAT_EQ(record.errorX, 150);
    EXPECT_FLOAT_EQ(record.errorY, 125);
    EXPECT_EQ(saver_.monitors_[1].errorWidth, 0);

    PaintedWindow painted(saver_, window_);
    const COLORREF boxColour = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(painted.Pixel(160, 135), boxColour);     // inside the box, away from the text
    EXPECT_EQ(painted.Pixel(150, 125), RGB(0, 0, 0));  // its frame
    EXPECT_EQ(painted.Pixel(10, 10), RGB(0, 0, 0));    // the rest of the window is black
    EXPECT_EQ(painted.Pixel(590, 390), RGB(0, 0, 0));
    // Text in the middle rows of the box: some pixel differs from the box colour.
    bool text = false;
    for (int x = 155; x < 445 && !text; ++x) {
        for (int y = 190; y < 210 && !text; ++y) text = painted.Pixel(x, y) != boxColour;
    }
    EXPECT_TRUE(text);
}

TEST_F(ErrorBoxWindowTest, PreviewIsFilledWithTheMessageAndStill)
{
    saver_.saverMode_ = SaverMode::Preview;
    saver_.errorCode_ = static_cast<HRESULT>(0x8200000F);
    saver_.monitorCount_ = 1;
    saver_.monitors_[0].saverWindow = window_;
    saver_.AnimateErrorBox();
    Sleep(100);
    saver_.AnimateErrorBox();
    EXPECT_EQ(std::wstring(saver_.errorText_), L"No preview available");
    const MonitorRecord& record = saver_.monitors_[0];
    EXPECT_EQ(record.errorX, 0);
    EXPECT_EQ(record.errorY, 0);
    EXPECT_EQ(record.errorWidth, 600);
    EXPECT_EQ(record.errorHeight, 400);

    PaintedWindow painted(saver_, window_);
    const COLORREF boxColour = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(painted.Pixel(0, 200), RGB(0, 0, 0));  // the frame
    EXPECT_EQ(painted.Pixel(5, 5), boxColour);
    EXPECT_EQ(painted.Pixel(594, 394), boxColour);
    int textPixels = 0;
    for (int x = 200; x < 400; ++x) {
        for (int y = 180; y < 220; ++y) textPixels += painted.Pixel(x, y) != boxColour ? 1 : 0;
    }
    EXPECT_GT(textPixels, 0);
}

TEST_F(ErrorBoxWindowTest, BoxMovesWithTimeAndIsBlackBeforePlacement)
{
    saver_.monitorCount_ = 1;
    saver_.monitors_[0].saverWindow = window_;
    saver_.AnimateErrorBox();
    Sleep(200);
    saver_.AnimateErrorBox();
    const MonitorRecord& record = saver_.monitors_[0];
    EXPECT_GT(record.errorX, 150 + 60 * 0.1f);
    EXPECT_GT(record.errorY, 125 + 20 * 0.1f);

    // Before the error mode has placed a box, painting leaves all black.
    saver_.monitors_[0].errorWidth = 0;
    PaintedWindow painted(saver_, window_);
    EXPECT_EQ(painted.Pixel(300, 200), RGB(0, 0, 0));
}

}  // namespace
