// The Win32 document list as a user meets it: the removal question's buttons, the Recycle Bin
// asked about before a job is given to it, and a list that resizes and shows a cut-off status
// whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// The host's header first: it brings <windows.h> after its own names.
#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using win32ui::WinToolkit;

void pump(WinToolkit& toolkit) {
  for (int i = 0; i < 5; ++i) toolkit.doEvents();
}

// Answers the question that opens next: reads its buttons, then presses one.
struct Answerer {
  std::wstring title;
  int press = IDCANCEL;  // 0: the Enter key, on the button that has the focus
  std::wstring ok, cancel;
  bool yesOrNo = false;
  int defaultId = 0;
  std::thread thread;
  void start() {
    thread = std::thread([this] {
      for (int i = 0; i < 200; ++i) {
        const HWND box = FindWindowW(L"#32770", title.c_str());
        wchar_t text[64] = L"";
        if (box && GetDlgItemTextW(box, IDOK, text, 64) && std::wstring(text) != L"OK") {
          ok = text;
          GetDlgItemTextW(box, IDCANCEL, text, 64);
          cancel = text;
          yesOrNo = GetDlgItem(box, IDYES) || GetDlgItem(box, IDNO);
          defaultId = 0;
          for (int id : {IDOK, IDCANCEL})
            if (GetWindowLongW(GetDlgItem(box, id), GWL_STYLE) & BS_DEFPUSHBUTTON) defaultId = id;
          GUITHREADINFO focus{};
          focus.cbSize = sizeof focus;
          GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus);
          if (press)
            PostMessageW(box, WM_COMMAND, press, 0);
          else
            PostMessageW(focus.hwndFocus, WM_KEYDOWN, VK_RETURN, 0);
          return;
        }
        Sleep(50);
      }
      // Not our question: ended all the same, so that a failing test does not hang.
      if (const HWND box = FindWindowW(L"#32770", title.c_str())) {
        PostMessageW(box, WM_COMMAND, IDNO, 0);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      }
    });
  }
};

TEST(RemovalQuestion, HasOurTwoButtonsTheSecondTheDefault) {
  WinToolkit toolkit;
  auto window = toolkit.createDialog("frmList", "Alla dokument", 9000, 5100);
  window->show();
  for (int press : {IDOK, IDCANCEL, 0}) {
    Answerer answer;
    answer.title = L"Ta bort dokument " + std::to_wstring(press);
    answer.press = press;
    answer.start();
    const bool said = toolkit.ask(*window, "Ta bort dokument " + std::to_string(press),
                                  "Ta bort R\u00e4kning.ps?", "Ta bort", "Avbryt");
    answer.thread.join();
    EXPECT_EQ(said, press == IDOK);
    EXPECT_EQ(answer.ok, L"Ta bort");
    EXPECT_EQ(answer.cancel, L"Avbryt");
    EXPECT_FALSE(answer.yesOrNo);
    EXPECT_EQ(answer.defaultId, IDCANCEL);
  }
}

TEST(DocumentList, ResizesWithTheStatusColumnTakingTheSpareWidthAndATooltipForACutStatus) {
  WinToolkit toolkit;
  auto window = toolkit.createDialog("frmList", "Alla dokument", 9000, 5100);
  window->addLabel({"lblPrinter", 120, 90, 8700, 480, "", 4, true});
  auto* table = static_cast<win32ui::WinTable*>(window->addTable(
      {"lvwJobs", 120, 600, 8700, 3600, "", 0, true}, {"Namn", "Storlek", "Sedan", "Status"}));
  auto* close = static_cast<win32ui::WinButton*>(
      window->addButton({"cmdCloseList", 7320, 4320, 1500, 420, "St\u00e4ng", 3, true}));
  window->show();
  pump(toolkit);
  const HWND list = table->native(), frame = GetParent(list);
  EXPECT_TRUE(GetWindowLongW(frame, GWL_STYLE) & WS_THICKFRAME);
  auto widths = [list] {
    std::vector<int> w;
    for (int c = 0; c < 4; ++c)
      w.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0)));
    return w;
  };
  auto spare = [list](const std::vector<int>& w) {
    RECT r{};
    GetClientRect(list, &r);
    return r.right - (w[0] + w[1] + w[2] + w[3]);
  };
  const std::vector<int> before = widths();
  EXPECT_GE(spare(before), 0);  // no sideways scrolling
  EXPECT_LE(spare(before), 2);
  RECT closeBefore{}, outer{};
  GetWindowRect(close->native(), &closeBefore);
  GetWindowRect(frame, &outer);

  SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left + 200, outer.bottom - outer.top + 100,
               SWP_NOMOVE | SWP_NOZORDER);
  pump(toolkit);
  const std::vector<int> after = widths();
  for (int c = 0; c < 3; ++c) EXPECT_EQ(after[c], before[c]) << "column " << c;
  EXPECT_EQ(after[3], before[3] + 200);
  EXPECT_LE(spare(after), 2);
  RECT closeAfter{};
  GetWindowRect(close->native(), &closeAfter);
  EXPECT_EQ(closeAfter.left - closeBefore.left, 200);  // the right-hand button keeps to the edge
  EXPECT_EQ(closeAfter.top - closeBefore.top, 100);

  const std::string whole =
      "V\u00e4ntar: Mappen C:\\Utskrivet finns inte. Skapa den eller \u00e4ndra LPT1. " +
      std::string(300, 'x');
  table->setRows({{"R\u00c4KNING.PS", "5 byte", "10:15", whole},
                  {"KORT.PS", "5 byte", "10:16", "V\u00e4ntar"}});
  pump(toolkit);
  auto tip = [&](int row) {
    wchar_t text[1024] = L"";
    NMLVGETINFOTIPW info{};
    info.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), LVN_GETINFOTIPW};
    info.pszText = text;
    info.cchTextMax = 1024;
    info.iItem = row;
    SendMessageW(frame, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    return std::wstring(text);
  };
  EXPECT_EQ(tip(0), win32ui::widen(whole));
  EXPECT_EQ(tip(1), L"");  // a whole status needs none

  // Smaller than two thirds of its first size it does not go.
  SetWindowPos(frame, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  pump(toolkit);
  RECT small{};
  GetWindowRect(frame, &small);
  EXPECT_GE(small.right - small.left, (outer.right - outer.left) * 2 / 3);
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void setNumber(const wchar_t* key, const wchar_t* value, DWORD number) {
  HKEY k = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
      ERROR_SUCCESS);
  RegSetValueExW(k, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(k);
}

TEST(RecycleBin, IsNotGivenAJobWhereTheShellWouldDeleteItForGood) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring local = std::wstring(temp) + L"JOB.PS";
  const char* network = std::getenv("LPTSPOOL_TEST_NETWORK_FOLDER");
  if (network) {
    const std::wstring folder = win32ui::widen(network), job = folder + L"JOB.PS";
    ASSERT_EQ(GetDriveTypeW(folder.substr(0, 3).c_str()), static_cast<UINT>(DRIVE_REMOTE));
    HANDLE file = CreateFileW(job.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_FALSE(win32ui::recycleBinTakes(job));
    WinToolkit toolkit;
    EXPECT_FALSE(toolkit.moveToTrash(network, "JOB.PS"));
    EXPECT_TRUE(exists(job)) << "the job on a network drive was deleted without a question";
    DeleteFileW(job.c_str());
  }
  // Switched off by policy, for every drive.
  const wchar_t* policy = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
  setNumber(policy, L"NoRecycleFiles", 1);
  EXPECT_FALSE(win32ui::recycleBinTakes(local));
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, policy, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
    RegDeleteValueW(k, L"NoRecycleFiles");
    RegCloseKey(k);
  }
  // Switched off on this drive, or too small for the job: the job's drive, named by its volume.
  wchar_t volume[MAX_PATH] = L"";
  if (GetVolumeNameForVolumeMountPointW(local.substr(0, 3).c_str(), volume, MAX_PATH)) {
    const std::wstring name(volume);
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
        name.substr(name.find(L'{'), name.find(L'}') - name.find(L'{') + 1);
    HANDLE file = CreateFileW(local.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFilePointer(file, 3 << 20, nullptr, FILE_BEGIN);  // 3 MB
    SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(win32ui::recycleBinTakes(local)) << "the drive's bin, before any setting";
    struct Setting {
      const wchar_t* value;
      DWORD number;
      bool takes;
    } settings[] = {
        {L"NukeOnDelete", 1, false}, {L"MaxCapacity", 2, false}, {L"MaxCapacity", 4, true}};
    for (const Setting& setting : settings) {
      setNumber(key.c_str(), setting.value, setting.number);
      EXPECT_EQ(win32ui::recycleBinTakes(local), setting.takes)
          << setting.value << "=" << setting.number;
      RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), setting.value);
    }
    DeleteFileW(local.c_str());
  }
  if (!network) GTEST_SKIP() << "no network drive to try (LPTSPOOL_TEST_NETWORK_FOLDER)";
}

}  // namespace
