#include "clap/module/tests/windows/EditorSession.h"

#include "gui/Bitmap.h"
#include "gui/DeviceBacking.h"
#include "gui/PngDecoder.h"
#include "gui/tests/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <shlobj.h>
#include <sstream>

namespace e2e {

namespace {

int channelDistance(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void writeDwords(const std::string& key, const std::map<std::string, uint32_t>& values) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS)
        << key;
    for (const auto& [name, value] : values) {
        const DWORD data = value;
        EXPECT_EQ(RegSetValueExW(handle, wide(name).c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&data), sizeof(data)),
                  ERROR_SUCCESS);
    }
    RegCloseKey(handle);
}

} // namespace

// --- Pictures

Picture Picture::crop(const RECT& area) const {
    Picture part;
    part.width = std::max(0, int(area.right - area.left));
    part.height = std::max(0, int(area.bottom - area.top));
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x)
            part.pixels.push_back(at(area.left + x, area.top + y));
    return part;
}

RECT followingArea(const Picture& a, const Picture& b, const Picture& again, int tolerance) {
    RECT area{a.width, a.height, 0, 0};
    if (a.width != b.width || a.height != b.height || a.width != again.width || a.height != again.height)
        return RECT{0, 0, 0, 0};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (channelDistance(a.at(x, y), b.at(x, y)) > tolerance &&
                channelDistance(again.at(x, y), b.at(x, y)) > tolerance &&
                channelDistance(a.at(x, y), again.at(x, y)) <= tolerance) {
                area.left = std::min<LONG>(area.left, x);
                area.top = std::min<LONG>(area.top, y);
                area.right = std::max<LONG>(area.right, x + 1);
                area.bottom = std::max<LONG>(area.bottom, y + 1);
            }
    if (area.right <= area.left) return RECT{0, 0, 0, 0};
    return area;
}

bool matches(const Picture& picture, const Picture& reference, std::string& why) {
    std::ostringstream text;
    if (picture.width != reference.width || picture.height != reference.height) {
        text << "size " << picture.width << "x" << picture.height << ", reference " << reference.width << "x"
             << reference.height;
        why = text.str();
        return false;
    }
    size_t off = 0;
    int worst = 0;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const int distance = channelDistance(picture.pixels[i], reference.pixels[i]);
        worst = std::max(worst, distance);
        if (distance > 2) ++off;
    }
    const size_t allowed = picture.pixels.size() / 1000;
    if (worst <= 32 && off <= allowed) return true;
    text << off << " pixels differ by more than 2 (at most " << allowed << " may, by up to 32); the worst by "
         << worst;
    why = text.str();
    return false;
}

Picture readPng(const std::string& path) {
    Picture picture;
    std::ifstream in(path, std::ios::binary);
    if (!in) return picture;
    // A reference is read as written: the process-wide gamma factor, which
    // an editor opened in this program sets, stays out of it.
    struct PlainGamma {
        const float factor = gui::PngDecoder::getGammaFactor();
        PlainGamma() { gui::PngDecoder::setGammaFactor(1.0f); }
        ~PlainGamma() { gui::PngDecoder::setGammaFactor(factor); }
    } plain;
    gui::PngDecoder decoder(in);
    const gui::PngDecoder::Header& header = decoder.readHeader();
    picture.width = header.width;
    picture.height = header.height;
    picture.pixels.assign(size_t(header.width) * size_t(header.height), 0);
    decoder.decode(picture.pixels.data());
    for (uint32_t& pixel : picture.pixels)
        pixel &= 0xFFFFFFu;
    return picture;
}

bool writePng(const Picture& picture, const std::string& path) {
    gui::DeviceBacking backing;
    gui::Bitmap bitmap(backing);
    bitmap.resize(picture.width, picture.height);
    std::copy(picture.pixels.begin(), picture.pixels.end(), bitmap.getPixels());
    std::ofstream file(path, std::ios::binary);
    file << test::encodeOpaquePng(bitmap);
    return file.good();
}

// --- The profile

void resetProfile(const Profile& profile) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zentor");
    wchar_t appData[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData))) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(appData) / L"Zentor", ignored);
    }
    const std::string productKey = "Software\\Zentor\\Varnel 2\\1.0";
    writeDwords("Software\\Zentor", profile.shared);
    if (!profile.product.empty()) writeDwords(productKey, profile.product);
    if (!profile.currentVersion.empty()) {
        const std::wstring version = wide(profile.currentVersion);
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, wide(productKey).c_str(), L"CurrentVersion", REG_SZ,
                                  version.c_str(), DWORD((version.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
}

// --- The session

ClapModule& EditorSession::module() {
    static std::unique_ptr<ClapModule> loaded = [] {
        std::string error;
        std::unique_ptr<ClapModule> result = ClapModule::load(VARNEL_PLUGIN_MODULE, error);
        if (!result) ADD_FAILURE() << "the plug-in file does not load: " << error;
        return result;
    }();
    if (!loaded) std::abort();
    return *loaded;
}

EditorSession::EditorSession() : EditorSession(module(), test::TestWindow::Visibility::kShown) {}

EditorSession::EditorSession(ClapModule& module, test::TestWindow::Visibility visibility)
    : window_(L"Varnel host", visibility) {
    const clap_plugin_factory_t* factory = module.pluginFactory();
    plugin_ = std::make_unique<HostedPlugin>(host_, factory, factory->get_plugin_descriptor(factory, 0)->id);
    EXPECT_TRUE(plugin_->plugin() && plugin_->init());
    // The host follows the editor's resize requests.
    host_.setResizeHandler([this](uint32_t width, uint32_t height) {
        RECT frame{0, 0, LONG(width), LONG(height)};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(parent(), GWL_STYLE)), FALSE, 0);
        SetWindowPos(parent(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return gui_ != nullptr && gui_->set_size(plugin_->plugin(), width, height);
    });
}

EditorSession::~EditorSession() {
    close();
    plugin_.reset();
    EXPECT_TRUE(host_.violations().empty()) << host_.violations().front();
}

clap_id EditorSession::param(const std::string& name) {
    for (uint32_t i = 0; i < plugin_->paramCount(); ++i) {
        std::optional<clap_param_info_t> info = plugin_->paramInfo(i);
        if (info && name == info->name) return info->id;
    }
    ADD_FAILURE() << "no parameter \"" << name << "\"";
    return CLAP_INVALID_ID;
}

void EditorSession::automate(const std::vector<std::pair<clap_id, double>>& values) {
    HostEventList events;
    for (const auto& [id, value] : values)
        events.addParamValue(0, id, value);
    if (plugin_->active())
        plugin_->process(64, events);
    else
        plugin_->flush(events);
    pump(50);
}

bool EditorSession::open(double scale) {
    // The pointer waits in the screen's far corner, away from every editor.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    const clap_plugin_t* p = plugin_->plugin();
    gui_ = static_cast<const clap_plugin_gui_t*>(p->get_extension(p, CLAP_EXT_GUI));
    if (gui_ == nullptr || !gui_->is_api_supported(p, CLAP_WINDOW_API_WIN32, false) ||
        !gui_->create(p, CLAP_WINDOW_API_WIN32, false))
        return false;
    if (scale > 0.0 && !gui_->set_scale(p, scale)) {
        ADD_FAILURE() << "set_scale(" << scale << ") refused";
        return false;
    }
    uint32_t width = 0, height = 0;
    if (!gui_->get_size(p, &width, &height)) return false;
    RECT frame{0, 0, LONG(width), LONG(height)};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(parent(), GWL_STYLE)), FALSE, 0);
    SetWindowPos(parent(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    clap_window_t window{};
    window.api = CLAP_WINDOW_API_WIN32;
    window.win32 = parent();
    if (!gui_->set_parent(p, &window)) {
        ADD_FAILURE() << "set_parent refused";
        return false;
    }
    if (!gui_->show(p)) return false;
    child_ = GetWindow(parent(), GW_CHILD);
    return child_ != nullptr;
}

void EditorSession::close() {
    if (gui_ != nullptr && child_ != nullptr) gui_->destroy(plugin_->plugin());
    child_ = nullptr;
    test::pumpMessages();
}

void EditorSession::pump(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        test::pumpMessages();
        plugin_->pumpMainThread();
        Sleep(5);
    } while (std::chrono::steady_clock::now() < end);
}

Picture EditorSession::picture() {
    Picture result;
    if (child_ == nullptr) return result;
    RedrawWindow(child_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(child_, &client);
    result.width = client.right;
    result.height = client.bottom;
    result.pixels = test::readPixels(result.width, result.height, [this, &result](HDC dc) {
        HDC window = GetDC(child_);
        BitBlt(dc, 0, 0, result.width, result.height, window, 0, 0, SRCCOPY);
        ReleaseDC(child_, window);
    });
    return result;
}

Picture EditorSession::settledPicture() {
    // Three pictures 100 ms apart alike: hints and animations have settled.
    Picture last = picture();
    int alike = 1;
    for (int attempt = 0; attempt < 40 && alike < 3; ++attempt) {
        pump(100);
        Picture next = picture();
        alike = next.pixels == last.pixels ? alike + 1 : 1;
        last = std::move(next);
    }
    return last;
}

void EditorSession::mouse(UINT message, int x, int y, WPARAM keys) {
    // The system's pointer goes there too: a window that finds the pointer
    // elsewhere takes the mouse as gone.
    POINT screen{x, y};
    ClientToScreen(child_, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(child_, message, keys, MAKELPARAM(x, y));
}

void EditorSession::drag(int x, int y, int dx, int dy, int steps, WPARAM keys) {
    mouse(WM_MOUSEMOVE, x, y, keys);
    mouse(WM_LBUTTONDOWN, x, y, keys | MK_LBUTTON);
    for (int step = 1; step <= steps; ++step) {
        mouse(WM_MOUSEMOVE, x + dx * step / steps, y + dy * step / steps, keys | MK_LBUTTON);
        pump(10);
    }
    mouse(WM_LBUTTONUP, x + dx, y + dy, keys);
    pump(20);
}

void EditorSession::click(int x, int y, WPARAM keys) {
    mouse(WM_MOUSEMOVE, x, y, keys);
    mouse(WM_LBUTTONDOWN, x, y, keys | MK_LBUTTON);
    mouse(WM_LBUTTONUP, x, y, keys);
}

void EditorSession::doubleClick(int x, int y) {
    mouse(WM_MOUSEMOVE, x, y);
    mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    mouse(WM_LBUTTONUP, x, y);
    mouse(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
    mouse(WM_LBUTTONUP, x, y);
}

void EditorSession::typeAndEnter(const std::string& text) {
    HWND focus = GetFocus();
    for (char c : text)
        SendMessageW(focus, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
    SendMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
    if (IsWindow(focus)) SendMessageW(focus, WM_KEYUP, VK_RETURN, LPARAM(0xC0000001u));
}

} // namespace e2e
