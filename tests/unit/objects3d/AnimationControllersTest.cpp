// The 3D controllers' motion models: approach values, clock hands, wing
// flaps, the drift and tumble of the array's copies, and the order in which
// each controller draws its random numbers.
#include <cmath>
#include <limits>

#include "engine/params/Random.h"
#include "objects/3d/Array3DIn2D.h"
#include "objects/3d/ButterflyConstructor.h"
#include "objects/3d/ClockConstructor.h"
#include "objects/3d/FrameMatrices.h"
#include "unit/objects3d/Object3DTestSupport.h"

using namespace frame_matrices;

namespace {

constexpr uint32_t kSeed = 4242;

float Fraction(int r)
{
    return static_cast<float>(r) / kRandMax;
}

// A copy's controller run at array time t.
void ApplyAt(DS_AnimationBase& anim, DS_Frame& frame, float t)
{
    ArrayCurrentTime::Set(t);
    anim.Apply(frame);
}

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], 1e-3f) << "element " << i;
}

}  // namespace

TEST(ApproachValue, MovesTowardsItsTargetAndStopsThere)
{
    struct Case {
        float current, target, rate, newTarget;
        float expectedRate;
        std::vector<float> steps, after;
    };
    const Case cases[] = {
        {50, 50, 350, 300, 350, {0.5f, 0.5f}, {225, 300}},
        {0, 0, 50, -25, -50, {0.25f, 0.5f}, {-12.5f, -25}},
        {100, 100, -20, 130, 20, {1.0f, 1.0f}, {120, 130}},  // rate sign follows the target
    };
    for (const Case& c : cases) {
        ApproachValue value(c.current, c.target, c.rate);
        value.SetTarget(c.newTarget, 0.0f);
        EXPECT_FLOAT_EQ(value.rate, c.expectedRate);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            value.Update(c.steps[i]);
            EXPECT_FLOAT_EQ(value.current, c.after[i]);
        }
    }
    ApproachValue value(10, 10, 50);
    value.SetTarget(0, 80);  // a rate given replaces the stored one
    EXPECT_FLOAT_EQ(value.rate, -80.0f);
}

TEST(ClockArrow, HandAnglesFollowTheTimeOfDay)
{
    struct Case {
        ClockTime time;
        float hour, minute;
    };
    const Case cases[] = {
        {{10, 30, 0}, 315.0f, 180.0f},
        {{15, 45, 30}, 112.5f, 273.0f},
        {{0, 0, 0}, 0.0f, 0.0f},
        {{23, 59, 59}, 359.5f, 359.9f},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(AC_ClockArrow::HandAngle(c.time, true), c.hour);
        EXPECT_NEAR(AC_ClockArrow::HandAngle(c.time, false), c.minute, 1e-3f);
    }
    // The hand turns its frame about y by the angle of the current time.
    ClockTime now;
    ASSERT_TRUE(AC_ClockArrow::LocalTime(now));
    DS_Frame frame;
    frame.local = Translation(0, 0, 10);
    AC_ClockArrow minute(false);
    minute.Apply(frame);
    const float angle = AC_ClockArrow::HandAngle(now, false);
    EXPECT_NEAR(std::atan2(frame.combined._41, frame.combined._43) * 180.0f / kPi,
                angle > 180.0f ? angle - 360.0f : angle, 0.2f);
}

TEST(ClockArrow, HandStaysWhereItWasWhileTheTimeCannotBeRead)
{
    // A clock body turned and moved, with the minute hand on a child frame:
    // every update multiplies the hand's result by the body's matrix.
    DS_Frame body;
    body.local = Product(RotationZ(0.3f), Translation(120, 80, 5));
    DS_Frame hand;
    hand.local = Translation(0, 0, 10);
    body.children.push_back(&hand);
    auto* arrow = new AC_ClockArrow(false);
    hand.SetController(arrow);
    bool readable = true;
    arrow->timeSource = [&readable](ClockTime& time) {
        time = ClockTime{10, 15, 0};
        return readable;
    };
    body.UpdateMatrices(nullptr);
    const D3DXMATRIX shown = hand.combined;
    ExpectMatrixNear(shown, Product(Product(hand.local, RotationY(Radians(90.0f))), body.local));
    readable = false;
    for (int frame = 0; frame < 5; ++frame) {
        body.UpdateMatrices(nullptr);
        ExpectMatrixNear(hand.combined, shown);
    }
}

TEST(ButterflyFlight, WingFlapTurnsAtTheLimits)
{
    PictureSize picture(800, 600);
    DS_ButterflyConstructor item;
    AC_Butterfly flight(item);
    DS_Frame frame;
    // Speed 50 is factor 1: a step of 0.1 s moves the wing by 0.1 x 7 x rate.
    struct Case {
        float angle, rate, expectedRate;
    };
    const Case cases[] = {{54, 100, -160}, {-54, -160, 100}, {0, 50, 50}};
    float t = 0.0f;
    for (const Case& c : cases) {
        flight.wingAngle = c.angle;
        flight.flapRate = c.rate;
        t += 0.1f;
        item.SmoothSpeed(t);
        flight.Apply(frame);
        EXPECT_FLOAT_EQ(flight.flapRate, c.expectedRate) << "from " << c.angle;
        EXPECT_EQ(flight.firstWing->frontFace, flight.wingAngle > 0.0f);
        EXPECT_EQ(flight.secondWing->frontFace, flight.wingAngle < 0.0f);
    }
    delete flight.firstWing;
    delete flight.secondWing;
}

TEST(ButterflyFlight, DrawsStartPointThenHeading)
{
    PictureSize picture(800, 600);
    DS_ButterflyConstructor item;
    item.normLeft = 0.25f;  // a rectangle of (200, 0) to (800, 600)
    DS_SRand(kSeed);
    const int rx = DS_Rand(), ry = DS_Rand(), rh = DS_Rand();
    DS_SRand(kSeed);
    AC_Butterfly flight(item);
    EXPECT_FLOAT_EQ(flight.position.x, 200.0f + Fraction(rx) * 600.0f);
    EXPECT_FLOAT_EQ(flight.position.y, Fraction(ry) * 600.0f);
    EXPECT_FLOAT_EQ(flight.heading.current, Fraction(rh) * 360.0f);
    EXPECT_FLOAT_EQ(flight.heading.target, flight.heading.current);
    delete flight.firstWing;
    delete flight.secondWing;
}

// The decision comes once the speed clock is more than 0.25 s past the last
// one. Its draw is the fourth after seeding (the start point and heading
// take three); the numbers after it give its values. Each seed below drives
// the decision named beside it.
TEST(ButterflyFlight, EachDecisionSetsItsTargets)
{
    struct Case {
        const char* name;
        uint32_t seed;
        int decision;       // the fourth draw % 5
        int32_t startMode;  // current and requested mode before the decision
        bool turning;       // the heading has not reached its target yet
    };
    const Case cases[] = {
        {"sink or rise slowly", 1, 0, 1, false},
        {"glide upwards", 3, 1, 0, false},
        {"forward speed", 12, 2, 1, false},
        {"towards 180 degrees, decision 3", 9, 3, 0, false},
        {"towards 0 degrees, decision 3", 8, 3, 0, false},
        {"towards 180 degrees, decision 4", 5, 4, 0, false},
        {"towards 0 degrees, decision 4", 10, 4, 0, false},
        {"no turn while gliding", 9, 3, 1, false},
        {"no turn while turning", 5, 4, 0, true},
    };
    for (const Case& c : cases) {
        PictureSize picture(800, 600);
        DS_ButterflyConstructor item;
        DS_SRand(c.seed);
        for (int i = 0; i < 3; ++i) DS_Rand();
        const int decision = DS_Rand();
        const int v1 = DS_Rand(), v2 = DS_Rand(), v3 = DS_Rand(), v4 = DS_Rand();
        ASSERT_EQ(decision % 5, c.decision) << c.name;

        DS_SRand(c.seed);
        AC_Butterfly flight(item);
        DS_Frame frame;
        flight.position = D3DXVECTOR3(500, 300, 0);  // far from the edges
        item.SmoothSpeed(0.2f);
        flight.Apply(frame);  // clock 0.2: no decision, nothing drawn
        EXPECT_EQ(flight.lastDecisionTime, 0.0f) << c.name;
        flight.position = D3DXVECTOR3(500, 300, 0);
        flight.wingAngle = 0.0f;
        flight.requestedMode = flight.currentMode = c.startMode;
        const float heading = flight.heading.current;
        if (c.turning) flight.heading.SetTarget(heading + 90.0f, 0.0f);
        const ApproachValue before[] = {flight.verticalSpeed, flight.forwardSpeed, flight.heading};
        item.SmoothSpeed(0.4f);
        flight.Apply(frame);
        EXPECT_FLOAT_EQ(flight.lastDecisionTime, 0.4f) << c.name;

        // What each decision leaves as it was.
        float vertical = before[0].target, forward = before[1].target, headingTarget = before[2].target;
        int32_t mode = c.startMode;
        int next = v1;  // the first number the decision did not draw
        switch (c.decision) {
            case 0:
                mode = 0;
                vertical = -190.0f + Fraction(v1) * 190.0f;
                next = v2;
                break;
            case 1:
                mode = 1;
                vertical = 100.0f + Fraction(v1) * 50.0f;
                next = v2;
                break;
            case 2:
                mode = 0;
                forward = -25.0f + Fraction(v1) * 325.0f;
                next = v2;
                break;
            default:
                if (c.startMode == 0 && !c.turning) {
                    // An even draw aims at 155 to 205 degrees, an odd one at -25 to 25.
                    headingTarget = v1 % 2 == 0 ? 155.0f + Fraction(v3) * 50.0f : -25.0f + Fraction(v3) * 50.0f;
                    const float rate = 50.0f + Fraction(v2) * 300.0f;
                    EXPECT_FLOAT_EQ(flight.heading.rate, headingTarget > heading ? rate : -rate) << c.name;
                    next = v4;
                }
                break;
        }
        EXPECT_EQ(flight.requestedMode, mode) << c.name;
        EXPECT_FLOAT_EQ(flight.verticalSpeed.target, vertical) << c.name;
        EXPECT_FLOAT_EQ(flight.forwardSpeed.target, forward) << c.name;
        EXPECT_FLOAT_EQ(flight.heading.target, headingTarget) << c.name;
        EXPECT_EQ(DS_Rand(), next) << c.name;
        delete flight.firstWing;
        delete flight.secondWing;
    }
}

// A requested mode different from the current one is worked on instead of
// a decision. Gliding (mode 1) holds the wings down once they are below
// half the lower limit and slows their flap a hundredfold; flapping again
// (mode 0) restores the upper limit with a flap rate of 160 for slow flight
// or one drawn for faster flight.
TEST(ButterflyFlight, ModeChangeHoldsOrReleasesTheWings)
{
    struct Case {
        const char* name;
        int32_t requested, current;
        float wingAngle, flapRate, forward;
        int32_t newMode;
        float upperLimit;
        float newFlapRate;  // NaN: drawn from -160 to forward / 3 - 50
    };
    const float kDrawn = std::numeric_limits<float>::quiet_NaN();
    // One step of 0.01 s moves the wing by 0.07 x the flap rate first.
    const Case cases[] = {
        {"wings below half the lower limit: glide", 1, 0, -20.0f, -160.0f, 50.0f, 1, 0.0f, -1.6f},
        {"wings above it: wait", 1, 0, -15.0f, -160.0f, 50.0f, 0, 0.0f, -160.0f},
        {"flap again, slowly", 0, 1, -30.0f, -1.6f, 10.0f, 0, 55.0f, 160.0f},
        {"flap again, fast", 0, 1, -30.0f, -1.6f, 210.0f, 0, 55.0f, kDrawn},
    };
    for (const Case& c : cases) {
        PictureSize picture(800, 600);
        DS_ButterflyConstructor item;
        AC_Butterfly flight(item);
        flight.position = D3DXVECTOR3(400, 300, 0);
        flight.requestedMode = c.requested;
        flight.currentMode = c.current;
        flight.wingAngle = c.wingAngle;
        flight.flapRate = c.flapRate;
        flight.forwardSpeed = ApproachValue(c.forward, c.forward, 350.0f);
        DS_SRand(kSeed);
        const float drawn = -160.0f + Fraction(DS_Rand()) * (c.forward / 3.0f - 50.0f + 160.0f);
        DS_SRand(kSeed);
        DS_Frame frame;
        item.SmoothSpeed(0.2f);
        item.SmoothSpeed(0.4f);
        item.SmoothSpeed(0.41f);  // clock 0.41: past the decision interval
        flight.Apply(frame);
        EXPECT_EQ(flight.currentMode, c.newMode) << c.name;
        EXPECT_FLOAT_EQ(flight.upperLimit, c.upperLimit) << c.name;
        EXPECT_NEAR(flight.flapRate, std::isnan(c.newFlapRate) ? drawn : c.newFlapRate, 1e-3f) << c.name;
        EXPECT_EQ(flight.lastDecisionTime, 0.0f) << c.name;
        delete flight.firstWing;
        delete flight.secondWing;
    }
}

// The body banks into a turn more than 5 degrees from its target (to the
// left when the target lies above the heading) and levels out once the bank
// has reached its target.
TEST(ButterflyFlight, BanksIntoATurnAndLevelsOut)
{
    struct Case {
        const char* name;
        float heading, headingTarget;
        float bank, bankTarget;
        float newBankTarget;
    };
    const Case cases[] = {
        {"turning up", 0.0f, 90.0f, 0.0f, 0.0f, 25.0f},
        {"turning down", 90.0f, 0.0f, 0.0f, 0.0f, -25.0f},
        {"nearly there: bank kept", 0.0f, 4.0f, 10.0f, 25.0f, 25.0f},
        {"straight, banked: level out", 30.0f, 30.0f, 25.0f, 25.0f, 0.0f},
        {"straight, banking: keep on", 30.0f, 30.0f, 10.0f, 25.0f, 25.0f},
    };
    for (const Case& c : cases) {
        PictureSize picture(800, 600);
        DS_ButterflyConstructor item;
        AC_Butterfly flight(item);
        flight.position = D3DXVECTOR3(400, 300, 0);
        flight.heading = ApproachValue(c.heading, c.heading, 350.0f);
        flight.heading.SetTarget(c.headingTarget, 0.0f);
        flight.bank = ApproachValue(c.bank, c.bank, 50.0f);
        flight.bank.SetTarget(c.bankTarget, 0.0f);
        DS_Frame frame;
        item.SmoothSpeed(0.01f);
        flight.Apply(frame);
        EXPECT_FLOAT_EQ(flight.bank.target, c.newBankTarget) << c.name;
        delete flight.firstWing;
        delete flight.secondWing;
    }
}

TEST(ButterflyFlight, EdgesTurnItBack)
{
    PictureSize picture(800, 600);
    DS_ButterflyConstructor item;
    AC_Butterfly flight(item);
    struct Case {
        D3DXVECTOR3 position;
        int requestedMode;
        float verticalTarget, headingTarget, forwardTarget;
    };
    const Case cases[] = {
        {{-5, -5, 0}, 1, 100, 0, 300},
        {{805, 605, 0}, 0, -190, -180, 300},
    };
    for (const Case& c : cases) {
        flight.position = c.position;
        flight.AvoidEdges();
        EXPECT_EQ(flight.requestedMode, c.requestedMode);
        EXPECT_FLOAT_EQ(flight.verticalSpeed.target, c.verticalTarget);
        EXPECT_FLOAT_EQ(flight.heading.target, c.headingTarget);
        EXPECT_FLOAT_EQ(flight.forwardSpeed.target, c.forwardTarget);
    }
    delete flight.firstWing;
    delete flight.secondWing;
}

TEST(ArrayMotion, DirectionVectorsPointAlongThePicture)
{
    struct Case {
        uint32_t degrees;
        float dx, dy, px, py;
    };
    const Case cases[] = {
        {0, 1, 0, 0, -1},
        {90, 0, -1, -1, 0},
        {270, 0, 1, 1, 0},
        {360 + 90, 0, -1, -1, 0},
    };
    for (const Case& c : cases) {
        ArrayMotionParams params;
        params.SetDirection(c.degrees);
        EXPECT_NEAR(params.direction.x, c.dx, 1e-6f) << c.degrees;
        EXPECT_NEAR(params.direction.y, c.dy, 1e-6f) << c.degrees;
        EXPECT_NEAR(params.perpendicular.x, c.px, 1e-6f) << c.degrees;
        EXPECT_NEAR(params.perpendicular.y, c.py, 1e-6f) << c.degrees;
    }
}

TEST(ArrayMotion, LeafScaleMakesTheSphereHalfTheLeafSize)
{
    struct Case {
        unsigned leafSize;
        float radius, scale;
    };
    const Case cases[] = {
        {40, 2.0f, 10.0f},
        {48, 24.0f, 1.0f},
        // No finite scale: the copy draws at scale 0, showing nothing.
        {40, 0.0f, 0.0f},
        {40, -1.0f, 0.0f},
        {40, std::numeric_limits<float>::quiet_NaN(), 0.0f},
        {40, std::numeric_limits<float>::infinity(), 0.0f},
        {40, 1e-40f, 0.0f},
    };
    for (const Case& c : cases) EXPECT_FLOAT_EQ(DS_LeafFallAnim::LeafScale(c.leafSize, c.radius), c.scale) << c.radius;
}

TEST(ArrayMotion, CopiesDriftAtTheirSpeedAndWrapAtTheMargin)
{
    PictureSize picture(800, 600);
    ArrayMotionParams params;
    params.leafSize.StoreValue(40);
    params.speed.StoreValue(50);
    DS_Frame frame;
    frame.boundingRadius = 2.0f;

    // Speed 50 with factor 0.1: 250 pixels per second along the direction.
    DS_SreamAnim drift(params);
    drift.speedFactor = 0.1f;
    drift.position = Translation(100, 100, 0);
    ApplyAt(drift, frame, 0.0f);
    ApplyAt(drift, frame, 0.2f);
    EXPECT_NEAR(drift.X(), 150.0f, 1e-3f);
    EXPECT_NEAR(drift.Y(), 100.0f, 1e-3f);
    ApplyAt(drift, frame, 1.2f);  // steps are at most 0.2 s
    EXPECT_NEAR(drift.X(), 200.0f, 1e-3f);

    // Moving towards larger y past H + 20: back at y = -20, at a random x,
    // without moving on that update; the spins go on from where they were.
    params.SetDirection(270);
    DS_LeafFallAnim leaf(params);
    leaf.position = Translation(300, 621, 0);
    ApplyAt(leaf, frame, 0.0f);
    const float spinBefore = leaf.spins[0].angle;
    DS_SRand(kSeed);
    const int rx = DS_Rand();
    DS_SRand(kSeed);
    ApplyAt(leaf, frame, 0.1f);
    EXPECT_FLOAT_EQ(leaf.Y(), -20.0f);
    EXPECT_FLOAT_EQ(leaf.X(), Fraction(rx) * 800.0f);
    EXPECT_NEAR(leaf.spins[0].angle, spinBefore + 100.0f * leaf.spins[0].rate * 0.1f * 0.4f, 1e-3f);
}

TEST(ArrayMotion, SideChangeFrequencyZeroNeverChangesSides)
{
    PictureSize picture(800, 600);
    ArrayMotionParams params;
    params.swing.StoreValue(50);
    params.leafSize.StoreValue(100000);  // a margin no copy reaches: no wraps
    DS_SreamAnim drift(params);
    DS_Frame frame;
    const float lateral = drift.lateral;
    DS_SRand(kSeed);
    for (float t = 0.0f; t < 100.0f; t += 10.0f) ApplyAt(drift, frame, t);
    EXPECT_EQ(drift.lateral, lateral);
    // No number was drawn either.
    const int next = DS_Rand();
    DS_SRand(kSeed);
    EXPECT_EQ(next, DS_Rand());

    // Frequency 20 at speed 50: a change is due after more than 100 / 20 /
    // (50 x 0.1) = 1 second; an odd draw picks a new factor.
    params.sideChange.StoreValue(20);
    drift.lastSideChange = 0.0f;
    DS_SRand(kSeed);
    const int parity = DS_Rand(), value = DS_Rand();
    DS_SRand(kSeed);
    ApplyAt(drift, frame, 1.5f);
    EXPECT_FLOAT_EQ(drift.lastSideChange, 1.5f);
    EXPECT_FLOAT_EQ(drift.lateral, (parity & 1) ? -1.0f + Fraction(value) * 2.0f : lateral);
}

TEST(ArrayMotion, CopiesDrawTheirRandomNumbersInOrder)
{
    PictureSize picture(800, 600);
    ArrayMotionParams params;
    DS_SRand(kSeed);
    int r[4 + 3 * 2 + 2 * 3];
    for (int& value : r) value = DS_Rand();
    DS_SRand(kSeed);
    DS_LeafFallAnim leaf(params);
    EXPECT_FLOAT_EQ(leaf.X(), Fraction(r[0]) * 800.0f);
    EXPECT_FLOAT_EQ(leaf.Y(), Fraction(r[1]) * 600.0f);
    EXPECT_FLOAT_EQ(leaf.lateral, Fraction(r[2]) * 2.0f - 1.0f);
    EXPECT_FLOAT_EQ(leaf.speedFactor, Fraction(r[3]) * 0.06f + 0.07f);
    for (int i = 0; i < 3; ++i) {
        const float sign = (r[4 + 2 * i] & 1) ? -1.0f : 1.0f;
        EXPECT_FLOAT_EQ(leaf.spins[i].rate, sign * (Fraction(r[5 + 2 * i]) * 3.0f + 7.0f)) << "spin " << i;
        EXPECT_EQ(leaf.spins[i].angle, leaf.spins[i].rate);
    }
    for (int i = 0; i < 2; ++i) {
        const int a = r[10 + 3 * i];
        const float sign = (r[11 + 3 * i] & 1) ? -1.0f : 1.0f;
        EXPECT_FLOAT_EQ(leaf.swings[i].rate, static_cast<float>(a & 1) * sign * (Fraction(r[12 + 3 * i]) * 4.0f + 3.0f))
            << "swing " << i;
    }
}

TEST(ArrayMotion, TumbleBuildsTheCopyMatrixAndKeepsAnglesBounded)
{
    PictureSize picture(800, 600);
    ArrayMotionParams params;
    params.leafSize.StoreValue(40);
    params.speed.StoreValue(0);
    params.swing.StoreValue(0);
    DS_LeafFallAnim leaf(params);
    // Swing rates of 0: the copy only spins.
    for (auto& swing : leaf.swings) swing = {0.0f, 0.0f};
    DS_Frame frame;
    frame.boundingRadius = 2.0f;
    frame.local = Translation(-1, 0, 0);
    ApplyAt(leaf, frame, 0.0f);
    ApplyAt(leaf, frame, 0.1f);
    D3DXMATRIX expected = Product(frame.local, Scaling(10.0f));
    expected = Product(expected, RotationX(Radians(leaf.spins[0].angle)));
    expected = Product(expected, RotationZ(Radians(leaf.spins[2].angle)));
    expected = Product(expected, RotationY(Radians(leaf.spins[1].angle)));
    expected = Product(expected, Translation(0, 0, 50));
    expected = Product(expected, Translation(leaf.X(), leaf.Y(), 0));
    ExpectMatrixNear(frame.combined, expected);
    EXPECT_EQ(leaf.swings[0].angle, 0.0f);
    EXPECT_EQ(leaf.swings[1].angle, 0.0f);

    // Hours of play: the angles stay within one turn.
    params.spin.StoreValue(0xFFFFu);
    for (int i = 0; i < 200; ++i) ApplyAt(leaf, frame, 0.2f * static_cast<float>(i));
    for (const auto& spin : leaf.spins) EXPECT_LT(std::fabs(spin.angle), 360.0f);

    // A copy whose mesh has no radius is drawn at scale 0.
    frame.boundingRadius = 0.0f;
    ApplyAt(leaf, frame, 50.0f);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(frame.combined(i, j), 0.0f);
    }
}
