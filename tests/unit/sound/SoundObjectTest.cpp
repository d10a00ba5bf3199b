// The sound runtime object with a sound item that records what it is asked
// to do, the slide's second list switching it, and the scene helpers that
// leave sounds out of a scene copy or stop them at a device reset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scene/SlideShow.h"
#include "sound/SoundCtrl.h"

namespace {

class RecordingSound : public DS_Sound_Ctrl {
public:
    explicit RecordingSound(std::vector<std::string>* log) : log_(log) {}
    void Write(DS_IOF_Archive*) override {}
    void Start() override { log_->push_back("start"); }
    void Stop() override { log_->push_back("stop"); }
    void Poll(float) override { log_->push_back("poll"); }
    DS_Sound_Ctrl* Clone() const override { return new RecordingSound(log_); }

private:
    std::vector<std::string>* log_;
};

using Log = std::vector<std::string>;

TEST(SoundObject, StartsOncePollsWhileActiveAndStopsWhenSwitchedOff)
{
    Log log;
    RecordingSound item(&log);
    std::unique_ptr<DS_ABObj> object(item.CreateObject());
    ASSERT_NE(dynamic_cast<DS_Sound*>(object.get()), nullptr);
    EXPECT_EQ(log, Log{"start"});
    EXPECT_EQ(object->Kind(), 1);
    EXPECT_FALSE(object->NeedsSceneTexture());

    object->UpdateAt(1.0f);
    object->UpdateAt(2.0f);
    EXPECT_EQ(log, (Log{"start", "poll", "poll"}));

    object->SetEnabled(false);
    object->UpdateAt(3.0f);
    EXPECT_EQ(log, (Log{"start", "poll", "poll", "stop"}));
    EXPECT_TRUE(object->IsEnabled()) << "the base's flag is not the sound's";

    object->SetEnabled(true);
    EXPECT_EQ(log.size(), 4u) << "switching on plays nothing by itself";
    object->UpdateAt(4.0f);
    EXPECT_EQ(log, (Log{"start", "poll", "poll", "stop", "poll"}));
}

// Two slides of one second each (no fades), each with a sound in its drawn
// list and one in its second list.
class SoundSlides : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int s = 0; s < 2; ++s) {
            auto slide = std::make_unique<DS_SlideContainer>();
            slide->fadeIn.StoreValue(0);
            slide->show.StoreValue(1);
            slide->fadeOut.StoreValue(0);
            slide->SetLight(CountedPtr<DS_2D_Light>(new DS_2D_Light()));
            slide->DrawnItems().push_back(std::make_unique<RecordingSound>(&logs_[s][0]));
            slide->UpdatedItems().push_back(std::make_unique<RecordingSound>(&logs_[s][1]));
            root_.Slides().push_back(CountedPtr<DS_SlideContainer>(slide.release()));
        }
    }

    DS_SlideShow_Light root_;
    Log logs_[2][2];  // [slide][drawn, second list]
};

TEST_F(SoundSlides, SlideChangeStopsOnlyTheSecondListsSounds)
{
    root_.BuildObjects();
    for (auto& slide : logs_) {
        for (Log& log : slide) EXPECT_EQ(log, Log{"start"}) << "every sound is prepared when built";
    }
    root_.FrameMove(10.0f);
    root_.FrameMove(10.5f);
    ASSERT_EQ(root_.CurrentSlide().Get(), root_.Slides()[0].Get());
    root_.FrameMove(11.2f);
    ASSERT_EQ(root_.CurrentSlide().Get(), root_.Slides()[1].Get());
    EXPECT_EQ(logs_[0][0], (Log{"start", "poll", "poll"})) << "a drawn sound is left to play on";
    EXPECT_EQ(logs_[0][1], (Log{"start", "poll", "poll", "stop"}));
    EXPECT_EQ(logs_[1][0], (Log{"start", "poll"}));
    EXPECT_EQ(logs_[1][1], (Log{"start", "poll"}));
}

TEST_F(SoundSlides, SilenceStopsEverySoundAndTheNextFrameFollowsTheTimeLineAgain)
{
    root_.BuildObjects();
    root_.FrameMove(10.0f);
    SilenceSounds(root_);
    for (auto& slide : logs_) {
        for (Log& log : slide) EXPECT_EQ(log.back(), "stop");
    }
    root_.FrameMove(10.1f);
    EXPECT_EQ(logs_[0][1].back(), "poll") << "still active after a device reset";
}

TEST_F(SoundSlides, ScenesWithoutSoundsNeverPrepareThem)
{
    RemoveSoundItems(root_);
    root_.BuildObjects();
    for (const auto& slide : root_.Slides()) {
        EXPECT_TRUE(slide->DrawnObjects().empty());
        EXPECT_TRUE(slide->UpdatedObjects().empty());
    }
    for (auto& slide : logs_) {
        for (Log& log : slide) EXPECT_TRUE(log.empty());
    }
}

}  // namespace
