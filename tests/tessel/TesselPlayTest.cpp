// Tessel played as a player would: the real program from a scratch copy of
// its folder, real X input, the window's pixels, the leaders file on disk
// and the exit status. The board is random, so every check reads it from the
// screen, where its frame tells the size of its cells.
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>
#include <regex>
#include <sstream>
#include <string>

#include "App.h"
#include "Browser.h"
#include "StaticServer.h"
#include "Cp1251.h"
#include "TestSupport.h"
// Last: its macros clash with names in the headers above.
#include <X11/extensions/Xfixes.h>

namespace {

using namespace std::chrono_literals;
using e2e::App, e2e::Image, e2e::Rect, e2e::Rgb, e2e::WindowId, e2e::WindowQuery, e2e::XSession;

const char* const kLeadersFile = "рекорды.txt";
const std::string kTitle = "Gemora  от Vardelin";

constexpr Rgb kBackground{26, 0, 51}, kFrame{204, 204, 204}, kWhite{255, 255, 255}, kSorryGreen{0, 179, 0},
    kPlaceRed{204, 0, 0}, kNameBlue{0, 0, 204}, kLeaderYellow{179, 179, 0}, kLeaderPurple{179, 0, 179};
constexpr int kTolerance = 3;

// Ten scores below anything a game without swaps can reach, the name of
// slot 3 in Cyrillic, which the screen cannot show; and ten out of reach.
std::string LowTable() {
  std::string table = testsupport::LeadersFrom(-10);
  return table.replace(table.find("P3"), 2, "ЖЕНЯ"_cp);
}
const std::string kLowTable = LowTable();
const std::string kHighTable = testsupport::LeadersFrom(1999999999, 1);

// The colours of the cell values 0 (empty) to 9 in tenths of full
// intensity, written out here rather than read from the game: black, green,
// orange, cyan, red, blue, violet, yellow, dark blue and dark red.
Rgb GemRgb(int kind) {
  static constexpr int kTenths[10][3] = {{0, 0, 0}, {2, 6, 0}, {9, 6, 0}, {0, 7, 8}, {9, 0, 0},
                                         {1, 2, 8}, {4, 0, 7}, {9, 9, 0}, {0, 1, 4}, {5, 0, 0}};
  auto channel = [&](int i) { return static_cast<uint8_t>(std::lround(kTenths[kind][i] * 25.5)); };
  return {channel(0), channel(1), channel(2)};
}

// Where things are in the window: the board's top left corner 20 pixels in
// from the client area's, its cells as the frame shows them.
struct Screen {
  int width = 0, height = 0, cell = 0;
  // Pixel of the grid line i cells right of (or below) the board's corner.
  int Edge(int i) const { return 20 + i * cell; }
  int Centre(int i) const { return Edge(i - 1) + cell / 2; }
  // The window row of a text's base line `base` pixels above the bottom.
  int BaseRow(int base) const { return height - 1 - base; }
  // The rows of a text line from the top of its tallest letters to the
  // bottom of its descenders, from x - 8 to the right edge.
  Rect TextArea(int x, int base) const { return {x - 8, BaseRow(base) - 15, width - (x - 8), 20}; }
  // The score line stands 40 pixels below the board's lower edge.
  int ScoreBase() const { return height - Edge(8) - 40; }
};

// The bounding box of the pixels of one colour in an area; empty when none.
Rect Extent(const Image& image, Rect area, Rgb colour) {
  area = e2e::Intersect(area, image.Bounds());
  int left = area.x + area.width, top = area.y + area.height, right = -1, bottom = -1;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      if (!e2e::Near(image.At(x, y), colour, kTolerance)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

int Pixels(const Image& image, Rect area, Rgb colour) {
  return e2e::CountPixels(image, area, colour, kTolerance);
}

// A glyph of the screen font as the build under test draws it: how far it
// moves the pen, the first column and the number of columns it lights, and
// how many pixels it lights, and would at normal weight.
struct Glyph {
  int advance = 0, left = 0, width = 0, pixels = 0, normalPixels = 0;
};
using Font = std::array<Glyph, 128>;

// The glyphs of the codes 32..127, as GlyphProbe.exe of the build under test
// reports them (the Windows build's come from Wine's fonts).
const Font& ScreenFont() {
  static const Font font = [] {
    App probe(e2e::Dist(GLYPH_PROBE_DIST), "GlyphProbe.exe");
    probe.Start();
    if (probe.WaitForExit(30s) != e2e::ExitStatus::Code(0)) throw e2e::HarnessError("GlyphProbe.exe failed");
    Font glyphs{};
    std::istringstream lines(probe.Stdout());
    int count = 0;
    for (unsigned code = 0; lines >> code && code < glyphs.size(); ++count) {
      Glyph& g = glyphs[code];
      lines >> g.advance >> g.left >> g.width >> g.pixels >> g.normalPixels;
    }
    if (count != 96) throw e2e::HarnessError("GlyphProbe.exe gave " + std::to_string(count) + " glyphs");
    return glyphs;
  }();
  return font;
}

// The line `text` drawn at (x, base) in `colour`, word for word: its
// tallest letters reach well above the base line and nothing but descenders
// goes below it (a rule of hyphens has no letters to stand there), its
// pixels run from the first column its first glyph lights to the last its
// last glyph lights, with every glyph's advance between, and there are as
// many of them as bold glyphs light, clearly more than glyphs of normal
// weight would. Characters outside 32..127 draw nothing and take no room.
// Wine's 32-bit OpenGL loses the move of the space's list (a bitmap of no
// pixels), so the Windows build shows its texts there without spaces; on
// Linux, as on Windows, every space moves the pen by its advance.
void ExpectText(const Image& image, const Screen& s, int x, int base, Rgb colour, const std::string& text) {
  const Rect area = s.TextArea(x, base), box = Extent(image, area, colour);
  const int top = box.y, bottom = box.y + box.height - 1, row = s.BaseRow(base);
  if (text.find_first_not_of('-') != std::string::npos) {
    EXPECT_TRUE(!box.Empty() && row - 13 <= top && top <= row - 7 && row <= bottom && bottom <= row + 4)
        << '"' << text << "\": the " << colour << " pixels cover " << box << " for the base line at row "
        << row;
  }
  const bool wine = e2e::UnderWine();
  int first = s.width, last = -1, pen = x, bold = 0, normal = 0;
  for (unsigned char c : text) {
    if (c < 32 || c > 127) continue;
    const Glyph& glyph = ScreenFont()[c];
    if (glyph.width > 0) {
      first = std::min(first, pen + glyph.left);
      last = std::max(last, pen + glyph.left + glyph.width - 1);
    }
    pen += c == ' ' && wine ? 0 : glyph.advance;
    bold += glyph.pixels;
    normal += glyph.normalPixels;
  }
  EXPECT_TRUE(box.x == first && box.x + box.width - 1 == last)
      << '"' << text << "\" should light columns " << first << " to " << last << " but the " << colour
      << " pixels cover " << box;
  const int lit = Pixels(image, area, colour);
  EXPECT_LE(std::abs(lit - bold), std::abs(lit - normal))
      << '"' << text << "\" lights " << lit << " pixels; in bold it would light " << bold
      << ", in normal weight " << normal;
}

// The name of the pointer's image on the X server: "left_ptr" for the arrow.
std::string PointerName(XSession& x) {
  XFixesCursorImage* image = XFixesGetCursorImage(x.Raw());
  const std::string name = image != nullptr && image->name != nullptr ? image->name : "";
  if (image != nullptr) XFree(image);
  return name;
}

bool NoText(const Image& image, const Screen& s, int x, int base, Rgb colour) {
  return Pixels(image, s.TextArea(x, base), colour) == 0;
}

// The right end of the score line.
int ScoreLineEnd(const Image& image, const Screen& s) {
  Rect box = Extent(image, s.TextArea(20, s.ScoreBase()), kWhite);
  return box.x + box.width;
}

// ------------------------------------------------------------------ board

// The board as the screen shows it, a line per row from the top: per cell
// 0 for black, a gem kind 1..9, or '?' for any other colour. Cell (x, y),
// both in 1..8, is the character At(x, y).
using Board = std::string;
size_t At(int x, int y) { return static_cast<size_t>((y - 1) * 9 + x - 1); }
bool AllGems(const std::string& cells) { return cells.find_first_of("0?") == std::string::npos; }

Board ReadBoard(const Image& image, const Screen& s) {
  Board b;
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) {
      const Rgb c = image.At(s.Centre(x), s.Centre(y));
      char cell = '?';
      for (int kind = 0; kind <= 9; ++kind) {
        if (e2e::Near(c, GemRgb(kind), kTolerance)) cell = static_cast<char>('0' + kind);
      }
      b += cell;
    }
    b += '\n';
  }
  return b;
}

// Three or more equal gems joined through their sides. Any such group has
// a gem with two equal neighbours, and such a gem makes a group.
bool HasGroup(const Board& b) {
  auto kind = [&](int x, int y) { return x < 1 || x > 8 || y < 1 || y > 8 ? '0' : b[At(x, y)]; };
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      const char k = kind(x, y);
      if (k >= '1' && k <= '9' &&
          (kind(x - 1, y) == k) + (kind(x + 1, y) == k) + (kind(x, y - 1) == k) + (kind(x, y + 1) == k) >= 2)
        return true;
    }
  }
  return false;
}

// A quarter turn counter-clockwise on screen.
Board Rotated(const Board& b) {
  Board r = b;
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) r[At(x, y)] = b[At(9 - y, x)];
  }
  return r;
}

// White pixels across each side of cell (x, y) at its middle; the fewest.
int OutlinePixels(const Image& image, const Screen& s, int x, int y) {
  const int mx = s.Centre(x), my = s.Centre(y);
  return std::min({Pixels(image, {mx - 4, s.Edge(y - 1) - 3, 8, 7}, kWhite),
                   Pixels(image, {mx - 4, s.Edge(y) - 3, 8, 7}, kWhite),
                   Pixels(image, {s.Edge(x - 1) - 3, my - 4, 7, 8}, kWhite),
                   Pixels(image, {s.Edge(x) - 3, my - 4, 7, 8}, kWhite)});
}

// ------------------------------------------------------------------ play

struct Game {
  App app{e2e::Dist(TESSEL_DIST), "Tessel.exe"};
  XSession x;
  WindowId w = 0;
  Screen s;
  std::chrono::steady_clock::time_point firstTick;  // when the first picture showed

  // Starts the game on `leaders` (on the table it has, when none); `options`
  // may change its locale, and then the caption's Cyrillic.
  void Start(const std::optional<std::string>& leaders, const e2e::StartOptions& options = {},
             const WindowQuery& title = WindowQuery::Prefix(kTitle)) {
    ScreenFont();  // before the game, which then has the display to itself
    if (leaders) app.WriteFile(kLeadersFile, *leaders);
    app.Start(options);
    w = app.WaitForWindow(x, title, 20s);
    x.Activate(w);
    const Rect r = x.Geometry(w);
    s = {r.width, r.height, 0};
    // The frame's right side, three pixels wide, stands on the board's
    // right edge 20 + 8 cells in; the first tick draws it.
    WaitForScreen("the board's frame", [&](const Image& image) {
      for (int col = s.width - 1; col > 20 && s.cell == 0; --col) {
        if (e2e::Near(image.At(col, 40), kFrame, kTolerance)) s.cell = (col - 20 + 4) / 8;
      }
      firstTick = std::chrono::steady_clock::now();
      return s.cell > 0;
    });
  }

  Image Capture() { return x.Capture(w); }

  // Ends the game, once the board is at rest, with a score that takes a
  // place in the table, and saves `name` there, typed in lower case (the
  // game makes the letters capitals).
  void SaveName(std::string name) {
    const std::string typed = name;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    WaitForRest();
    x.TapKey(XK_Return);
    WaitForText("the \"Place \" line", 20, 70, kPlaceRed);
    x.Type(typed);
    x.TapKey(XK_Return);
    app.WaitForFileContaining(kLeadersFile, " " + name + "\r\n", 10s);
  }

  // Captures until `done` holds for the picture; returns that picture.
  Image WaitForScreen(const std::string& what, const std::function<bool(const Image&)>& done,
                      e2e::Duration timeout = 5s) {
    Image image;
    app.WaitUntil(what, timeout, [&] {
      image = Capture();
      return done(image);
    });
    return image;
  }

  // Captures until text of `colour` shows at (left, base); returns that picture.
  Image WaitForText(const std::string& what, int left, int base, Rgb colour) {
    return WaitForScreen(what, [&](const Image& image) { return !NoText(image, s, left, base, colour); });
  }

  // Waits until the board is full and holds no group, and a whole tick has
  // passed without any change: then it is at rest.
  Board WaitForRest() {
    Board board;
    app.WaitUntil(
        "the board to fill and come to rest", 60s,
        [&] {
          board = ReadBoard(x.WaitForStableImage(w, 1200ms, 60s), s);
          return AllGems(board) && !HasGroup(board);
        },
        [&] { return "board\n" + board; });
    return board;
  }
};

TEST(TesselPlay, FillsFromTheTopTurnsAndSwapsAndAGameOutOfTheTableSaysSorry) {
  Game g;
  g.Start(kHighTable);
  const Screen& s = g.s;
  // The outer window of 350 by 500 is centred on the screen; on Linux,
  // without a window manager, it is all client area.
  // In a page the canvas has the window's inside size.
  const Rect screen = g.x.ScreenRect();
  const Rect outer =
      e2e::OnWeb() ? Rect{0, 0, 350, 500} : Rect{screen.width / 2 - 175, screen.height / 2 - 250, 350, 500};
  EXPECT_TRUE(e2e::IsClientAreaOf(g.x.Geometry(g.w), outer)) << g.x.Geometry(g.w);
  if (!e2e::UnderWine()) {
    EXPECT_EQ(g.x.Geometry(g.w), outer);
    EXPECT_EQ(s.cell, 38);  // 8 cells fill the width but for 20 pixels each side and 5 each cell
  }
  g.x.WaitForTitle(g.w, WindowQuery::Exact(kTitle + "   0   0"), 3s);
  // The system pointer shows over the window: the arrow (on Linux; Wine
  // and the browser draw their own).
  g.x.MovePointer(g.w, s.width / 2, s.height - 5);
  EXPECT_TRUE(g.x.PointerShown());
  if (!e2e::UnderWine() && !e2e::OnWeb()) {
    EXPECT_EQ(PointerName(g.x), "left_ptr");
  }

  // The first tick brings one row of gems in at the top; below it the
  // cells are black inside the grey frame, which is open at the top.
  Board b;
  Image first = g.WaitForScreen("the first gems", [&](const Image& image) {
    b = ReadBoard(image, s);
    return AllGems(b.substr(0, 8));
  });
  EXPECT_TRUE(std::regex_match(b, std::regex("([1-9]{8}\n){1,2}(0{8}\n)+"))) << b;
  const int mid = s.Edge(4), end = s.Edge(8);
  EXPECT_GT(Pixels(first, {16, mid - 5, 4, 10}, kFrame), 0) << "left side";
  EXPECT_GT(Pixels(first, {end, mid - 5, 4, 10}, kFrame), 0) << "right side";
  EXPECT_GT(Pixels(first, {mid - 5, end, 10, 4}, kFrame), 0) << "bottom side";
  EXPECT_EQ(Pixels(first, {mid - 5, 16, 10, 6}, kFrame), 0) << "the top stays open";
  EXPECT_TRUE(e2e::PixelIs(first, 10, 10, kBackground, kTolerance));
  EXPECT_TRUE(e2e::PixelIs(first, s.width - 10, mid, kBackground, kTolerance));
  EXPECT_TRUE(e2e::PixelIs(first, mid, end + 12, kBackground, kTolerance));
  ExpectText(first, s, 20, s.ScoreBase(), kWhite, "Score: 0   +0");
  ExpectText(first, s, 20, 70, kWhite, "Choose:  left  mouse");
  ExpectText(first, s, 20, 50, kWhite, "Rotate:  right  mouse");
  ExpectText(first, s, 20, 30, kWhite, "Enter result:  <Enter>");

  // A row every 0.8 s: the fifth comes four ticks after the first, 3.2 s
  // later (2.4 to 4.8 s on a busy machine).
  const Board firstRows = b;
  g.WaitForScreen(
      "five rows of gems", [&](const Image& image) { return AllGems(ReadBoard(image, s).substr(0, 45)); },
      10s);
  const auto fiveRows = std::chrono::steady_clock::now() - g.firstTick;
  EXPECT_TRUE(fiveRows >= 2400ms && fiveRows <= 4800ms)
      << std::chrono::duration_cast<std::chrono::milliseconds>(fiveRows).count() << " ms";

  // Escape while the board falls does nothing: the fill goes on.
  g.x.TapKey(XK_Escape);
  b = Rotated(g.WaitForRest());

  // The right button turns the board wherever it is pressed.
  g.x.Click(g.w, s.width - 10, s.height - 10, e2e::Button::Right);
  g.WaitForScreen("the board to turn a quarter counter-clockwise",
                  [&](const Image& image) { return ReadBoard(image, s) == b; });

  // A neighbouring pair of different gems whose swap makes no group.
  int fx = 0, fy = 0;
  Board swapped;
  for (int x = 2; x <= 7 && fx == 0; ++x) {
    for (int y = 2; y <= 7 && fx == 0; ++y) {
      swapped = b;
      std::swap(swapped[At(x, y)], swapped[At(x + 1, y)]);
      if (b[At(x, y)] != b[At(x + 1, y)] && !HasGroup(swapped)) fx = x, fy = y;
    }
  }
  ASSERT_NE(fx, 0) << "no quiet swap on\n" << b;

  // Choosing a cell outlines it in white.
  auto outlined = [&](const Image& image) { return OutlinePixels(image, s, fx, fy) > 0; };
  EXPECT_FALSE(outlined(g.Capture()));
  g.x.Click(g.w, s.Centre(fx), s.Centre(fy));
  Image chosen = g.WaitForScreen("the chosen cell's outline", outlined);
  if (const char* path = std::getenv("TESSEL_SCREENSHOT")) e2e::SavePng(chosen, path);

  // The swap shows at the next tick together with its penalty: "+-500" is
  // longer than "+0", more than the score itself can shrink.
  const int endBefore = ScoreLineEnd(chosen, s);
  g.x.Click(g.w, s.Centre(fx + 1), s.Centre(fy));
  Image penalty =
      g.WaitForScreen("the swap", [&](const Image& image) { return ReadBoard(image, s) == swapped; });
  EXPECT_FALSE(outlined(penalty));
  const int endPenalty = ScoreLineEnd(penalty, s);
  EXPECT_GT(endPenalty, endBefore);
  g.x.WaitForTitle(g.w, WindowQuery::Exact(kTitle + "   " + b[At(fx, fy)] + "   " + b[At(fx + 1, fy)]), 3s);
  // The next tick finds nothing again and shows "+0" after the lower score;
  // the swapped gems stay.
  Image after = g.WaitForScreen("the score line after the penalty",
                                [&](const Image& image) { return ScoreLineEnd(image, s) < endPenalty; });
  EXPECT_GE(endPenalty - ScoreLineEnd(after, s), 10) << "\"-500\" in place of \"0\"";
  EXPECT_EQ(ReadBoard(after, s), swapped);

  // Ending the game out of the table: the green "Sorry" lines instead of
  // the help; Enter shows the table.
  g.x.TapKey(XK_Return);
  Image sorry = g.WaitForText("the \"Sorry\" lines", 20, 70, kSorryGreen);
  ExpectText(sorry, s, 20, 70, kSorryGreen, "Sorry, you are not in leaders...");
  ExpectText(sorry, s, 20, 40, kSorryGreen, "Press  <Enter>  or  <Esc>");
  EXPECT_TRUE(NoText(sorry, s, 20, 50, kWhite)) << "help lines gone";
  g.x.TapKey(XK_Return);
  g.WaitForText("the leaders screen", 30, s.height - 50, kWhite);
  EXPECT_EQ(g.app.ReadFile(kLeadersFile), kHighTable);
  g.x.TapKey(XK_Escape);
  EXPECT_EQ(g.app.WaitForExit(3s), e2e::ExitStatus::Code(0));

  // Every start brings gems of its own: the first row differs (the lowest
  // row of gems at the first look is the first tick's).
  g.Start(kHighTable);
  Board again;
  g.WaitForScreen("the first gems", [&](const Image& image) {
    again = ReadBoard(image, s);
    return AllGems(again.substr(0, 8));
  });
  auto firstTickRow = [](const Board& rows) { return rows.substr(rows.find("00000000") - 9, 8); };
  EXPECT_NE(firstTickRow(again), firstTickRow(firstRows)) << firstRows << again;
  // Closing the window ends the game at any time. (A page's window is the
  // browser's: closing it closes the page, and nothing is left to end.)
  if (!e2e::OnWeb()) {
    g.x.RequestClose(g.w);
    EXPECT_EQ(g.app.WaitForExit(3s), e2e::ExitStatus::Code(0));
  }
}

// Under Wine the Latin locale gives the ANSI code page 1252, where the
// Windows-1251 bytes of the leaders file's name would name another file:
// the game names it through the wide-character calls and still finds,
// rewrites and rereads it. (A page has no locale to set.)
TEST(TesselPlay, EnterTakesTheNameWritesTheTableShowsItAndTheNextGameReadsTheFileAfresh) {
  Game g;
  e2e::StartOptions latin;
  latin.env = {{"LC_ALL", "C.UTF-8"}};
  g.Start(kLowTable, e2e::OnWeb() ? e2e::StartOptions{} : latin, WindowQuery::Prefix("Gemora  "));
  const Screen& s = g.s;
  g.WaitForRest();

  // A score of 0 or more beats every score in the table: place 1.
  g.x.TapKey(XK_Return);
  Image over = g.WaitForText("the \"Place \" line", 20, 70, kPlaceRed);
  ExpectText(over, s, 20, 70, kPlaceRed, "Place 1.  Enter you name:");
  EXPECT_TRUE(NoText(over, s, 20, 40, kNameBlue)) << "no name yet";
  EXPECT_TRUE(AllGems(ReadBoard(over, s)));

  // Lower-case letters come out as capitals; the space is refused;
  // Backspace takes the 2 back. "ZX1" and twelve more make fifteen; the
  // rest is refused.
  g.x.Type("zx 12");
  Image typed = g.WaitForText("the typed name", 20, 40, kNameBlue);
  ExpectText(typed, s, 20, 40, kNameBlue, "ZX12");
  g.x.TapKey(XK_BackSpace);
  g.x.Type("qwertyuiopasdfgh");
  g.x.TapKey(XK_Return);

  g.app.WaitForFileContaining(kLeadersFile, " ZX1QWERTYUIOPAS\r\n", 10s);
  const std::string saved = g.app.ReadFile(kLeadersFile);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(saved, m, std::regex("(0|[1-9][0-9]*) ZX1QWERTYUIOPAS\r\n([\\s\\S]*)")))
      << e2e::Printable(saved);
  EXPECT_EQ(m[2].str(), kLowTable.substr(0, kLowTable.rfind("-100")));
  EXPECT_FALSE(g.app.FileExists("рекорды.tmp"));

  // The leaders screen: title, ten rows, the rule and the footer, with the
  // ended game's lines still below; the board is gone.
  Image leaders = g.WaitForText("the leaders screen", 30, s.height - 50, kWhite);
  ExpectText(leaders, s, 30, s.height - 50, kWhite, "HERE  THE  BEST !!!");
  // The new leader first, then the table as it was, less its last line.
  // Names keep the space before them in the file and are drawn after two
  // more; the Cyrillic one of slot 4 not at all.
  std::istringstream rows(m[1].str() + " ZX1QWERTYUIOPAS\r\n" + m[2].str());
  for (int slot = 1; slot <= 10; ++slot) {
    const int base = s.height - 100 - 20 * slot;
    std::string score, name;
    rows >> score >> name;
    ExpectText(leaders, s, 250, base, kLeaderPurple, score);
    if (slot == 4) {
      EXPECT_TRUE(NoText(leaders, s, 20, base, kLeaderYellow)) << "name of slot 4";
    } else {
      ExpectText(leaders, s, 20, base, kLeaderYellow, "   " + name);
    }
  }
  Rect rule = Extent(leaders, s.TextArea(20, s.height - 320), kWhite);
  EXPECT_LE(rule.height, 4) << "the rule covers " << rule;
  ExpectText(leaders, s, 20, s.height - 320, kWhite, std::string(53, '-'));
  ExpectText(leaders, s, 80, 10, kWhite, "<Enter>  vs  <Esc>  ");
  ExpectText(leaders, s, 20, s.ScoreBase(), kWhite, "Score: " + m[1].str() + "   +0");
  ExpectText(leaders, s, 20, 70, kPlaceRed, "Place 1.  Enter you name:");
  ExpectText(leaders, s, 20, 40, kNameBlue, "ZX1QWERTYUIOPAS");
  EXPECT_EQ(Pixels(leaders, {16, s.Edge(4) - 5, 4, 10}, kFrame), 0) << "no frame";
  const Board hidden = ReadBoard(leaders, s);
  EXPECT_EQ(hidden.find_first_of("123456789"), std::string::npos) << "gems left:\n" << hidden;

  // Enter once more starts the next game, which reads the file again: its
  // table leaves any score of a game without swaps the tenth place.
  std::string tenth = kHighTable;
  tenth.replace(tenth.rfind("1999999990"), 10, "-1");
  g.app.WriteFile(kLeadersFile, tenth);
  g.x.TapKey(XK_Return);
  g.WaitForRest();
  g.x.TapKey(XK_Return);
  Image placed = g.WaitForText("the \"Place \" line", 20, 70, kPlaceRed);
  ExpectText(placed, s, 20, 70, kPlaceRed, "Place 10.  Enter you name:");

  // Alt+F4 closes the window before the name is saved: status 0, and the
  // table as it was. (In a page Alt+F4 is the browser's; a player leaves
  // by loading the page again.)
  if (e2e::OnWeb()) {
    g.Start(std::nullopt);
  } else {
    g.x.TapKey(XK_F4, e2e::kAlt);
    EXPECT_EQ(g.app.WaitForExit(5s), e2e::ExitStatus::Code(0));
  }
  EXPECT_EQ(g.app.ReadFile(kLeadersFile), tenth);
}

TEST(TesselEnd, WithoutADisplayOrALeadersFileOrWhenKilledTheProgramStopsAtOnce) {
  if (e2e::OnWeb())
    GTEST_SKIP() << "a page has no display to lack nor signals, and shows its boxes in the page";
  App app(e2e::Dist(TESSEL_DIST), "Tessel.exe");
  e2e::StartOptions options;
  options.env = {{"DISPLAY", ":4093"}, {"SDL_VIDEODRIVER", "x11"}};
  app.Start(options);
  EXPECT_EQ(app.WaitForExit(10s), e2e::ExitStatus::Code(1));
  EXPECT_NE(app.Stderr().find("Tessel: cannot create the window"), std::string::npos) << app.Stderr();

  // The system's request to end (kill, a logout) ends a running game at
  // once, as it ends any program that does not catch it (Wine has signals of
  // its own).
  XSession x;
  if (!e2e::UnderWine()) {
    app.Start();
    app.WaitForWindow(x, WindowQuery::Prefix(kTitle), 20s);
    app.Kill(SIGTERM);
    EXPECT_EQ(app.WaitForExit(5s), e2e::ExitStatus::Signal(SIGTERM));
  }

  // Without its table the game shows the "Error" box, and once that is
  // dismissed (Escape does it as Enter does) it ends with the code as its
  // exit status.
  app.RemoveFile(kLeadersFile);
  app.Start();
  const WindowId box = app.WaitForWindow(x, WindowQuery::Exact("Error"), 20s);
  const auto texts = app.MessageBoxTexts("Error");
  EXPECT_TRUE(texts.size() == 1 && std::regex_match(texts[0], std::regex("Runtime error   2 at [0-9A-F]{8}")))
      << app.Stderr();
  x.Activate(box);
  x.TapKey(XK_Escape);
  EXPECT_EQ(app.WaitForExit(5s), e2e::ExitStatus::Code(2));
}

// ------------------------------------------------------------------ page

// What only Tessel's page has: the table kept by the browser between
// visits, the player's copy of it, the offer of the shipped one, and a
// canvas shown smaller than the program draws it, with touches for clicks.

// Gives the page's window the inside size `width` by `height` and returns
// the canvas as the page then shows it: at its own size when that fits,
// else smaller with its proportions kept.
Rect ShowInWindow(Game& g, int width, int height) {
  e2e::Browser& page = *g.app.Page();
  page.Resize(width, height);
  Rect canvas;
  g.app.WaitUntil(
      "the canvas to fit a window of " + std::to_string(width) + "x" + std::to_string(height), 10s,
      [&] {
        canvas = page.ElementBox("#canvas");
        const bool fits = canvas.width <= width && canvas.height <= height;
        const bool whole = canvas.width == g.s.width && canvas.height == g.s.height;
        const bool proportional =
            std::abs(canvas.width * g.s.height - canvas.height * g.s.width) <= g.s.height;
        return g.x.Geometry(g.w).width == width && fits && proportional && (whole || width < g.s.width);
      },
      [&] {
        std::ostringstream seen;
        seen << canvas;
        return seen.str();
      });
  return canvas;
}

TEST(TesselPage, ANameSavedIsOnTheLeadersScreenOfTheNextVisitAndThePlayerCanDownloadTheTable) {
  Game g;
  g.Start(kLowTable);
  const Screen& s = g.s;
  g.SaveName("web");

  // The next visit reads the table the browser kept, not the served one.
  g.Start(std::nullopt);
  std::string table = g.app.ReadFile(kLeadersFile);
  ASSERT_NE(table.find(" WEB\r\n"), std::string::npos) << e2e::Printable(table);
  g.SaveName("b");
  table = g.app.ReadFile(kLeadersFile);
  const int slot =
      static_cast<int>(std::count(table.begin(), table.begin() + table.find(" WEB\r\n"), '\n')) + 1;
  Image leaders = g.WaitForText("the leaders screen", 30, s.height - 50, kWhite);
  ExpectText(leaders, s, 20, s.height - 100 - 20 * slot, kLeaderYellow, "   WEB");

  // The page's link saves the table as it now is, under its own name.
  e2e::Browser& page = *g.app.Page();
  const std::filesystem::path downloads = g.app.ScratchDir() / "downloads";
  page.AllowDownloads(downloads);
  const Rect links = page.ElementBox("#page-links");
  page.Resize(s.width, s.height + links.height);
  const Rect link = page.ElementBox("#page-links a.download");
  g.x.Click(g.w, link.Centre().x, link.Centre().y);
  const std::filesystem::path saved = downloads / testsupport::Utf8Name(kLeadersFile);
  g.app.WaitUntil("the table downloaded", 10s,
                  [&] { return std::filesystem::exists(saved) && testsupport::ReadBytes(saved) == table; });
}

TEST(TesselPage, AKeptTableThatCannotBeReadEndsTheGameWithTheRuntimeErrorAndThePageOffersTheShippedOne) {
  Game g;
  g.Start(kHighTable);  // served, and so kept, on the first visit
  g.app.WriteFile(kLeadersFile, "no scores here\r\n");
  g.app.Start();
  EXPECT_EQ(g.app.WaitForExit(20s), e2e::ExitStatus::Code(106));
  const auto texts = g.app.MessageBoxTexts("Error");
  EXPECT_TRUE(texts.size() == 1 && std::regex_match(texts[0], std::regex("Runtime error 106 at [0-9A-F]{8}")))
      << g.app.Stderr();
  // Nothing is put back until the player asks.
  EXPECT_EQ(g.app.ReadFile(kLeadersFile), "no scores here\r\n");
  e2e::Browser& page = *g.app.Page();
  const Rect offer = page.ElementBox("#restore");
  g.x.Click(g.w, offer.Centre().x, offer.Centre().y);
  // The page starts again on the table it was served.
  e2e::WaitUntil("the game to start again", 20s, [&] {
    try {
      return page.Evaluate("!document.getElementById('ended') && document.title.startsWith('Gemora')") ==
             true;
    } catch (const e2e::HarnessError&) {
      return false;  // between the two documents
    }
  });
  EXPECT_EQ(g.app.ReadFile(kLeadersFile), kHighTable);
}

TEST(TesselPage, InASmallerWindowTheBoardIsShownSmallerAndClicksAndTouchesFindTheirCells) {
  Game g;
  g.Start(kHighTable);
  const Screen& s = g.s;
  const Board b = g.WaitForRest();
  e2e::Browser& page = *g.app.Page();

  // A long press is the right button: the board turns.
  page.Touch("touchStart", s.width / 2, s.height / 2);
  std::this_thread::sleep_for(800ms);
  page.Touch("touchEnd", s.width / 2, s.height / 2);
  const Board turned = Rotated(b);
  g.WaitForScreen("the board to turn", [&](const Image& image) { return ReadBoard(image, s) == turned; });

  // In a window of half the size a click on a cell chooses it, and a tap
  // on it takes the choice back; nothing else on the board changes.
  Rect shown = ShowInWindow(g, s.width / 2, s.height / 2);
  EXPECT_LT(shown.width, s.width);
  auto scaled = [&](int i) { return s.Centre(i) * shown.width / s.width; };
  g.x.Click(g.w, scaled(2), scaled(3));
  ShowInWindow(g, s.width, s.height);
  g.WaitForScreen("the clicked cell outlined",
                  [&](const Image& image) { return OutlinePixels(image, s, 2, 3) > 0; });
  shown = ShowInWindow(g, s.width / 2, s.height / 2);
  page.Touch("touchStart", scaled(2), scaled(3));
  page.Touch("touchEnd", scaled(2), scaled(3));
  ShowInWindow(g, s.width, s.height);
  const Image after = g.WaitForScreen("the tapped cell's outline gone",
                                      [&](const Image& image) { return OutlinePixels(image, s, 2, 3) == 0; });
  EXPECT_EQ(ReadBoard(after, s), turned);
}

TEST(TesselPage, TheKeysItTakesNeitherScrollNorMoveASiteThatShowsItInAFrameWhoseOwnKeysStayItsOwn) {
  // A game site shows the page in a frame of a longer page of its own.
  App app(e2e::Dist(TESSEL_DIST), "Tessel.exe");
  testsupport::WriteBytes(app.ScratchDir() / "site.html",
                          "<!DOCTYPE html><html><head><title>A site</title></head>"
                          "<body style=\"margin:0; height:5000px\">"
                          "<iframe id=\"game\" src=\"Tessel/index.html\" style=\"border:0; width:350px; "
                          "height:500px\"></iframe><p>More of the site</p></body></html>");
  e2e::StaticServer server(app.ScratchDir());
  XSession x;
  e2e::Browser page(server.Url("site.html"), 600, 600);
  std::optional<WindowId> w;
  e2e::WaitUntil("the site's window", 20s,
                 [&] { return (w = x.FindWindow(WindowQuery::Exact("A site"))).has_value(); });
  e2e::WaitUntil("the game in the frame", 20s, [&] {
    return page.Evaluate(
               "(d => !!d && d.title.startsWith('Gemora'))"
               "(document.getElementById('game').contentDocument)") == true;
  });
  x.Click(*w, 175, 250);
  x.Type("zx 12");
  for (KeySym key : {XK_BackSpace, XK_space, XK_Return, XK_Escape}) x.TapKey(key);
  // The keys have reached the game: its page still holds the keyboard.
  EXPECT_EQ(page.Evaluate("document.activeElement.id"), "game");
  // Neither the site nor the game's page in its frame has moved.
  EXPECT_EQ(page.Evaluate("[window.scrollY, document.getElementById('game').contentWindow.scrollY]"),
            nlohmann::json::parse("[0, 0]"));

  // The browser's own keys stay the browser's: F5 loads the site again.
  page.Evaluate("window.before = true");
  x.TapKey(XK_F5);
  e2e::WaitUntil("the site loaded again", 10s, [&] {
    try {
      return page.Evaluate("window.before === undefined && document.readyState === 'complete'") == true;
    } catch (const e2e::HarnessError&) {
      return false;  // between the two documents
    }
  });
}

TEST(TesselPage, OnATouchScreenItsKeyboardLinkOpensTheScreensKeyboardWhoseKeysReachTheGame) {
  Game g;
  g.Start(kLowTable);
  e2e::Browser& page = *g.app.Page();
  // Without a touch screen there is no such link.
  EXPECT_EQ(page.Evaluate("document.getElementById('screen-keyboard')"), nullptr);
  page.EmulateTouchScreen();
  g.Start(std::nullopt);
  const Screen& s = g.s;
  g.WaitForRest();

  // The link lies below the canvas: a taller window shows it.
  const Rect links = page.ElementBox("#page-links");
  page.Resize(s.width, s.height + links.height);
  const Rect link = page.ElementBox("#keyboard-link");
  page.Touch("touchStart", link.Centre().x, link.Centre().y);
  page.Touch("touchEnd", link.Centre().x, link.Centre().y);
  g.app.WaitUntil("the screen keyboard's field to have the focus", 5s,
                  [&] { return page.Evaluate("document.activeElement.id") == "screen-keyboard"; });

  // Its Enter ends the game; the name typed, less a letter taken back,
  // and Enter again go into the table.
  page.PressOnScreen("Enter", 13);
  g.WaitForText("the \"Place \" line", 20, 70, kPlaceRed);
  page.TypeOnScreen("webx");
  page.PressOnScreen("Backspace", 8);
  page.TypeOnScreen("1");
  page.PressOnScreen("Enter", 13);
  g.app.WaitForFileContaining(kLeadersFile, " WEB1\r\n", 10s);
}

TEST(TesselPage, WhereItCannotRunThePageSaysInOneSentenceWhatItNeeds) {
  App app(e2e::Dist(TESSEL_DIST), "Tessel.exe");
  XSession x;
  auto sentence = [&](const std::string& url, const std::vector<std::string>& flags) {
    e2e::Browser page(url, 600, 400, {}, 30s, flags);
    std::string said;
    e2e::WaitUntil("the page's sentence", 10s, [&] {
      said = page.Evaluate("(e => e ? e.textContent : '')(document.getElementById('unsupported'))");
      return !said.empty();
    });
    // Nothing else: no canvas, no program.
    EXPECT_TRUE(page.Evaluate("document.getElementById('canvas') === null && typeof Module === 'undefined'"));
    return said;
  };
  // Opened as a file, from a folder or an unpacked zip.
  EXPECT_NE(sentence("file://" + (app.Folder() / "index.html").string(), {}).find("web server"),
            std::string::npos);
  // In a browser without WebGL.
  e2e::StaticServer server(app.Folder());
  EXPECT_NE(sentence(server.Url("index.html"), {"--disable-webgl"}).find("WebGL"), std::string::npos);
}

}  // namespace
