// The about box over the in-memory platform: the letter rain replayed with a scripted random
// source, the "Info" menu's click guard, the slide, the links and the licence, dragging, and
// the main window's "About..." command with Stay on Top.
#include "about/about_box.h"

#include <gtest/gtest.h>

#include <deque>

#include "app/main_form.h"
#include "platform/fake/fake_platform.h"

namespace orv {
namespace {

// Answers Random(n) from a script (then 0), and notes every range asked for.
class ScriptedRandom : public RainRandom {
public:
    std::deque<int> script;
    std::vector<int> ranges;
    int Next(int range) override {
        ranges.push_back(range);
        if (script.empty()) return 0;
        const int value = script.front();
        script.pop_front();
        return value;
    }
};

struct CanvasOp {
    char kind;  // 'F' fill black, 'G' glyph
    int a, b, c, d;
    wchar_t glyph;
    RainColor color;
    bool operator==(const CanvasOp&) const = default;
};

class RecordingCanvas : public RainCanvas {
public:
    std::vector<CanvasOp> ops;
    void FillBlack(int left, int top, int right, int bottom) override {
        ops.push_back({'F', left, top, right, bottom, 0, {}});
    }
    void DrawGlyph(int x, int y, wchar_t glyph, RainColor color) override {
        ops.push_back({'G', x, y, 0, 0, glyph, color});
    }
};

CanvasOp Fill(int l, int t, int r, int b) { return {'F', l, t, r, b, 0, {}}; }
CanvasOp Glyph(int x, int y, wchar_t g, RainColor c) { return {'G', x, y, 0, 0, g, c}; }

TEST(RainTest, A452PixelSurfaceGets56ColumnsAndTwoDropsPerColumnFromTheRandomSource) {
    RecordingCanvas canvas;
    ScriptedRandom random;
    for (int i = 0; i < 112; ++i) random.script.insert(random.script.end(), {i % 31, i % 3, i % 100});
    Rain rain;
    rain.Start(canvas, random, 452, 380);
    EXPECT_EQ(rain.MatrixWidth(), 56);
    EXPECT_EQ(rain.MatrixHeight(), 31);
    ASSERT_EQ(rain.Drops().size(), 112u);
    EXPECT_EQ(canvas.ops, std::vector<CanvasOp>{Fill(0, 0, 452, 380)});
    for (int i = 0; i < 112; ++i) {
        const RainDrop& drop = rain.Drops()[static_cast<std::size_t>(i)];
        EXPECT_EQ(drop.column, i % 56) << i;
        EXPECT_EQ(drop.row, i % 31) << i;
        EXPECT_EQ(drop.speed, i % 3 + 1) << i;
        EXPECT_EQ(drop.brightness, i % 100) << i;
    }
    // Each drop asks for its row, speed and brightness, in that order.
    ASSERT_EQ(random.ranges.size(), 336u);
    EXPECT_EQ((std::vector<int>(random.ranges.begin(), random.ranges.begin() + 3)),
              (std::vector<int>{31, 3, 100}));
}

TEST(RainTest, TheDropTableNeverHoldsMoreThan5000) {
    RecordingCanvas canvas;
    ScriptedRandom random;
    Rain rain;
    rain.Start(canvas, random, 8 * 3000, 120);
    EXPECT_EQ(rain.Drops().size(), 5000u);
    EXPECT_EQ(rain.Drops().back().column, 4999 % 3000);
}

TEST(RainTest, ColoursOfTheHeadAndTailInIntegerArithmetic) {
    EXPECT_EQ(Rain::HeadColor(0), (RainColor{0, 0, 0}));
    EXPECT_EQ(Rain::TailColor(0), (RainColor{0, 0, 0}));
    // B = 99 * 255 div 100 = 252; D = 84.
    EXPECT_EQ(Rain::HeadColor(99), (RainColor{148, 252, 98}));
    EXPECT_EQ(Rain::TailColor(99), (RainColor{49, 84, 32}));
    EXPECT_EQ(Rain::HeadColor(50), (RainColor{74, 127, 49}));
    EXPECT_EQ(Rain::TailColor(50), (RainColor{24, 42, 16}));
}

class RainTickTest : public ::testing::Test {
protected:
    // Two columns (16 pixels) and matrixHeight 10 (120 pixels); the drops are then set by hand.
    RainTickTest() {
        rain.Start(canvas, random, 16, 120);
        canvas.ops.clear();
        random.ranges.clear();
    }
    RecordingCanvas canvas;
    ScriptedRandom random;
    Rain rain;
};

TEST_F(RainTickTest, ATickDrawsEveryDropAndMovesTheOnesWhoseTurnItIs) {
    rain.Drops() = {{0, 5, 1, 99}, {1, 0, 2, 50}, {0, 3, 3, 0}, {1, 11, 1, 20}};
    // Glyph picks for the drops, then the wrapped drop's new speed and brightness.
    random.script = {1, 0, 2, 1, 2, 77};

    rain.Tick(canvas, random);  // tick 0: every speed divides it, so every drop moves

    const std::vector<CanvasOp> expected = {
        // Drop 0 at row 5: trail end 5 - 40 wraps by 11s to 9.
        Fill(0, 108, 8, 120), Glyph(0, 48, L'z', Rain::TailColor(99)),
        Glyph(0, 60, L'z', Rain::HeadColor(99)),
        // Drop 1 at row 0: no tail glyph above the top row; trail end -40 wraps to 4.
        Fill(8, 48, 16, 60), Glyph(8, 0, L'q', Rain::HeadColor(50)),
        // Drop 2 at row 3, brightness 0: black glyphs; trail end -37 wraps to 7.
        Fill(0, 84, 8, 96), Glyph(0, 24, L'q', RainColor{}), Glyph(0, 36, L'q', RainColor{}),
        // Drop 3 at row 11 = matrixHeight + 1: trail end -29 wraps to 4.
        Fill(8, 48, 16, 60), Glyph(8, 120, L'z', Rain::TailColor(20)),
        Glyph(8, 132, L'z', Rain::HeadColor(20))};
    EXPECT_EQ(canvas.ops, expected);
    EXPECT_EQ((std::vector<int>{3, 3, 3, 3, 3, 100}), random.ranges);
    EXPECT_EQ(rain.Drops()[0].row, 6);
    EXPECT_EQ(rain.Drops()[1].row, 1);
    EXPECT_EQ(rain.Drops()[2].row, 4);
    // Beyond matrixHeight + 1 the drop starts again at the top with a new speed and brightness.
    EXPECT_EQ(rain.Drops()[3].row, 0);
    EXPECT_EQ(rain.Drops()[3].speed, 3);
    EXPECT_EQ(rain.Drops()[3].brightness, 77);
    EXPECT_EQ(rain.TickCounter(), 1u);

    rain.Tick(canvas, random);  // tick 1: only speed 1 moves
    EXPECT_EQ(rain.Drops()[0].row, 7);
    EXPECT_EQ(rain.Drops()[1].row, 1);
    EXPECT_EQ(rain.Drops()[2].row, 4);
    EXPECT_EQ(rain.Drops()[3].row, 0);
    rain.Tick(canvas, random);  // tick 2: speed 2 moves too
    EXPECT_EQ(rain.Drops()[1].row, 2);
    EXPECT_EQ(rain.Drops()[2].row, 4);
}

TEST_F(RainTickTest, ADropAtMatrixHeightPlusOneStaysUntilItMovesBeyond) {
    rain.Drops() = {{0, 10, 1, 10}};
    rain.Tick(canvas, random);
    EXPECT_EQ(rain.Drops()[0].row, 11);
    EXPECT_EQ((std::vector<int>{3}), random.ranges);  // only the glyph pick
}

TEST_F(RainTickTest, SettingUpAgainKeepsTheTickCounterAndStartingAgainResetsIt) {
    rain.Tick(canvas, random);
    rain.Tick(canvas, random);
    rain.Setup(canvas, random, 24, 120);
    EXPECT_EQ(rain.TickCounter(), 2u);
    EXPECT_EQ(rain.Drops().size(), 6u);
    rain.Start(canvas, random, 24, 120);
    EXPECT_EQ(rain.TickCounter(), 0u);
}

TEST(SlideIntervalTest, ScreenDpiTimesFiveOverTheFormsDpiRoundedHalfToEven) {
    struct Case {
        int screen, form;
        std::uint32_t ms;
    } cases[] = {
        {96, 96, 5},  {96, 192, 2} /* 2.5 */,   {96, 144, 3}, {144, 96, 8} /* 7.5 */, {120, 96, 6} /* 6.25 */,
        {96, 480, 1}, {96, 1000, 1} /* 0.48 */, {96, 0, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(SlideIntervalMs(c.screen, c.form), c.ms) << c.screen << "/" << c.form;
}

const std::wstring kLicence = L"C:\\Program Files\\Orvalin\\license.txt";

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() {
        identity.AppCompanyName = L"QUENZAL";
        identity.AppProductName = L"Orvalin";
        identity.AppTitle = L"QUENZAL - Orvalin";
        identity.AppVersion = L"3.2";
        box.Canvas = &canvas;
        box.OuterWidth = 452;
        box.OuterHeight = 400;
        box.OnClose = [this] { ++closes; };
        box.PopupMenuAt = [this](TButton&) {
            ++menus;
            os.Advance(menuOpenMs);
        };
        box.FormCreate();
    }
    bool Logged(const std::wstring& entry) const {
        return std::find(os.log.begin(), os.log.end(), entry) != os.log.end();
    }

    FakePlatform os;
    AppIdentity identity;
    ScriptedRandom random;
    RecordingCanvas canvas;
    TAboutBox box{os, identity, random, 96, 96};
    int closes = 0;
    int menus = 0;
    std::uint64_t menuOpenMs = 700;
};

TEST_F(AboutBoxTest, CreationShowsProductAndVersionAndStartsTheRain) {
    EXPECT_EQ(box.Caption(), L"About Orvalin");
    EXPECT_EQ(box.Label2.Caption(), L"Orvalin 3.2");
    EXPECT_EQ(box.BitBtn1.Caption(), L"OK");
    EXPECT_EQ(box.BitBtn2.Caption(), L"Info");
    EXPECT_EQ(box.Credits1.Caption(), L"Acknowledgements...");
    EXPECT_EQ(box.Howtouninstall1.Caption(), L"How to uninstall...");
    EXPECT_EQ(box.LicensePrivacyPolicy1.Caption(), L"License...");
    EXPECT_EQ(box.rain.Alphabet(), L"qzq");
    EXPECT_EQ(box.rain.Drops().size(), 112u);
    EXPECT_TRUE(box.tmTimer.Enabled());
    EXPECT_EQ(box.tmTimer.Interval(), 50u);
    EXPECT_FALSE(box.PanelEgg.Visible());
    EXPECT_EQ(box.PanelEgg.Left, 61);
    EXPECT_EQ(box.PanelEgg.Top, 77);
    EXPECT_EQ(box.Panel1.Left, 48);
    EXPECT_EQ(box.Panel1.Top, 42);

    canvas.ops.clear();
    os.Advance(50);
    EXPECT_EQ(box.rain.TickCounter(), 1u);
    EXPECT_FALSE(canvas.ops.empty());
}

TEST_F(AboutBoxTest, AResizeSetsTheRainUpAgainWithTheSizeItStartedWith) {
    os.Advance(100);
    box.OuterWidth = 800;
    box.FormResize();
    EXPECT_EQ(box.rain.MatrixWidth(), 56);
    EXPECT_EQ(box.rain.TickCounter(), 2u);
    // A DPI change starts it afresh at the new size.
    box.OuterWidth = 904;
    box.OuterHeight = 800;
    box.FormAfterMonitorDpiChanged(192);
    EXPECT_EQ(box.rain.MatrixWidth(), 113);
    EXPECT_EQ(box.rain.TickCounter(), 0u);
    EXPECT_EQ(box.Panel1.Left, 96);
}

TEST_F(AboutBoxTest, AnInfoClickWithin100MsOfTheMenuClosingDoesNotReopenIt) {
    box.BitBtn2.Click();
    EXPECT_EQ(menus, 1);
    os.Advance(99);  // the click that closed the menu
    box.BitBtn2.Click();
    EXPECT_EQ(menus, 1);
    box.BitBtn2.Click();  // the next click opens it again
    EXPECT_EQ(menus, 2);
    os.Advance(100);
    box.BitBtn2.Click();
    EXPECT_EQ(menus, 3);
}

TEST_F(AboutBoxTest, TheMenuGuardSurvivesTheTickCountWrappingRound) {
    os.tickBase = 0xFFFFFFFFu - 800;  // the menu closes 100 ms before the wrap
    box.BitBtn2.Click();
    os.Advance(150);
    box.BitBtn2.Click();
    EXPECT_EQ(menus, 2);
    os.Advance(10);
    box.BitBtn2.Click();
    EXPECT_EQ(menus, 2);
}

TEST_F(AboutBoxTest, TheLinksOpenTheMakersPagesHidden) {
    const std::wstring host = ORVALIN_WEBSITE_HOST;
    box.Credits1.Click();
    box.Howtouninstall1.Click();
    box.Label5Click();
    EXPECT_EQ(os.log, (std::vector<std::wstring>{
                          L"ShellExecute verb=open file=https://" + host +
                              L"/blog/credits-and-acknowledgements/ params= dir= show=0",
                          L"ShellExecute verb=open file=http://" + host +
                              L"/blog/how-to-uninstall-quenzal-software/ params= dir= show=0",
                          L"ShellExecute verb=open file=https://" + host + L"/ params= dir= show=0"}));
    EXPECT_EQ(box.Label5.Caption(), host);
    EXPECT_EQ(box.Label5.Hint(), L"https://" + host + L"/");
}

TEST_F(AboutBoxTest, TheLicenceOpensInNotepadWithItsPathQuoted) {
    os.ReplaceFileContent(kLicence, "MIT");
    os.log.clear();
    box.LicensePrivacyPolicy1.Click();
    EXPECT_EQ(os.log, (std::vector<std::wstring>{L"ShellExecute verb= file=notepad.exe params=\"" + kLicence +
                                                 L"\" dir= show=1"}));
    EXPECT_TRUE(os.dialogs.empty());
}

TEST_F(AboutBoxTest, AMissingLicenceShowsFileNotFoundAndNothingElse) {
    box.LicensePrivacyPolicy1.Click();
    ASSERT_EQ(os.dialogs.size(), 1u);
    EXPECT_EQ(os.dialogs[0].caption, L"License");
    EXPECT_EQ(os.dialogs[0].message, L"File not found!");
    EXPECT_EQ(os.dialogs[0].kind, DialogKind::Error);
    EXPECT_TRUE(os.log.empty());
    EXPECT_EQ(closes, 0);
}

TEST_F(AboutBoxTest, TheSlideRevealsThePictureAndDoubleClicksWaitForItToEnd) {
    box.Image1DblClick();
    EXPECT_TRUE(box.PanelEgg.Visible());
    EXPECT_TRUE(box.TimerEgg.Enabled());
    EXPECT_EQ(box.TimerEgg.Interval(), 5u);
    os.Advance(5);
    EXPECT_EQ(box.Panel1.Left, 53);
    box.ImageEggDblClick();  // ignored while sliding
    EXPECT_TRUE(box.PanelEgg.Visible());
    EXPECT_EQ(box.Panel1.Left, 53);
    os.Advance(5 * 79);
    EXPECT_EQ(box.Panel1.Left, 448);  // the first position beyond the client width of 446
    EXPECT_FALSE(box.TimerEgg.Enabled());
    os.Advance(50);
    EXPECT_EQ(box.Panel1.Left, 448);

    box.ImageEggDblClick();
    EXPECT_FALSE(box.PanelEgg.Visible());
    EXPECT_EQ(box.Panel1.Left, 48);
}

TEST_F(AboutBoxTest, EscOnEitherButtonCloses) {
    box.ButtonKeyDown(13);
    EXPECT_EQ(closes, 0);
    box.ButtonKeyDown(27);
    EXPECT_EQ(closes, 1);
    box.BitBtn1.Click();
    EXPECT_EQ(closes, 2);
}

TEST_F(AboutBoxTest, AnyButtonButTheRightOneDragsTheBox) {
    std::vector<std::pair<int, int>> moves;
    box.MoveWindowBy = [&](int dx, int dy) { moves.emplace_back(dx, dy); };
    box.FormMouseDown(TAboutBox::MouseButton::Right, {100, 100});
    box.FormMouseMove({110, 105});
    EXPECT_TRUE(moves.empty());
    box.FormMouseDown(TAboutBox::MouseButton::Middle, {100, 100});
    box.FormMouseMove({110, 105});
    box.FormMouseMove({108, 125});
    box.FormMouseUp();
    box.FormMouseMove({200, 200});
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{10, 5}, {-2, 20}}));
}

TEST(AboutCommandTest, StayOnTopIsOffWhileTheBoxIsOpenAndOnAgainAfter) {
    FakePlatform os;
    os.InstallOwnVersionResource();
    TAppForm form(os);
    form.FormCreate();
    const std::wstring ini = L"C:\\Program Files\\Orvalin\\settings.ini";
    const auto stored = [&] {
        const std::string bytes = os.FileBytes(ini);
        const auto at = bytes.find("StayOnTop=");
        return at == std::string::npos ? std::string()
                                       : bytes.substr(at + 10, bytes.find('\r', at) - at - 10);
    };
    form.StayonTop1.Click();
    std::string whileOpen;
    bool checkedWhileOpen = true;
    form.ShowAboutBox = [&] {
        whileOpen = stored();
        checkedWhileOpen = form.StayonTop1.Checked();
    };
    form.About1.Click();
    EXPECT_EQ(whileOpen, "OFF");
    EXPECT_FALSE(checkedWhileOpen);
    EXPECT_EQ(stored(), "ON");
    EXPECT_TRUE(form.StayonTop1.Checked());

    form.StayonTop1.Click();  // off: the box leaves it alone
    form.About1.Click();
    EXPECT_EQ(whileOpen, "OFF");
    EXPECT_EQ(stored(), "OFF");
}

}  // namespace
}  // namespace orv
