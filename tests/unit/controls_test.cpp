// Change semantics of the control models that the form handlers rely on.
#include <gtest/gtest.h>

#include "core/controls.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

TEST(Controls, CheckBoxRunsItsHandlerOnlyOnRealChanges) {
    TCheckBox box;
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.SetChecked(false);
    EXPECT_EQ(clicks, 0);
    box.SetChecked(true);
    box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box.Click();
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 2);
}

TEST(Controls, SpinEditHoldsItsRangeAndReportsEveryDifferentValue) {
    TSpinEdit edit(1, 999999999, 1);
    std::vector<std::int64_t> seen;
    edit.OnChange = [&] { seen.push_back(edit.Value()); };
    edit.SetValue(1);              // the same value: nothing
    edit.SetValue(0);              // held to 1, but reported so that the held value is saved
    edit.SetValue(5);
    edit.SetValue(5);
    edit.SetValue(2000000000);     // held to the maximum
    EXPECT_EQ(seen, (std::vector<std::int64_t>{1, 5, 999999999}));
}

TEST(Controls, CheckingARadioButtonUnchecksTheOthersAndClicksOnce) {
    TRadioButton a, b;
    a.SetGroup({&a, &b});
    b.SetGroup({&a, &b});
    a.SetChecked(true);
    int aClicks = 0, bClicks = 0;
    a.OnClick = [&] { ++aClicks; };
    b.OnClick = [&] { ++bClicks; };
    b.Click();
    b.Click();
    EXPECT_TRUE(b.Checked());
    EXPECT_FALSE(a.Checked());
    EXPECT_EQ(bClicks, 1);
    EXPECT_EQ(aClicks, 0);
}

TEST(Controls, RadioMenuItemsKeepOneMarkAndRunNoHandler) {
    TMenuItem none, step;
    none.SetRadioGroup({&none, &step});
    step.SetRadioGroup({&none, &step});
    int clicks = 0;
    step.OnClick = [&] { ++clicks; };
    none.SetChecked(true);
    step.SetChecked(true);
    EXPECT_FALSE(none.Checked());
    EXPECT_TRUE(step.Checked());
    EXPECT_EQ(clicks, 0);
}

TEST(Controls, TimerTicksFollowTheWindowTimerRules) {
    FakePlatform os;
    TTimer timer(os, 100, false);
    std::vector<std::uint64_t> ticks;
    timer.OnTimer = [&] { ticks.push_back(os.NowMs()); };

    timer.SetEnabled(true);      // first tick one interval later
    os.Advance(250);             // ticks at 100, 200
    timer.SetEnabled(true);      // already enabled: the count goes on
    timer.SetInterval(100);      // same interval: nothing
    os.Advance(50);              // tick at 300
    timer.SetInterval(40);       // new interval restarts the count at 300
    os.Advance(90);              // ticks at 340, 380
    timer.SetInterval(0);        // never ticks
    os.Advance(500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{100, 200, 300, 340, 380}));
    EXPECT_TRUE(timer.Enabled());
}

}  // namespace
}  // namespace orv
