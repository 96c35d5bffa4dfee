// The document list's window on Win32: a text label and a list view with column headers.
#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace win32ui {

WinTextLabel::WinTextLabel(::HWND parent, const ui::ControlLayout& layout, int id, HFONT font) {
  create("STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, parent, layout, 0, id);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  setCaption(layout.caption);
}

void WinTextLabel::setCaption(const std::string& caption) {
  caption_ = caption;
  std::string lines;
  for (char c : caption) {
    if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines += '\r';
    lines += c;
  }
  SetWindowTextW(hwnd_, widen(lines).c_str());
}

WinTable::WinTable(::HWND parent, const ui::ControlLayout& layout, int id, HFONT font,
                   const std::vector<std::string>& headers) {
  create(WC_LISTVIEWA,
         WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
             LVS_NOSORTHEADER,
         parent, layout, 0, id);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // A status cut off at the column's edge is shown whole in a tooltip.
  SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
  // A third for the name, room for the size and the time, and the last column, the status,
  // takes whatever width the list has to spare.
  const int width = toPixels(layout.width, twipsPerPixel(true)) - 4;
  const int shares[] = {34, 12, 18};
  for (size_t i = 0; i < headers.size(); ++i) {
    std::wstring text = widen(headers[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = i < 3 ? width * shares[i] / 100 : width / 4;
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  columns_ = static_cast<int>(headers.size());
  fitLastColumn();
}

void WinTable::fitLastColumn() {
  if (columns_ > 0) SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, columns_ - 1, LVSCW_AUTOSIZE_USEHEADER);
}

bool WinTable::notify(NMHDR* header) {
  if (header->code != LVN_GETINFOTIPW || columns_ == 0) return false;
  auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
  const std::string status = cell(static_cast<size_t>(tip->iItem), columns_ - 1);
  const std::wstring text = widen(status);
  // Only what the column cuts off; a whole status needs no tooltip.
  const int needed = static_cast<int>(SendMessageW(hwnd_, LVM_GETSTRINGWIDTHW, 0,
                                                   reinterpret_cast<LPARAM>(text.c_str()))) +
                     12;
  const int room = static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, columns_ - 1, 0));
  if (needed <= room || !tip->pszText || tip->cchTextMax <= 0) return true;
  lstrcpynW(tip->pszText, text.c_str(), tip->cchTextMax);
  return true;
}

void WinTable::setRows(const std::vector<std::vector<std::string>>& rows) {
  rows_ = rows;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      std::wstring text = widen(rows[r][c]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = text.data();
      SendMessageW(hwnd_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, c == 0 ? 0 : r,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  fitLastColumn();
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::string WinTable::cell(std::size_t row, std::size_t column) const {
  return row < rows_.size() && column < rows_[row].size() ? rows_[row][column] : std::string();
}

int WinTable::currentRow() const {
  return static_cast<int>(
      SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void WinTable::setCurrentRow(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageW(hwnd_, LVM_ENSUREVISIBLE, row, FALSE);
}

std::unique_ptr<ui::Window> WinToolkit::createDialog(const std::string& /*name*/,
                                                     const std::string& title, float width,
                                                     float height) {
  return std::make_unique<WinWindow>(*this, title, width, height, 0, true);
}

}  // namespace win32ui
