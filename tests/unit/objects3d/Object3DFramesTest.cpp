// Frame trees of the 3D objects: which frames each part is drawn at, how
// instances are added and removed, and that removed instances leave nothing
// behind that later changes could reach.
#include "objects/3d/Array3DIn2D.h"
#include "objects/3d/ButterflyConstructor.h"
#include "objects/3d/ClockConstructor.h"
#include "objects/3d/FrameMatrices.h"
#include "unit/objects3d/Object3DTestSupport.h"

using namespace frame_matrices;

namespace {

std::unique_ptr<DS_3DObjArray> Build(DS_3D_Obj_Ctrl& item)
{
    return std::unique_ptr<DS_3DObjArray>(static_cast<DS_3DObjArray*>(item.CreateObject()));
}

bool Contains(const std::vector<DS_Frame*>& frames, const DS_Frame* frame)
{
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

}  // namespace

TEST(Object3DFrames, RootsGoToPartZeroAndChildrenToPartOneNewestFirst)
{
    PictureSize picture(800, 600);
    DS_ButterflyConstructor item;
    item.count.StoreValue(3);
    item.wingScale = 2.0f;
    auto object = Build(item);
    ASSERT_EQ(object->Trees().size(), 3u);
    std::vector<DS_Frame*> roots(object->Trees().begin(), object->Trees().end());
    const PartVector& parts = object->Parts();
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_FALSE(parts[0].transparent);
    EXPECT_TRUE(parts[1].transparent);
    EXPECT_EQ(parts[0].frames, roots);
    std::vector<DS_Frame*> wings;
    for (int t = 2; t >= 0; --t) wings.insert(wings.end(), roots[t]->children.begin(), roots[t]->children.end());
    EXPECT_EQ(parts[1].frames, wings);
    // The wings of a tree built now take the item's wing scale.
    for (const DS_Frame* wing : wings) EXPECT_EQ(wing->local, Scaling(2.0f));
    EXPECT_EQ(roots[0]->local, Product(Scaling(0.5f), RotationY(kPi / 2.0f)));
}

TEST(Object3DFrames, LoweringTheCountDeletesTheOldestClockAndItsFrames)
{
    PictureSize picture(800, 600);
    DS_ClockConstructor item;
    item.count.StoreValue(3);
    auto object = Build(item);
    DS_ClockConstructor& clone = static_cast<DS_ClockConstructor&>(object->Item());
    std::vector<DS_Frame*> before(object->Trees().begin(), object->Trees().end());
    ASSERT_EQ(before.size(), 3u);
    const std::vector<DS_Frame*> firstHands(before[0]->children.begin(), before[0]->children.end());

    clone.count.SetValue(2);
    ASSERT_EQ(object->Trees().size(), 2u);
    EXPECT_EQ(object->Trees().front(), before[1]);
    EXPECT_EQ(object->Trees().back(), before[2]);
    for (const DS_3DPart& part : object->Parts()) {
        EXPECT_FALSE(Contains(part.frames, before[0]));
        for (const DS_Frame* hand : firstHands) EXPECT_FALSE(Contains(part.frames, hand));
    }
    EXPECT_EQ(object->Parts()[0].frames.size(), 2u);
    EXPECT_EQ(object->Parts()[1].frames.size(), 4u);

    // Size and rectangle changes reach only the remaining clocks' listeners.
    clone.size.SetValue(200);
    EXPECT_EQ(clone.clockRect.left.GetValue(), 400 - 100);
    EXPECT_EQ(clone.clockRect.bottom.GetValue(), 300 + 100);
    clone.clockRect.extraX.StoreValue(100);
    clone.clockRect.NotifyControls(nullptr);
    EXPECT_EQ(clone.clockRect.right.GetValue(), 200);
    object->Update(0.1f);
    EXPECT_NEAR(before[1]->combined._41, 100.0f, 1e-3f);
    EXPECT_NEAR(before[1]->combined._11, 200.0f * 0.01f, 1e-5f);

    clone.count.SetValue(0);
    EXPECT_TRUE(object->Trees().empty());
    for (const DS_3DPart& part : object->Parts()) EXPECT_TRUE(part.frames.empty());
}

TEST(Object3DFrames, ClockPartsUseTheDiscForFaceAndHands)
{
    PictureSize picture(800, 600);
    DS_ClockConstructor item;
    auto object = Build(item);
    const DS_Frame* root = object->Trees().front();
    ASSERT_EQ(root->children.size(), 2u);
    const DS_Frame* hour = root->children.front();
    const DS_Frame* minute = root->children.back();
    EXPECT_EQ(hour->local, Product(Scaling(0.01f, 1.0f, 0.3f), Translation(0, 0, 10)));
    EXPECT_EQ(minute->local, Product(Scaling(0.01f, 1.0f, 0.38f), Translation(0, 0, 13)));
    EXPECT_TRUE(object->Parts()[0].transparent);
    EXPECT_TRUE(object->Parts()[1].transparent);
    // The body: centre of the disc at the rectangle's centre, diameter 100
    // scaled to the size (400).
    object->Update(0.0f);
    D3DXVECTOR3 edge;
    const D3DXVECTOR3 twelve(0, 0, 50);
    D3DXVec3TransformCoord(&edge, &twelve, &root->combined);
    EXPECT_NEAR(edge.x, 400.0f, 1e-3f);
    EXPECT_NEAR(edge.y, 300.0f - 200.0f, 1e-3f);  // twelve o'clock is up
}

TEST(Object3DFrames, ArrayMakesCountCopiesAroundTheMeshCentre)
{
    PictureSize picture(800, 600);
    DS_3D_in_2D_array_Constructor item;
    item.count.StoreValue(5);
    std::unique_ptr<DS_3D_in_2D_array> object(static_cast<DS_3D_in_2D_array*>(item.CreateObject()));
    EXPECT_EQ(object->Mesh().children.size(), 5u);
    // No mesh could be loaded (no resource manager): nothing is drawn and
    // updates run all the same.
    EXPECT_EQ(object->Mesh().VertexBuffer(), nullptr);
    object->Update(0.5f);
    EXPECT_FLOAT_EQ(ArrayCurrentTime::Get(), 0.5f);
    object->Render(nullptr);
}
