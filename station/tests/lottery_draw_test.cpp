// The lottery's draw with a scripted chance: the tickets found in today's folder, the preset
// winners of each level, the three picks, and what a stop draws in the cases that decide who wins.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <set>

#include "lottery/candidate_scan.h"
#include "lottery/lottery_draw.h"
#include "lottery/random_source.h"
#include "platform/native_path.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using travenor::LotteryDraw;
using vantor::settings::PresetEntry;

// Answers scripted values, then a fixed one.
class ScriptedRandom : public travenor::RandomSource {
  public:
    explicit ScriptedRandom(std::initializer_list<int> values, int then = 0) : values_(values), then_(then) {}
    int Next() override {
        ++calls_;
        if (values_.empty()) {
            return then_;
        }
        const int value = values_.front();
        values_.pop_front();
        return value;
    }
    void Script(std::initializer_list<int> values) { values_.assign(values); }
    int Calls() const { return calls_; }

  private:
    std::deque<int> values_;
    int then_;
    int calls_ = 0;
};

// The random value that picks index i among n (the middle of its range).
int ValueFor(int index, int n) {
    return static_cast<int>((index + 0.5) * travenor::kRandomRange / n);
}

travenor::PrizeLevelNames Levels() {
    return {u"特等奖", u"一等奖", u"二等奖", u"三等奖", u"四等奖", u"五等奖", u"幸运奖", u"纪念奖"};
}

std::vector<tstring> Paths(int count) {
    std::vector<tstring> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(tstring(u"Storage\\2026-3-8\\WithTemplate\\10-0-") +
                        tstring(std::to_string(i).c_str()) + u".jpg");
    }
    return paths;
}

TEST(LotteryRandom, IndicesFollowTheFifteenBitScaleAndTheClassicGenerator) {
    EXPECT_EQ(travenor::IndexBelow(0, 3), 0);
    EXPECT_EQ(travenor::IndexBelow(10922, 3), 0);
    EXPECT_EQ(travenor::IndexBelow(10923, 3), 1);
    EXPECT_EQ(travenor::IndexBelow(32767, 3), 2);
    EXPECT_EQ(travenor::IndexBelow(32767, 1), 0);
    // The classic rand() seeded with 1 starts 41, 18467, 6334.
    travenor::Rand15 random(1);
    EXPECT_EQ(random.Next(), 41);
    EXPECT_EQ(random.Next(), 18467);
    EXPECT_EQ(random.Next(), 6334);
}

TEST(LotteryScan, CountsJpgNamesInSubFoldersButNotOtherSpellingsDotFoldersOrTransfers) {
    vantor_test::TestFolder folder;
    // Files still being received from another station are no tickets until renamed into place.
    for (const char* name :
         {"a.jpg", "b.JPG", "c.Jpg", "d.jpeg", "e.jpg.bak", "sub/f.jpg", "sub/deeper/g.JPG", ".hidden/h.jpg",
          "sub/i.png", "k.txt", "9-5-7~2.jpg", ".syncthing.9-5-8~2.jpg.tmp", "~syncthing~9-5-9~3.jpg.tmp"}) {
        folder.Write(std::string("Today/") + name, "x");
    }
    fs::create_directories(folder.path() / "Today" / "j.jpg");  // a folder, not a ticket
    fs::create_directory_symlink(folder.path() / "Today", folder.path() / "Today" / "sub" / "loop");
    const tstring root = vantor::FromNativePath((folder.path() / "Today").string());
    std::set<std::u16string> found;
    for (const tstring& path : travenor::ScanCandidates(root)) {
        found.insert(path.GetBase().substr(root.GetBase().size()));
    }
    const std::set<std::u16string> expected{
        u"\\a.jpg", u"\\b.JPG", u"\\e.jpg.bak", u"\\sub\\f.jpg", u"\\sub\\deeper\\g.JPG", u"\\9-5-7~2.jpg"};
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(travenor::ScanCandidates(root + u"\\missing").empty());
}

TEST(LotteryPresets, EachKeyReservesTheFirstMatchingPictureForItsLevelInFileOrder) {
    ScriptedRandom random({});
    LotteryDraw draw(random);
    std::vector<tstring> paths{u"T\\11-2-3.jpg", u"T\\1-2-3.jpg", u"T\\9-0-0.jpg", u"T\\sub\\9-0-0.jpg",
                               u"T\\8-0-0.jpg"};
    draw.Load(paths,
              {{u"1-2-3.jpg", u"二等奖"},  // the first path containing it is 11-2-3.jpg
               {u"9-0-0.jpg", u"头奖"},    // no such level
               {u"7-7-7.jpg", u"二等奖"},  // no such picture today
               {u"8-0-0.jpg", u"二等奖"},
               {u"9-0-0.jpg", u"特等奖"},
               {u"8-0-0.jpg", u"三等奖"}},  // a picture can stand in two lists; it leaves the pool once
              Levels());
    EXPECT_EQ(draw.PresetList(2), (std::vector<int>{0, 4}));
    EXPECT_EQ(draw.PresetList(0), (std::vector<int>{2}));
    EXPECT_EQ(draw.PresetList(3), (std::vector<int>{4}));
    EXPECT_EQ(draw.OpenPool(), (std::vector<int>{1, 3}));
}

TEST(LotteryPicks, PicksSkipWinnersAndSayNoneWhenNobodyIsLeft) {
    ScriptedRandom random({});
    LotteryDraw draw(random);
    draw.Load(Paths(4), {{u"10-0-3.jpg", u"一等奖"}}, Levels());
    // Level 1's preset, then the pool of 0..2.
    EXPECT_EQ(draw.PresetPick(1), 3);
    EXPECT_EQ(draw.PresetPick(2), std::nullopt);
    random.Script({ValueFor(1, 3)});
    EXPECT_EQ(draw.PoolPick(), 1);
    // Candidate 1 wins; the any-non-winner pick draws again when it hits 1.
    random.Script({ValueFor(1, 4)});
    draw.Tick();
    EXPECT_EQ(draw.Stop(0, 1), (std::vector<int>{1}));
    random.Script({ValueFor(1, 4), ValueFor(1, 4), ValueFor(2, 4)});
    EXPECT_EQ(draw.AnyNonWinner(), 2);
    EXPECT_EQ(random.Calls(), 5);  // pool, tick, and three tries
}

TEST(LotteryPicks, AChanceThatKeepsHittingWinnersStillEndsWithTheOneLeft) {
    // A chance that always answers 0 would retry for ever; the pick ends on the only non-winner.
    ScriptedRandom random({}, 0);
    LotteryDraw draw(random);
    draw.Load(Paths(3), {}, Levels());
    EXPECT_EQ(draw.Stop(0, 2), (std::vector<int>{0, 1}));  // current 0 wins, then the scan finds 1
    EXPECT_EQ(draw.AnyNonWinner(), 2);
}

TEST(LotteryStop, DrawingFourWhenThreeAreLeftDrawsThree) {
    ScriptedRandom random({}, 0);
    LotteryDraw draw(random);
    draw.Load(Paths(5), {}, Levels());
    random.Script({ValueFor(4, 5)});
    draw.Tick();
    EXPECT_EQ(draw.Stop(0, 2), (std::vector<int>{4, 0}));
    random.Script({ValueFor(2, 5), ValueFor(1, 5), ValueFor(3, 5)});
    draw.Tick();
    const std::vector<int> drawn = draw.Stop(0, 4);
    EXPECT_EQ(drawn, (std::vector<int>{2, 1, 3}));
    EXPECT_TRUE(draw.EveryoneHasWon());
    EXPECT_EQ(draw.Winners().size(), 5u);
}

TEST(LotteryStop, PresetsComeFirstInTheirOrderThenThePool) {
    ScriptedRandom random({});
    LotteryDraw draw(random);
    draw.Load(Paths(20), {{u"10-0-7.jpg", u"二等奖"}, {u"10-0-3.jpg", u"二等奖"}, {u"10-0-5.jpg", u"一等奖"}},
              Levels());
    random.Script({ValueFor(9, 20)});
    draw.Tick();  // 9 is on screen: it does not win level 2, presets and pool picks replace it
    // Pool of 17 (without 3, 5, 7); after each winner an any-non-winner pick of the 20 follows.
    random.Script({ValueFor(0, 20), ValueFor(0, 20), ValueFor(0, 17), ValueFor(1, 20), ValueFor(0, 17),
                   ValueFor(2, 17)});
    const std::vector<int> drawn = draw.Stop(2, 4);
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0], 7);
    EXPECT_EQ(drawn[1], 3);
    EXPECT_EQ(drawn[2], 0);  // pool index 0
    // Pool index 0 has won, so the pool pick tries again and lands on pool index 2 (candidate 2).
    EXPECT_EQ(drawn[3], 2);
    EXPECT_EQ(draw.PresetPick(1), 5) << "another level's preset is spared by level 2";
}

TEST(LotteryStop, LevelZeroWithoutPresetsLetsThePhotoOnScreenWinEvenIfReservedElsewhere) {
    ScriptedRandom random({});
    LotteryDraw draw(random);
    draw.Load(Paths(6), {{u"10-0-4.jpg", u"一等奖"}}, Levels());
    random.Script({ValueFor(4, 6)});
    draw.Tick();
    random.Script({ValueFor(1, 6)});
    EXPECT_EQ(draw.Stop(0, 2), (std::vector<int>{4, 1}));
    EXPECT_EQ(draw.PresetPick(1), std::nullopt) << "level 1's reserved guest has won level 0";
}

TEST(LotteryStop, WithThePoolEmptyALevelDrawsFromEveryoneLeft) {
    ScriptedRandom random({});
    LotteryDraw draw(random);
    draw.Load(Paths(3), {{u"10-0-0.jpg", u"一等奖"}, {u"10-0-1.jpg", u"二等奖"}, {u"10-0-2.jpg", u"三等奖"}},
              Levels());
    random.Script({ValueFor(2, 3)});
    draw.Tick();
    // Level 4 has no presets and the pool is empty: the photo on screen (reserved for level 3) wins.
    EXPECT_EQ(draw.Stop(4, 1), (std::vector<int>{2}));
}

TEST(LotteryStop, AStopRightAfterItsStartNeverDrawsAWinnerAgain) {
    ScriptedRandom random({});
    LotteryDraw draw(random);
    draw.Load(Paths(4), {}, Levels());
    random.Script({ValueFor(2, 4)});
    draw.Tick();
    EXPECT_EQ(draw.Stop(0, 1), (std::vector<int>{2}));
    // No tick between this start and stop: current is still 2, which has won.
    random.Script({ValueFor(2, 4), ValueFor(3, 4)});
    EXPECT_EQ(draw.Stop(0, 1), (std::vector<int>{3}));
    const std::set<std::u16string> unique{draw.Winners()[0].GetBase(), draw.Winners()[1].GetBase()};
    EXPECT_EQ(unique.size(), 2u);
}

TEST(LotteryStop, GridColumnsAreTheSquareRootOfTheWinnersPerDraw) {
    EXPECT_EQ(travenor::GridColumnsFor(1), 1);
    EXPECT_EQ(travenor::GridColumnsFor(4), 2);
    EXPECT_EQ(travenor::GridColumnsFor(9), 3);
    EXPECT_EQ(travenor::GridColumnsFor(16), 4);
    EXPECT_EQ(travenor::GridColumnsFor(25), 5);
}

}  // namespace
