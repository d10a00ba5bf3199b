#include <gtest/gtest.h>

#include <cmath>

#include "engine/params/Random.h"
#include "engine/render/Camera.h"
#include "engine/render/RenderContext.h"
#include "unit/MemoryArchive.h"

namespace {

constexpr float kStep = 0.125f;  // exact in float, so legs start where expected

DSM_Camera DriftingCamera()
{
    DSM_Camera camera;
    camera.enabled = 1;
    camera.ResetDrift();
    return camera;
}

struct PanAt {
    float t;
    float x, y;
};

TEST(CameraTest, SeededDriftPassesThroughKnownPans)
{
    // Legs from the sequence after seed 1: move (41 odd) to (0.1272,
    // -0.6134) until 6.617; move until 13.417; pauses at 13.5 and 14.0;
    // moves from 14.5, 20.625, 26.375; ...
    const PanAt expected[] = {
        {0.0f, 0.0f, 0.0f},
        {1.0f, 0.007032f, -0.033917f},
        {3.0f, 0.054299f, -0.261904f},
        {5.0f, 0.109327f, -0.527327f},
        {8.0f, 0.110803f, -0.582697f},
        {10.0f, 0.044270f, -0.457926f},
        {13.5f, -0.040254f, -0.299417f},
        {14.0f, -0.040254f, -0.299417f},
        {15.0f, -0.027453f, -0.287253f},
        {20.0f, 0.703671f, 0.407494f},
        {25.0f, -0.747914f, -0.654257f},
        {30.0f, -0.765637f, 0.397843f},
        {40.0f, -0.982177f, -0.244240f},
    };
    DS_SRand(1);
    DSM_Camera camera = DriftingCamera();
    size_t next = 0;
    for (int i = 0; i <= 320 && next < std::size(expected); ++i) {
        const float t = i * kStep;
        camera.Update(t, nullptr);
        if (t == expected[next].t) {
            EXPECT_NEAR(camera.PanX(), expected[next].x, 1e-4f) << "t = " << t;
            EXPECT_NEAR(camera.PanY(), expected[next].y, 1e-4f) << "t = " << t;
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(expected));
}

TEST(CameraTest, HalfWayThroughALegIsTheMidpoint)
{
    DSM_Camera camera = DriftingCamera();
    camera.fromX = -1.0f;
    camera.toX = 1.0f;
    camera.fromY = camera.toY = 0.5f;
    camera.start = 0.0f;
    camera.end = 10.0f;
    for (int i = 0; i <= 40; ++i) camera.Update(i * kStep, nullptr);
    EXPECT_FLOAT_EQ(camera.DriftClock(), 5.0f);
    EXPECT_NEAR(camera.PanX(), 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(camera.PanY(), 0.5f);
}

struct ClockCase {
    uint32_t speed;
    float times[3];
    float clock[3];
};

TEST(CameraTest, DriftClockRunsAtTheSpeedAndSkipsLongGaps)
{
    const ClockCase cases[] = {
        {50, {0.1f, 5.0f, 5.1f}, {0.1f, 0.3f, 0.4f}},  // a 4.9 s gap counts as 0.2 s
        {100, {0.1f, 0.2f, 0.3f}, {0.2f, 0.4f, 0.6f}},
        {0, {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.0f}},   // speed 0: the drift stands still
        {50, {1.0f, 0.5f, 0.6f}, {0.2f, 0.2f, 0.3f}},  // time going back adds nothing
    };
    for (const ClockCase& c : cases) {
        DSM_Camera camera = DriftingCamera();
        camera.SetSpeed(c.speed);
        for (int i = 0; i < 3; ++i) {
            camera.Update(c.times[i], nullptr);
            EXPECT_NEAR(camera.DriftClock(), c.clock[i], 1e-5f) << "speed " << c.speed << " step " << i;
        }
    }
    DS_SRand(1);
    DSM_Camera still = DriftingCamera();
    still.SetSpeed(0);
    still.Update(1.0f, nullptr);  // picks its first leg at clock 0
    const float x = still.PanX();
    for (float t = 2.0f; t < 20.0f; t += 1.0f) still.Update(t, nullptr);
    EXPECT_FLOAT_EQ(still.PanX(), x);
}

D3DXVECTOR2 InView(const RenderContext& context, float x, float y)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX world = context.WorldFor(identity);
    const D3DXVECTOR3 p(x, y, 0);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &world);
    return D3DXVECTOR2(out.x, out.y);
}

TEST(CameraTest, ZoomedPictureAlwaysCoversTheView)
{
    DS_SRand(7);
    RenderContext context;
    context.Place(1600, 900, 1600, 900, RenderContext::kFit, false, BackBufferSize{1600, 900});
    DSM_Camera camera = DriftingCamera();
    for (int i = 0; i < 800; ++i) {
        camera.Update(i * kStep, &context);
        ASSERT_LE(std::fabs(camera.PanX()), 1.0f);
        ASSERT_LE(std::fabs(camera.PanY()), 1.0f);
        const D3DXVECTOR2 topLeft = InView(context, 0, 0);
        const D3DXVECTOR2 bottomRight = InView(context, 1600, 900);
        ASSERT_LE(topLeft.x, 0.01f) << i;
        ASSERT_LE(topLeft.y, 0.01f) << i;
        ASSERT_GE(bottomRight.x, 1599.99f) << i;
        ASSERT_GE(bottomRight.y, 899.99f) << i;
        ASSERT_NEAR(bottomRight.x - topLeft.x, 1920.0f, 0.05f);
    }
}

TEST(CameraTest, DisabledOrNotDriftingLeavesThePictureUnzoomed)
{
    RenderContext context;
    context.Place(1600, 900, 1600, 900, RenderContext::kFit, false, BackBufferSize{1600, 900});
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);

    DSM_Camera disabled;
    disabled.ResetDrift();
    context.ZoomAbout(1.5f, 1, 1);
    disabled.Update(1.0f, &context);
    EXPECT_EQ(context.Camera(), identity);

    DSM_Camera notDrifting;  // drift mode 0 until its slide becomes current
    notDrifting.enabled = 1;
    context.ZoomAbout(1.5f, 1, 1);
    notDrifting.Update(1.0f, &context);
    EXPECT_EQ(context.Camera(), identity);
    EXPECT_FLOAT_EQ(notDrifting.end, 0.0f);  // and it drew nothing
}

TEST(CameraTest, CopyTakesSettingsClockAndLeg)
{
    DS_SRand(1);
    DSM_Camera source = DriftingCamera();
    source.SetZoom(150);
    source.borderPath = L"frame.png";
    for (int i = 0; i < 20; ++i) source.Update(i * kStep, nullptr);
    DSM_Camera copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.enabled, 1);
    EXPECT_FLOAT_EQ(copy.ZoomFactor(), 1.5f);
    EXPECT_FLOAT_EQ(copy.DriftClock(), source.DriftClock());
    EXPECT_FLOAT_EQ(copy.toX, source.toX);
    EXPECT_FLOAT_EQ(copy.end, source.end);
    EXPECT_EQ(copy.driftMode, 1);
    EXPECT_EQ(copy.borderPath, L"frame.png");
}

// ---- stored record ----

TEST(CameraRecordTest, WriteThenReadGivesTheSameCamera)
{
    DSM_Camera camera;
    camera.enabled = 3;
    camera.SetZoom(135);
    camera.SetSpeed(75);
    camera.borderPath = L"mods.dll";
    camera.borderStamp = -12;
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    camera.Write(handle);

    MemoryArchive expected;
    expected.WriteString(L"DSM_Camera");
    expected.WriteInt(2);
    expected.WriteInt32(3);
    expected.WriteUInt(135);
    expected.WriteUInt(75);
    expected.WriteString(L"mods.dll");
    expected.WriteInt64(-12);
    EXPECT_EQ(archive.bytes, expected.bytes);

    const auto back = DSM_Camera::ReadRecord(handle);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->enabled, 3);
    EXPECT_FLOAT_EQ(back->ZoomFactor(), 1.35f);
    EXPECT_FLOAT_EQ(back->SpeedFactor(), 1.5f);
    EXPECT_EQ(back->borderPath, L"mods.dll");
    EXPECT_EQ(back->borderStamp, -12);
    EXPECT_EQ(back->driftMode, 0);
}

TEST(CameraRecordTest, VersionOneKeepsTheDefaultBorderPicture)
{
    MemoryArchive archive;
    archive.WriteString(L"DSM_Camera");
    archive.WriteInt(1);
    archive.WriteInt32(1);
    archive.WriteUInt(110);
    archive.WriteUInt(25);
    DS_IOF_Archive handle = archive.Handle();
    const auto camera = DSM_Camera::ReadRecord(handle);
    ASSERT_NE(camera, nullptr);
    EXPECT_FLOAT_EQ(camera->ZoomFactor(), 1.1f);
    EXPECT_FLOAT_EQ(camera->SpeedFactor(), 0.5f);
    EXPECT_EQ(camera->borderPath, L"common_res.dll");
    EXPECT_EQ(camera->borderStamp, 6);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
}

TEST(CameraRecordTest, TruncatedRecordGivesNoCamera)
{
    DSM_Camera camera;
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    camera.Write(handle);
    archive.Truncate(3);
    EXPECT_EQ(DSM_Camera::ReadRecord(handle), nullptr);
    DS_IOF_Archive none;
    EXPECT_EQ(DSM_Camera::ReadRecord(none), nullptr);
}

}  // namespace
