// The About box in a real window (the test runs under Xvfb): found by its
// caption, read back, photographed and closed with its OK button.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "library/about_win.h"
#include "loaded_plugin.h"

namespace vantrel {
namespace {

using testing::LoadedPlugin;

constexpr char kCaption[] = "About Vantrel.dll";
constexpr char kAboutText[] =
    "Linux RPM File Plugins Module for Catalune\rVersion 1.0\r\r\"Linux RPM File Description\" plugin\r\r"
    "(C) 2026 Brellwick";

// Writes 24-bit pixels (rows top to bottom, RGB) as a PNG with stored deflate blocks.
void WritePng(const std::string& path, int width, int height, const std::vector<BYTE>& rgb) {
  const auto crc = [](const std::string& bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
      c ^= b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
  };
  const auto be32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
  };
  const auto chunk = [&](const std::string& type, const std::string& data) {
    return be32(static_cast<std::uint32_t>(data.size())) + type + data + be32(crc(type + data));
  };
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // no filter
    raw.append(reinterpret_cast<const char*>(rgb.data()) + static_cast<std::size_t>(y) * width * 3,
               static_cast<std::size_t>(width) * 3);
  }
  std::string zlib = "\x78\x01";
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    zlib += static_cast<char>(last);
    zlib += {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(~n), static_cast<char>(~n >> 8)};
    zlib.append(raw, at, n);
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  zlib += be32(b << 16 | a);
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) +
                          chunk("IHDR", be32(static_cast<std::uint32_t>(width)) +
                                            be32(static_cast<std::uint32_t>(height)) + std::string("\x08\x02\0\0\0", 5)) +
                          chunk("IDAT", zlib) + chunk("IEND", "");
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
}

// Copies the window's rectangle of the screen into a PNG.
void SaveScreenshot(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const int stride = (width * 3 + 3) & ~3;
  std::vector<BYTE> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)  // BGR to RGB
        rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
            static_cast<const BYTE*>(bits)[static_cast<std::size_t>(y) * stride + x * 3 + 2 - c];
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  WritePng(path, width, height, rgb);
}

// What a watcher thread saw of the box before it pressed OK.
struct BoxSighting {
  bool found = false;
  HWND owner = nullptr;
  bool ownerDisabled = false;
  std::vector<std::string> buttons;
  std::string text;
  HICON icon = nullptr;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
  auto& seen = *reinterpret_cast<BoxSighting*>(context);
  char className[64] = {}, text[512] = {};
  GetClassNameA(child, className, sizeof className);
  GetWindowTextA(child, text, sizeof text);
  if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) seen.buttons.push_back(text);
  if (lstrcmpiA(className, "Static") == 0) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    else if (text[0] != '\0')
      seen.text = text;
  }
  return TRUE;
}

// Waits on its own thread for a window with the caption, notes what it shows,
// optionally photographs it, and presses its OK button. A box blocks the call
// that opened it, so once that call has returned, Finish need wait no longer.
class BoxWatcher {
 public:
  BoxWatcher(const char* caption, std::string screenshot = {})
      : thread_([this, caption, screenshot] { Watch(caption, screenshot); }) {}
  ~BoxWatcher() { Finish(); }
  const BoxSighting& Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
  }

 private:
  void Watch(const char* caption, const std::string& screenshot) {
    for (int waited = 0; waited < 15000 && !stop_; waited += 50) {
      HWND box = FindWindowA("#32770", caption);
      if (box != nullptr && IsWindowVisible(box)) {
        Sleep(300);  // let the box paint itself
        seen_.found = true;
        seen_.owner = GetWindow(box, GW_OWNER);
        seen_.ownerDisabled = seen_.owner != nullptr && !IsWindowEnabled(seen_.owner);
        EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&seen_));
        if (!screenshot.empty()) SaveScreenshot(box, screenshot);
        HWND ok = GetDlgItem(box, IDOK);
        if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
        else PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(50);
    }
  }

  BoxSighting seen_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

// A visible main window of the host's, owner of the box.
class OwnerWindow {
 public:
  OwnerWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "AboutBoxTestOwner";
    RegisterClassA(&windowClass);
    window_ = CreateWindowA("AboutBoxTestOwner", "Catalune", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300,
                            nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~OwnerWindow() { DestroyWindow(window_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND Handle() const { return window_; }

 private:
  HWND window_;
};

TEST(AboutBox, CommandZeroShowsTheBoxWithItsTextOneButtonAndTheLibrarysIcon) {
  LoadedPlugin plugin;
  ASSERT_NE(plugin.Module(), nullptr);
  const PluginCommandProc command = plugin.Command();
  ASSERT_NE(command, nullptr);
  OwnerWindow owner;
  ASSERT_NE(owner.Handle(), nullptr);

  BoxWatcher watcher(kCaption, "about-box.png");
  command(0x12345678, owner.Handle(), 0);  // returns once the watcher has pressed OK
  const BoxSighting& seen = watcher.Finish();

  ASSERT_TRUE(seen.found) << "no window captioned " << kCaption;
  EXPECT_EQ(seen.owner, owner.Handle());
  EXPECT_TRUE(seen.ownerDisabled) << "the box is modal to its owner";
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(seen.text, kAboutText);
  ASSERT_NE(seen.icon, nullptr);
  EXPECT_EQ(seen.icon, LoadIconA(plugin.Module(), "RPICON")) << "the icon is the library's own";
  EXPECT_EQ(FindWindowA("#32770", kCaption), nullptr) << "the box is gone when the command returns";
}

TEST(AboutBox, OnlyTheLowSixteenBitsOfTheCommandCount) {
  LoadedPlugin plugin;
  const PluginCommandProc command = plugin.Command();
  ASSERT_NE(command, nullptr);
  OwnerWindow owner;
  const struct {
    std::uintptr_t hostValue;
    std::uint32_t code;
    bool opens;
  } cases[] = {{0, 0x00010000u, true}, {~std::uintptr_t{0}, 0xFFFF0000u, true}, {0, 0x00000001u, false},
               {0, 0x00010001u, false}, {0, 0x0000FFFFu, false}};
  for (const auto& c : cases) {
    BoxWatcher watcher(kCaption);
    command(c.hostValue, owner.Handle(), c.code);
    EXPECT_EQ(watcher.Finish().found, c.opens) << std::hex << c.code;
  }
}

TEST(AboutBox, ShowAboutBoxWithoutAnOwnerStillReturns) {
  LoadedPlugin plugin;
  BoxWatcher watcher("Vantrel test box");
  ShowAboutBox("text", "Vantrel test box", nullptr, plugin.Module());
  EXPECT_TRUE(watcher.Finish().found);
}

// An in-memory dialog template: a caption, no controls.
std::vector<WORD> DialogTemplate(const char* caption) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
  header->cx = 120;
  header->cy = 60;
  words.resize(words.size() - 1);  // menu 0, class 0, then the caption
  for (const char* p = caption; *p != '\0'; ++p) words.push_back(static_cast<WORD>(*p));
  words.push_back(0);
  return words;
}

TEST(AboutBox, AboutBoxProcAnswersAsADialogProcedure) {
  const struct {
    UINT message;
    WPARAM wParam;
    INT_PTR result;
  } cases[] = {{WM_INITDIALOG, 0, -1},      {0x10110, 5, -1},  // only the low 16 bits of the message count
               {WM_COMMAND, 3, 0},          {WM_COMMAND, 0, 0}, {WM_CLOSE, IDOK, 0},
               {WM_PAINT, 0, 0}};
  for (const auto& c : cases) EXPECT_EQ(AboutBoxProc(nullptr, c.message, c.wParam, 0x7FFF), c.result) << c.message;

  // OK and Cancel end a real dialog with their own code, whatever wParam's high bits hold.
  for (const WPARAM button : {WPARAM{IDOK}, WPARAM{IDCANCEL}, WPARAM{0x10000 | IDOK}}) {
    const std::vector<WORD> dialog = DialogTemplate("AboutBoxProc test");
    std::thread presser([button] {
      for (int waited = 0; waited < 15000; waited += 50, Sleep(50)) {
        if (HWND box = FindWindowA(nullptr, "AboutBoxProc test")) {
          PostMessageA(box, WM_COMMAND, button, 0);
          return;
        }
      }
    });
    const INT_PTR ended = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                                  reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), nullptr,
                                                  AboutBoxProc, 0);
    presser.join();
    EXPECT_EQ(ended, static_cast<INT_PTR>(button & 0xFFFF));
  }
}

}  // namespace
}  // namespace vantrel
