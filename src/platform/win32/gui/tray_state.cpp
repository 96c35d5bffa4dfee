// The tray icon's warning on Win32: the program's icon with the system's warning mark in its
// lower right quarter, and a tooltip that names the count and the cause, in wide text so that
// Swedish letters survive whatever the ANSI code page.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/win32/gui/win_toolkit.h"

namespace win32ui {
namespace {

constexpr std::size_t kTipRoom = sizeof(NOTIFYICONDATAW::szTip) / sizeof(wchar_t) - 1;  // and a NUL

bool isCombining(wchar_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE20 && c <= 0xFE2F);
}

// An icon drawn at size x size, premultiplied BGRA. Drawn once on black and once on white, the
// difference gives the alpha, whatever kind of icon it is.
std::vector<std::uint32_t> iconPixels(HICON icon, int size) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(size) * size, 0);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  std::vector<std::uint32_t> onBlack, onWhite;
  for (int pass = 0; pass < 2 && dc; ++pass) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) break;
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::fill_n(static_cast<std::uint32_t*>(bits), out.size(), pass ? 0x00FFFFFFu : 0u);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    (pass ? onWhite : onBlack).assign(p, p + out.size());
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  if (dc) DeleteDC(dc);
  if (onBlack.size() != out.size() || onWhite.size() != out.size()) return out;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int gap =
        static_cast<int>((onWhite[i] >> 8) & 0xFF) - static_cast<int>((onBlack[i] >> 8) & 0xFF);
    const std::uint32_t alpha = static_cast<std::uint32_t>(std::clamp(255 - gap, 0, 255));
    out[i] = (onBlack[i] & 0x00FFFFFFu) | (alpha << 24);
  }
  return out;
}

}  // namespace

std::wstring trayTip(const std::string& text) {
  std::wstring tip = widen(text);
  if (tip.size() <= kTipRoom) return tip;
  // Cut where a letter ends: never between the halves of a surrogate pair, never before a
  // combining mark; the ellipsis says that more was meant.
  std::size_t end = kTipRoom - 1;
  while (end > 0 && ((tip[end] >= 0xDC00 && tip[end] <= 0xDFFF) || isCombining(tip[end]))) --end;
  tip.resize(end);
  tip += L'\u2026';
  return tip;
}

HICON markedIcon(HICON base, int size) {
  HICON warning = static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32515), IMAGE_ICON, 0, 0, LR_SHARED));  // IDI_WARNING
  if (!base || !warning || size <= 0) return nullptr;
  std::vector<std::uint32_t> pixels = iconPixels(base, size);
  // The mark over the lower right quarter and a little more, as emblems go.
  const int markSize = size / 2 + size / 8, at = size - markSize;
  const std::vector<std::uint32_t> mark = iconPixels(warning, markSize);
  for (int y = 0; y < markSize; ++y)
    for (int x = 0; x < markSize; ++x) {
      const std::uint32_t m = mark[static_cast<std::size_t>(y) * markSize + x];
      std::uint32_t& p = pixels[static_cast<std::size_t>(y + at) * size + x + at];
      const std::uint32_t keep = 255 - (m >> 24);
      std::uint32_t mixed = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t a = (m >> shift) & 0xFF, b = (p >> shift) & 0xFF;
        mixed |= std::min<std::uint32_t>(255, a + b * keep / 255) << shift;
      }
      p = mixed;
    }
  // Icons hold straight colours: undo the premultiplication; the mask is where nothing shows.
  const int maskStride = ((size + 15) / 16) * 2;
  std::vector<BYTE> mask(static_cast<std::size_t>(maskStride) * size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      std::uint32_t& p = pixels[static_cast<std::size_t>(y) * size + x];
      const std::uint32_t a = p >> 24;
      if (a == 0) {
        p = 0;
        mask[static_cast<std::size_t>(y) * maskStride + x / 8] |=
            static_cast<BYTE>(0x80 >> (x % 8));
        continue;
      }
      std::uint32_t straight = a << 24;
      for (int shift = 0; shift < 24; shift += 8)
        straight |= std::min<std::uint32_t>(255, ((p >> shift) & 0xFF) * 255 / a) << shift;
      p = straight;
    }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HBITMAP maskBitmap = CreateBitmap(size, size, 1, 1, mask.data());
  HICON marked = nullptr;
  if (color && maskBitmap) {
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    ICONINFO parts{TRUE, 0, 0, maskBitmap, color};
    marked = CreateIconIndirect(&parts);
  }
  if (color) DeleteObject(color);
  if (maskBitmap) DeleteObject(maskBitmap);
  return marked;
}

WinServices::~WinServices() {
  for (const auto& icon : marked_) DestroyIcon(icon.second);
}

void WinServices::setState(const std::string& toolTip, bool warning) {
  const std::wstring tip = trayTip(toolTip);
  if (tip == tip_ && warning == warning_) return;
  tip_ = tip;
  warning_ = warning;
  for (const auto& icon : icons_) applyState(icon.second);
}

void WinServices::applyState(const NOTIFYICONDATAA& record) {
  NOTIFYICONDATAW info{};
  info.cbSize = sizeof info;
  info.hWnd = record.hWnd;
  info.uID = record.uID;
  info.uFlags = NIF_TIP | NIF_ICON;
  info.hIcon = record.hIcon;
  if (warning_) {
    auto found = marked_.find(record.hIcon);
    if (found == marked_.end())
      found = marked_.emplace(record.hIcon, markedIcon(record.hIcon, GetSystemMetrics(SM_CXSMICON)))
                  .first;
    if (found->second) info.hIcon = found->second;
  }
  const std::wstring tip = tip_.empty() ? trayTip(record.szTip) : tip_;
  lstrcpynW(info.szTip, tip.c_str(), ARRAYSIZE(info.szTip));
  ::Shell_NotifyIconW(NIM_MODIFY, &info);
}

}  // namespace win32ui
