// The gallery of the editor's states: what a user sees of the product's
// editor (the Windows plug-in file in the test host, on real windows under
// Wine's X11 driver), at scales 1.0 and 2.0, written as PNG files for a
// person to look at, with one contact sheet of them all:
//   fresh      the 640 x 321 editor of a new user, with the welcome hint;
//   full       926 x 514 with the modulation section, one source of each
//              kind, slots and the filter section open;
//   learn      the full editor with the MIDI learn overlay open;
//   menu       the full editor with filter 1's Response select menu open
//              (a native menu: the screen's pixels of the editor and the
//              menu);
//   midi-menu  the full editor scrolled to MIDI 1, its Input menu open;
//   about      the 640 x 321 editor with the About dialog, opened from the
//              Help menu.
// It runs only when VARNEL_GALLERY names a folder (scripts/editor-screenshots
// sets build/windows/gallery). Nothing here is compared: the About dialog
// shows the build's date and the menus are drawn by the system; the compared
// references are the end-to-end test's.

#include "clap/module/tests/windows/EditorSession.h"
#include "clap/module/tests/windows/EditorStates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using e2e::EditorSession;
using e2e::EditorState;
using e2e::Picture;

// Middles of buttons at scale 1 (see the pictures): filter 1's Response
// select button and the selection bar's MIDI 1 in the full editor, MIDI 1's
// Input select button once the strip shows its panel, and Help in the
// 640 x 321 editor.
constexpr POINT kFilterOneResponse{727, 218};
constexpr POINT kMidiOneSource{717, 311};
constexpr POINT kMidiOneInput{838, 365};
constexpr POINT kSmallEditorHelp{614, 17};

// The timer's ticks (30 ms) after a menu shows before it is taken as drawn.
constexpr int kMenuDrawnTicks = 10;

// The contact sheet: every picture at half its size at scale 1, in a cell
// under its caption; the states in rows, the scales in columns.
constexpr int kSheetMargin = 16;
constexpr int kCaptionHeight = 20;
constexpr uint32_t kSheetGround = 0x202020;
constexpr COLORREF kCaptionColor = RGB(230, 230, 230);

struct Shot {
    std::string name;
    double scale;
    Picture picture;
};

RECT screenRectOf(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}

// The screen's pixels in the area: what the display shows, top-level menus
// included.
Picture screenPicture(const RECT& area) {
    Picture picture;
    picture.width = area.right - area.left;
    picture.height = area.bottom - area.top;
    picture.pixels = test::readPixels(picture.width, picture.height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
    return picture;
}

// Clicks at the point (device pixels of the editor) and, while the menu that
// the click opens is up, runs `whileOpen` on it (from a thread timer, which
// the menu's loop dispatches) once it has drawn. False when no menu opened.
bool clickToMenu(EditorSession& session, int x, int y, const std::function<void(HWND)>& whileOpen) {
    bool opened = false;
    int ticks = 0;
    {
        test::ModalCloser closer([&] {
            HWND menu = test::findThreadWindow(L"#32768");
            if (menu == nullptr || ++ticks < kMenuDrawnTicks) return false;
            opened = true;
            whileOpen(menu);
            return true;
        });
        session.mouse(WM_MOUSEMOVE, x, y);
        session.mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        session.mouse(WM_LBUTTONUP, x, y);
    }
    e2e::leaveEditor(session);
    return opened;
}

// The select menu under the point (at scale 1) open over the editor: the
// screen's pixels of the editor and the menu together.
Picture withMenuAt(EditorSession& session, double scale, POINT at, const char* what) {
    Picture shot;
    const bool opened =
        clickToMenu(session, e2e::devicePixels(at.x, scale), e2e::devicePixels(at.y, scale), [&](HWND menu) {
            const RECT editor = screenRectOf(session.child());
            RECT area{};
            GetWindowRect(menu, &area);
            UnionRect(&area, &area, &editor);
            shot = screenPicture(area);
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        });
    EXPECT_TRUE(opened) << "a click on " << what << " opens no menu";
    return shot;
}

Picture withResponseMenu(EditorSession& session, double scale) {
    return withMenuAt(session, scale, kFilterOneResponse, "filter 1's Response");
}

// The full editor with MIDI 1's Input menu open: a click on MIDI 1 in the
// selection bar scrolls the source strip to its panel first.
Picture withMidiInputMenu(EditorSession& session, double scale) {
    const int x = e2e::devicePixels(kMidiOneSource.x, scale), y = e2e::devicePixels(kMidiOneSource.y, scale);
    session.mouse(WM_MOUSEMOVE, x, y);
    session.mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    session.mouse(WM_LBUTTONUP, x, y);
    e2e::leaveEditor(session);
    session.settledPicture();
    return withMenuAt(session, scale, kMidiOneInput, "MIDI 1's Input");
}

// The small editor with the About dialog, chosen as a user does: Help, then
// the menu's last item.
Picture withAboutDialog(EditorSession& session, double scale) {
    const Picture before = session.settledPicture();
    const bool opened = clickToMenu(session, e2e::devicePixels(kSmallEditorHelp.x, scale),
                                    e2e::devicePixels(kSmallEditorHelp.y, scale), [](HWND menu) {
                                        PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
                                        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
                                    });
    EXPECT_TRUE(opened) << "a click on Help opens no menu";
    Picture shot = session.settledPicture();
    EXPECT_NE(shot.pixels, before.pixels) << "the About dialog does not show";
    return shot;
}

// The picture reduced by a whole factor, each pixel the mean of its square.
Picture reduced(const Picture& picture, int factor) {
    Picture small;
    small.width = picture.width / factor;
    small.height = picture.height / factor;
    small.pixels.resize(size_t(small.width) * size_t(small.height));
    const uint32_t count = uint32_t(factor * factor);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x) {
            uint32_t sum[3] = {0, 0, 0};
            for (int v = 0; v < factor; ++v)
                for (int u = 0; u < factor; ++u) {
                    const uint32_t p = picture.at(x * factor + u, y * factor + v);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += (p >> (8 * c)) & 0xFF;
                }
            uint32_t mean = 0;
            for (int c = 0; c < 3; ++c)
                mean |= ((sum[c] + count / 2) / count) << (8 * c);
            small.pixels[size_t(y) * size_t(small.width) + size_t(x)] = mean;
        }
    return small;
}

std::string scaleText(double scale) {
    const int tenths = int(scale * 10.0 + 0.5);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The shots in rows of `columns`, each under its caption ("full at 2.0,
// 1852 x 1028").
Picture contactSheet(const std::vector<Shot>& shots, size_t columns) {
    std::vector<Picture> thumbs;
    for (const Shot& shot : shots)
        thumbs.push_back(reduced(shot.picture, std::max(1, int(shot.scale * 2.0 + 0.5))));
    const size_t rows = (shots.size() + columns - 1) / columns;
    int cellWidth = 0;
    std::vector<int> rowHeights(rows, 0);
    for (size_t i = 0; i < thumbs.size(); ++i) {
        cellWidth = std::max(cellWidth, thumbs[i].width);
        rowHeights[i / columns] = std::max(rowHeights[i / columns], thumbs[i].height);
    }
    Picture sheet;
    sheet.width = int(columns) * (cellWidth + kSheetMargin) + kSheetMargin;
    sheet.height = kSheetMargin;
    std::vector<POINT> places;
    for (size_t r = 0; r < rows; ++r) {
        for (size_t c = 0; c < columns && r * columns + c < thumbs.size(); ++c)
            places.push_back(
                POINT{LONG(kSheetMargin + int(c) * (cellWidth + kSheetMargin)), LONG(sheet.height)});
        sheet.height += kCaptionHeight + rowHeights[r] + kSheetMargin;
    }
    sheet.pixels.assign(size_t(sheet.width) * size_t(sheet.height), kSheetGround);
    for (size_t i = 0; i < thumbs.size(); ++i)
        for (int y = 0; y < thumbs[i].height; ++y)
            std::copy_n(&thumbs[i].pixels[size_t(y) * size_t(thumbs[i].width)], thumbs[i].width,
                        &sheet.pixels[size_t(places[i].y + kCaptionHeight + y) * size_t(sheet.width) +
                                      size_t(places[i].x)]);
    // The captions, in the system's dialog font.
    sheet.pixels = test::readPixels(sheet.width, sheet.height, [&](HDC dc) {
        BITMAPINFO info{};
        info.bmiHeader = gui::topDownDibHeader(sheet.width, sheet.height);
        SetDIBitsToDevice(dc, 0, 0, DWORD(sheet.width), DWORD(sheet.height), 0, 0, 0, UINT(sheet.height),
                          sheet.pixels.data(), &info, DIB_RGB_COLORS);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kCaptionColor);
        for (size_t i = 0; i < shots.size(); ++i) {
            const std::string text = shots[i].name + " at " + scaleText(shots[i].scale) + ", " +
                                     std::to_string(shots[i].picture.width) + " x " +
                                     std::to_string(shots[i].picture.height);
            const std::wstring caption(text.begin(), text.end());
            TextOutW(dc, places[i].x, places[i].y + 3, caption.c_str(), int(caption.size()));
        }
    });
    return sheet;
}

struct GalleryState {
    const char* name;
    EditorState state;
    // What is done in the opened editor; a settled picture of it when empty.
    std::function<Picture(EditorSession&, double)> take;
};

TEST(VarnelEditorGallery, WritesEveryStateAtOneAndTwoWithAContactSheet) {
    const char* folder = std::getenv("VARNEL_GALLERY");
    if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "VARNEL_GALLERY names no folder";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    ASSERT_FALSE(error) << folder << ": " << error.message();

    const std::vector<GalleryState> states = {
        {"fresh", EditorState::kFresh, {}},
        {"full", EditorState::kFull, {}},
        {"learn", EditorState::kLearn, {}},
        {"menu", EditorState::kFull, withResponseMenu},
        {"midi-menu", EditorState::kFull, withMidiInputMenu},
        {"about", EditorState::kPlain, withAboutDialog},
    };
    const std::vector<double> scales = {1.0, 2.0};
    std::vector<Shot> shots;
    for (const GalleryState& s : states)
        for (double scale : scales) {
            SCOPED_TRACE(std::string(s.name) + " at " + scaleText(scale));
            e2e::resetProfileFor(s.state);
            EditorSession session;
            ASSERT_TRUE(e2e::openIn(session, s.state, scale));
            Shot shot{s.name, scale, s.take ? s.take(session, scale) : session.settledPicture()};
            ASSERT_GT(shot.picture.width, 0);
            const std::string path =
                std::string(folder) + "/" + s.name + "-" + e2e::scaleName(scale) + ".png";
            EXPECT_TRUE(e2e::writePng(shot.picture, path)) << path;
            shots.push_back(std::move(shot));
        }
    const std::string sheet = std::string(folder) + "/contact-sheet.png";
    EXPECT_TRUE(e2e::writePng(contactSheet(shots, scales.size()), sheet)) << sheet;
}

} // namespace
