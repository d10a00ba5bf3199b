#include "engine/params/MediaParam.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/params/FunLightCtrl.h"
#include "unit/MemoryArchive.h"

namespace {

// Records every notification it receives into a shared log.
class LogControl : public MediaControlT<MediaParamTB<unsigned>> {
public:
    LogControl(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    void OnChange(MediaControl* sender) override { log_->push_back(name_); }

private:
    std::vector<std::string>* log_;
    std::string name_;
};

// A parameter with value 0 and two logging listeners, A then B.
struct ListenerFixture : ::testing::Test {
    MediaParamT<unsigned> param{0u};
    std::vector<std::string> log;
    LogControl a{&log, "A"};
    LogControl b{&log, "B"};

    void SetUp() override
    {
        a.Attach(&param);
        b.Attach(&param);
    }
};

TEST_F(ListenerFixture, UndoControlIsFirstAndOrderIsAttachOrder)
{
    ASSERT_EQ(param.Controls().size(), 3u);
    EXPECT_EQ(param.Controls()[0], &param.GetUndoCtrl());
    EXPECT_EQ(param.Controls()[1], &a);
    EXPECT_EQ(param.Controls()[2], &b);
    param.SetValue(6);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(param.GetUndoCtrl().CachedValue(), 6u);
}

TEST_F(ListenerFixture, SenderIsSkippedAndEqualValueNotifiesNobody)
{
    EXPECT_TRUE(param.SetValue(5, &a));
    EXPECT_EQ(log, (std::vector<std::string>{"B"}));
    EXPECT_EQ(param.GetUndoCtrl().CachedValue(), 5u);
    log.clear();
    EXPECT_FALSE(param.SetValue(5));
    EXPECT_TRUE(log.empty());
    param.StoreValue(9);  // direct store: nobody hears, the undo cache stays
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(param.GetUndoCtrl().CachedValue(), 5u);
}

TEST_F(ListenerFixture, ReaderNotifiesEveryListener)
{
    MemoryArchive out;
    out.WriteUInt(42u);
    MemoryArchive in(out.bytes);
    ReadParam(in.Handle(), param);
    EXPECT_EQ(param.GetValue(), 42u);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(param.GetUndoCtrl().CachedValue(), 42u);
}

TEST_F(ListenerFixture, TruncatedReadKeepsValueAndNotifiesNobody)
{
    param.SetValue(3);
    log.clear();
    MemoryArchive in(std::vector<uint8_t>{1, 2});
    ReadParam(in.Handle(), param);
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(param.GetValue(), 3u);
    EXPECT_TRUE(log.empty());
}

TEST_F(ListenerFixture, DetachedListenerLeavesTheList)
{
    a.Attach(nullptr);
    param.SetValue(1);
    EXPECT_EQ(log, (std::vector<std::string>{"B"}));
    a.Attach(&param);  // rejoins at the end
    log.clear();
    param.SetValue(2);
    EXPECT_EQ(log, (std::vector<std::string>{"B", "A"}));
}

TEST(MediaParamTest, CopyHasOnlyItsOwnUndoControl)
{
    std::vector<std::string> log;
    MediaParamT<unsigned> original(5u);
    LogControl a(&log, "A");
    a.Attach(&original);
    MediaParamT<unsigned> copy(original);
    EXPECT_EQ(copy.GetValue(), 5u);
    ASSERT_EQ(copy.Controls().size(), 1u);
    EXPECT_EQ(copy.Controls()[0], &copy.GetUndoCtrl());
    EXPECT_EQ(copy.GetUndoCtrl().CachedValue(), 5u);
    copy.SetValue(6);
    EXPECT_TRUE(log.empty());

    MediaParamT<ds_string> text(L"name");
    MediaParamT<ds_string> textCopy(text);
    EXPECT_EQ(textCopy.GetUndoCtrl().CachedValue(), L"name");
    EXPECT_FALSE(textCopy.SetValue(L"name"));
    EXPECT_TRUE(textCopy.SetValue(L"Name"));  // code units, case-sensitive
}

TEST(MediaParamTest, VectorsCompareExactly)
{
    MediaParamT<D3DXVECTOR3> v;
    EXPECT_EQ(v.GetValue().x, 0.0f);
    EXPECT_FALSE(v.SetValue(D3DXVECTOR3(0.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(v.SetValue(D3DXVECTOR3(0.0f, 0.0f, 1e-30f)));
    MediaParamTB<POINT> p;
    EXPECT_FALSE(p.SetValue(POINT{0, 0}));
    EXPECT_TRUE(p.SetValue(POINT{0, 1}));
}

struct Owner {
    std::vector<unsigned> values;
    int calls = 0;
    void OnValue(unsigned v) { values.push_back(v); }
    void OnAny() { ++calls; }
};

TEST(FunLightCtrlTest, CallsOwnerWithCurrentValue)
{
    Owner owner;
    MediaParamT<unsigned> param(1u);
    DS_FunLightCtrl<unsigned, Owner> byValue(&Owner::OnValue, &owner);
    DS_FunLightCtrl2<Owner> plain(&Owner::OnAny, &owner);
    byValue.Attach(&param);
    plain.Attach(&param);
    param.SetValue(7);
    param.SetValue(7);
    param.SetValue(8, &plain);
    EXPECT_EQ(owner.values, (std::vector<unsigned>{7, 8}));
    EXPECT_EQ(owner.calls, 1);
}

TEST(FunLightCtrlTest, ParameterDestroyedFirstLeavesListenersDetached)
{
    Owner owner;
    auto byValue = std::make_unique<DS_FunLightCtrl<unsigned, Owner>>(&Owner::OnValue, &owner);
    auto plain = std::make_unique<DS_FunLightCtrl2<Owner>>(&Owner::OnAny, &owner);
    {
        MediaParamT<unsigned> param;
        byValue->Attach(&param);
        plain->Attach(&param);
    }
    EXPECT_EQ(byValue->Watched(), nullptr);
    EXPECT_EQ(plain->Watched(), nullptr);
    byValue->OnChange(nullptr);  // no parameter: no call
    EXPECT_TRUE(owner.values.empty());
    byValue.reset();  // touches no parameter
    plain.reset();
}

TEST(FunLightCtrlTest, LinksReleaseRemovesListenersFromParameters)
{
    Owner owner;
    MediaParamT<unsigned> param;
    {
        DS_FunLightLinks links;
        links.Add(std::make_unique<DS_FunLightCtrl<unsigned, Owner>>(&Owner::OnValue, &owner))->Attach(&param);
        links.Add(std::make_unique<DS_FunLightCtrl2<Owner>>(&Owner::OnAny, &owner))->Attach(&param);
        EXPECT_EQ(param.Controls().size(), 3u);
        links.Release();
        EXPECT_EQ(links.Size(), 0u);
        EXPECT_EQ(param.Controls().size(), 1u);
    }
    param.SetValue(3);
    EXPECT_TRUE(owner.values.empty());
    EXPECT_EQ(owner.calls, 0);
}

TEST(UndoHistoryTest, HoldsTheTwentyNewestRecords)
{
    MediaParamT<unsigned> param(0u);
    for (unsigned v = 1; v <= 21; ++v) {
        param.SetValue(v);
        param.GetUndoCtrl().Record();
    }
    const UndoHistory<unsigned>& history = param.GetUndoCtrl().History();
    ASSERT_EQ(history.Size(), kUndoHistoryLimit);
    EXPECT_EQ(history.At(0), 21u);
    EXPECT_EQ(history.At(19), 2u);
}

TEST(UndoHistoryTest, UndoOnEmptyHistoryChangesNothing)
{
    std::vector<std::string> log;
    MediaParamT<unsigned> param(4u);
    LogControl a(&log, "A");
    a.Attach(&param);
    param.GetUndoCtrl().Undo();
    param.GetUndoCtrl().Redo();
    EXPECT_EQ(param.GetValue(), 4u);
    EXPECT_TRUE(log.empty());
}

TEST(UndoHistoryTest, UndoAndRedoStepThroughRecords)
{
    std::vector<std::string> log;
    MediaParamT<unsigned> param(1u);
    LogControl a(&log, "A");
    a.Attach(&param);
    UndoCtrlT<unsigned>& undo = param.GetUndoCtrl();
    undo.Record();  // history {1}
    param.SetValue(2);
    log.clear();
    undo.Undo();  // back to 1; A hears of it, the undo control is the sender
    EXPECT_EQ(param.GetValue(), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"A"}));
    undo.Undo();  // at the end: nothing
    EXPECT_EQ(param.GetValue(), 1u);
    undo.Redo();
    EXPECT_EQ(param.GetValue(), 2u);
    undo.Undo();
    EXPECT_EQ(param.GetValue(), 1u);
    // A new record drops the entry newer than the position (the undone 2).
    undo.Record();
    ASSERT_EQ(undo.History().Size(), 1u);
    EXPECT_EQ(undo.History().At(0), 1u);
}

}  // namespace
