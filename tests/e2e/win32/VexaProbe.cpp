// vexa-probe.exe: drives a running vexa.exe from outside, for the end-to-end tests
// under Wine, with ordinary input (keys through the system's input queue, clicks and
// menu commands as window messages) and reads back what its controls show.
//   vexa-probe wait [ms]            wait for the main window; print its title
//   vexa-probe title                print the main window's title
//   vexa-probe controls             each descendant control: class, id, text
//   vexa-probe selector             the device selector's items; the chosen one marked "*"
//   vexa-probe tabs                 the page captions; the active one marked "*"
//   vexa-probe list N               the cells of the N-th visible list view (tab-separated rows)
//   vexa-probe text ID              the text of the visible control with that id
//   vexa-probe keys KEY...          type keys such as ctrl+next, alt+3, f9, 2 (in order)
//   vexa-probe click ID [right|double]   click the visible control with that id
//   vexa-probe syscommand N         send a system-menu command
//   vexa-probe message [ms]         wait for a message box of Vexa, print its text, press OK
//   vexa-probe zoomed               1 when the window is maximised, else 0
//   vexa-probe close                ask the window to close and wait until it is gone
//   vexa-probe answer ok|cancel|yes|no [ms]   wait for a message box of Vexa, print its text and its
//                                   buttons' ids ("buttons: 1 2"), press the named button
//   vexa-probe trust DER-FILE       add the certificate to the machine's trusted root authorities
//   vexa-probe untrust DER-FILE     remove every trusted root authority of that certificate's subject;
//                                   prints how many went
#include <windows.h>
#include <commctrl.h>
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HWND FindMain() { return FindWindowW(L"TVexaForm", nullptr); }

void Print(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fputc('\n', stdout);
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[2048] = L"";
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = L"";
  GetClassNameW(window, name, 128);
  return name;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool ReallyVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

HWND ControlById(HWND main, int id) {
  for (HWND child : Descendants(main))
    if (GetDlgCtrlID(child) == id && ReallyVisible(child)) return child;
  return nullptr;
}

// Memory in the other process, for the list view's cross-process requests.
class TRemote {
public:
  TRemote(HWND window, SIZE_T size) : size(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process) memory = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~TRemote() {
    if (memory) VirtualFreeEx(process, memory, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
  void* Address() const { return memory; }
  void Write(const void* data, SIZE_T bytes, SIZE_T offset = 0) {
    WriteProcessMemory(process, static_cast<char*>(memory) + offset, data, bytes, nullptr);
  }
  void Read(void* data, SIZE_T bytes, SIZE_T offset = 0) {
    ReadProcessMemory(process, static_cast<char*>(memory) + offset, data, bytes, nullptr);
  }

private:
  SIZE_T size;
  HANDLE process = nullptr;
  void* memory = nullptr;
};

void PrintList(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  constexpr SIZE_T kText = 1024;
  TRemote remote(list, sizeof(LVITEMW) + kText * sizeof(wchar_t));
  if (!remote.Address()) return;
  for (int row = 0; row < rows; ++row) {
    std::wstring line;
    for (int column = 0; column < std::max(columns, 1); ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.cchTextMax = kText;
      item.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(remote.Address()) + sizeof(LVITEMW));
      remote.Write(&item, sizeof item);
      SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.Address()));
      wchar_t text[kText] = L"";
      remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(LVITEMW));
      if (column > 0) line += L"\t";
      line += text;
    }
    Print(line);
  }
}

WORD KeyCode(const std::wstring& name) {
  static const struct {
    const wchar_t* name;
    WORD code;
  } kNames[] = {{L"next", VK_NEXT}, {L"prior", VK_PRIOR}, {L"left", VK_LEFT}, {L"right", VK_RIGHT},
                {L"up", VK_UP},     {L"down", VK_DOWN},   {L"return", VK_RETURN}, {L"delete", VK_DELETE},
                {L"insert", VK_INSERT}, {L"escape", VK_ESCAPE}, {L"tab", VK_TAB}};
  for (const auto& row : kNames)
    if (name == row.name) return row.code;
  if (name.size() >= 2 && (name[0] == L'f' || name[0] == L'F')) return static_cast<WORD>(VK_F1 + _wtoi(name.c_str() + 1) - 1);
  if (name.size() == 1) return static_cast<WORD>(towupper(name[0]));
  return 0;
}

// "ctrl+shift+r": modifiers down, the key down and up, modifiers up.
void Type(const std::wstring& keySpec) {
  std::vector<WORD> modifiers;
  std::wstring rest = keySpec;
  for (;;) {
    const size_t plus = rest.find(L'+');
    if (plus == std::wstring::npos) break;
    const std::wstring part = rest.substr(0, plus);
    modifiers.push_back(part == L"ctrl" ? VK_CONTROL : part == L"alt" ? VK_MENU : VK_SHIFT);
    rest = rest.substr(plus + 1);
  }
  std::vector<INPUT> inputs;
  auto add = [&](WORD code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) add(m, false);
  add(KeyCode(rest), false);
  add(KeyCode(rest), true);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(300);
}

int Fail(const char* text) {
  std::fprintf(stderr, "vexa-probe: %s\n", text);
  return 1;
}

// The message box of Vexa that is showing, waiting up to limit ms; none when it did not come.
HWND WaitForMessageBox(DWORD limit) {
  const DWORD start = GetTickCount();
  HWND box = nullptr;
  while (!(box = FindWindowW(L"#32770", L"Vexa")) || !IsWindowVisible(box)) {
    if (GetTickCount() - start > limit) return nullptr;
    Sleep(100);
  }
  return box;
}

int Answer(const std::wstring& button, DWORD limit) {
  const int id = button == L"ok" ? IDOK : button == L"cancel" ? IDCANCEL : button == L"yes" ? IDYES
                 : button == L"no" ? IDNO : 0;
  if (id == 0) return Fail("answer ok, cancel, yes or no");
  HWND box = WaitForMessageBox(limit);
  if (!box) return Fail("no message box");
  std::wstring buttons = L"buttons:";
  for (HWND child : Descendants(box)) {
    if (ClassOf(child) == L"Static" && !TextOf(child).empty()) Print(TextOf(child));
    if (ClassOf(child) == L"Button" && IsWindowVisible(child)) buttons += L" " + std::to_wstring(GetDlgCtrlID(child));
  }
  Print(buttons);
  if (!GetDlgItem(box, id)) return Fail("the message box has no such button");
  PostMessageW(box, WM_COMMAND, id, 0);
  for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(100);
  return IsWindow(box) ? Fail("the message box did not close") : 0;
}

// The machine's trusted root authorities, where the system's HTTPS checks look. The
// registry store itself, not the system store over it: a deletion through the system
// store is lost in Wine 8 (the certificate is still there for the next process).
int Trust(const std::wstring& file, bool add) {
  FILE* in = _wfopen(file.c_str(), L"rb");
  if (!in) return Fail("cannot read the certificate");
  std::vector<BYTE> der(65536);
  der.resize(std::fread(der.data(), 1, der.size(), in));
  std::fclose(in);
  PCCERT_CONTEXT certificate =
      CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
  if (!certificate) return Fail("not a DER certificate");
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!store) {
    CertFreeCertificateContext(certificate);
    return Fail("cannot open the Root store");
  }
  int result = 0;
  if (add) {
    if (!CertAddCertificateContextToStore(store, certificate, CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
      result = Fail("the Root store refused the certificate");
  } else {
    int removed = 0;
    while (PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                                             &certificate->pCertInfo->Subject, nullptr)) {
      if (!CertDeleteCertificateFromStore(found)) {
        result = Fail("the Root store kept the certificate");
        break;
      }
      ++removed;
    }
    std::printf("%d\n", removed);
  }
  CertCloseStore(store, 0);
  CertFreeCertificateContext(certificate);
  return result;
}

}  // namespace

// Commands for the pages opened on demand, the settings and the window's life:
//   vexa-probe listbox N            the item texts of the N-th visible list box
//   vexa-probe selection N          the selected item of the N-th visible list box (-1: none)
//   vexa-probe tree                 every node of the visible tree view, one tab per level,
//                                   collapsed or not
//   vexa-probe images N             the image index of each row of the N-th visible list view
//   vexa-probe rowclick N ROW [double]   click (or double-click) a row of the N-th visible list view
//   vexa-probe rect ID              screen rectangle of the visible control with that id: X Y W H
//   vexa-probe window               screen rectangle of the main window: X Y W H
//   vexa-probe workarea             the work area of the main window's monitor: X Y W H
//   vexa-probe drag X Y             drag the window by its caption with the mouse until its
//                                   top-left corner is at X,Y
//   vexa-probe mouse CLASS N [right|double]   click with the mouse in the middle of the N-th
//                                   visible control of a window class
//   vexa-probe endsession           log-off as Windows ends a session: WM_QUERYENDSESSION and
//                                   WM_ENDSESSION, then the process is killed
//   vexa-probe clipboard [TEXT [COUNT]]   print the clipboard's text, or put TEXT (COUNT
//                                   times) on it
//   vexa-probe type TEXT [COUNT]    type TEXT (COUNT times) as characters into the focused window
//                                   (a line break as the Enter key)
//   vexa-probe typein ID TEXT       click the visible control with that id, then type TEXT there
//   vexa-probe focus                the window with the keyboard focus in Vexa: class, id
//   vexa-probe nodialog [ms]        wait until Vexa shows no dialog
//   vexa-probe idle                 wait until Vexa has handled the input it was given
//   vexa-probe act KEY...           type keys as "keys" does, then wait as "idle" does
//   vexa-probe press KEY...         type keys like "keys" does, into whatever window is active
//                                   (a dialog), without bringing the main window forward
//   vexa-probe dialog [TITLE] [ms]  wait for a dialog of Vexa (other than the main window): its
//                                   title, then each control: class, id, text
namespace {

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

HWND VisibleControlOfClass(HWND main, const wchar_t* className, int wanted) {
  for (HWND child : Descendants(main))
    if (ClassOf(child) == className && ReallyVisible(child) && wanted-- == 0) return child;
  return nullptr;
}

void PrintRect(const RECT& r) {
  Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
        std::to_wstring(r.bottom - r.top));
}

int PrintListBox(HWND main, int, wchar_t** argv) {
  HWND list = VisibleControlOfClass(main, WC_LISTBOXW, _wtoi(argv[2]));
  if (!list) return Fail("no such list box");
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  if ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS))
    return Fail("the list box keeps no texts");
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    const LRESULT copied = length > 0 ? SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data())) : 0;
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    Print(text);
  }
  return 0;
}

int PrintListBoxSelection(HWND main, int, wchar_t** argv) {
  HWND list = VisibleControlOfClass(main, WC_LISTBOXW, _wtoi(argv[2]));
  if (!list) return Fail("no such list box");
  Print(std::to_wstring(static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0))));
  return 0;
}

void PrintTreeItems(HWND tree, TRemote& remote, HTREEITEM item, const std::wstring& indent) {
  constexpr int kText = 1024;
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    TVITEMW entry{};
    entry.mask = TVIF_TEXT | TVIF_HANDLE;
    entry.hItem = item;
    entry.cchTextMax = kText;
    entry.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(remote.Address()) + sizeof(TVITEMW));
    remote.Write(&entry, sizeof entry);
    wchar_t text[kText] = L"";
    if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address())))
      remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(TVITEMW));
    Print(indent + text);
    PrintTreeItems(tree, remote, TreeView_GetChild(tree, item), indent + L"\t");
  }
}

int PrintTree(HWND main, int, wchar_t**) {
  HWND tree = VisibleControlOfClass(main, WC_TREEVIEWW, 0);
  if (!tree) return Fail("no tree view");
  TRemote remote(tree, sizeof(TVITEMW) + 1024 * sizeof(wchar_t));
  if (!remote.Address()) return Fail("cannot reach the tree view's process");
  PrintTreeItems(tree, remote, TreeView_GetRoot(tree), L"");
  return 0;
}

int PrintImages(HWND main, int, wchar_t** argv) {
  HWND list = VisibleControlOfClass(main, WC_LISTVIEWW, _wtoi(argv[2]));
  if (!list) return Fail("no such list view");
  TRemote remote(list, sizeof(LVITEMW));
  if (!remote.Address()) return Fail("cannot reach the list view's process");
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    remote.Write(&item, sizeof item);
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()));
    remote.Read(&item, sizeof item);
    Print(std::to_wstring(item.iImage));
  }
  return 0;
}

int ClickRow(HWND main, int argc, wchar_t** argv) {
  HWND list = VisibleControlOfClass(main, WC_LISTVIEWW, _wtoi(argv[2]));
  if (!list) return Fail("no such list view");
  RECT bounds{LVIR_LABEL, 0, 0, 0};
  TRemote remote(list, sizeof bounds);
  if (!remote.Address()) return Fail("cannot reach the list view's process");
  remote.Write(&bounds, sizeof bounds);
  const int row = _wtoi(argv[3]);
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
  if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.Address()))) return Fail("no such row");
  remote.Read(&bounds, sizeof bounds);
  const LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  if (argc > 4 && std::wstring(argv[4]) == L"double") {
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
  }
  Sleep(300);
  return 0;
}

int PrintControlRect(HWND main, int, wchar_t** argv) {
  HWND control = ControlById(main, _wtoi(argv[2]));
  if (!control) return Fail("no such control");
  RECT r{};
  GetWindowRect(control, &r);
  PrintRect(r);
  return 0;
}

int PrintWindowRect(HWND main, int, wchar_t**) {
  RECT r{};
  GetWindowRect(main, &r);
  PrintRect(r);
  return 0;
}

int PrintWorkArea(HWND main, int, wchar_t**) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor)) return Fail("no monitor");
  PrintRect(monitor.rcWork);
  return 0;
}

// The mouse through the system's input queue, in the absolute units of the primary screen.
void MouseTo(POINT at, DWORD buttons = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
  SendInput(1, &input, sizeof input);
  Sleep(60);
}

int DragWindow(HWND main, int, wchar_t** argv) {
  RECT r{};
  GetWindowRect(main, &r);
  SetForegroundWindow(main);
  Sleep(200);
  // A point of the caption, clear of the icon and the buttons.
  const POINT grip{r.left + (r.right - r.left) / 3,
                   r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
  const POINT target{_wtoi(argv[2]) + (grip.x - r.left), _wtoi(argv[3]) + (grip.y - r.top)};
  MouseTo(grip);
  MouseTo(grip, MOUSEEVENTF_LEFTDOWN);
  constexpr int kSteps = 8;
  for (int step = 1; step <= kSteps; ++step)
    MouseTo(POINT{grip.x + (target.x - grip.x) * step / kSteps, grip.y + (target.y - grip.y) * step / kSteps});
  MouseTo(target, MOUSEEVENTF_LEFTUP);
  Sleep(500);
  return 0;
}

int ClickWithMouse(HWND main, int argc, wchar_t** argv) {
  HWND control = VisibleControlOfClass(main, argv[2], _wtoi(argv[3]));
  if (!control) return Fail("no such control");
  const std::wstring how = argc > 4 ? argv[4] : L"";
  RECT r{};
  GetWindowRect(control, &r);
  const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  SetForegroundWindow(main);
  Sleep(200);
  MouseTo(middle);
  const DWORD down = how == L"right" ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = how == L"right" ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  for (int click = how == L"double" ? 2 : 1; click > 0; --click) {
    MouseTo(middle, down);
    MouseTo(middle, up);
  }
  Sleep(300);
  return 0;
}

int EndSession(HWND main, int, wchar_t**) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(main));
  if (!process) return Fail("cannot open Vexa's process");
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer);
  SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 30000, nullptr);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  Print(answer ? L"1" : L"0");  // whether the window let the session end
  return 0;
}

int PrintClipboard(HWND, int argc, wchar_t** argv) {
  for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
    if (attempt == 20) return Fail("cannot open the clipboard");
    Sleep(100);
  }
  if (argc > 2) {
    std::wstring put;
    for (int i = argc > 3 ? _wtoi(argv[3]) : 1; i > 0; --i) put += argv[2];
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (put.size() + 1) * sizeof(wchar_t));
    if (auto* chars = memory ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr) {
      std::wmemcpy(chars, put.c_str(), put.size() + 1);
      GlobalUnlock(memory);
    }
    EmptyClipboard();
    const bool given = memory && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    return given ? 0 : Fail("cannot fill the clipboard");
  }
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  Print(text);
  return 0;
}

// Each character as a key of its own (the system makes it a character message,
// whatever the keyboard layout), a line break as the Enter key, into the focused
// control; then waits until the text it holds stops growing.
int TypeIntoFocus(const std::wstring& text, int count) {
  std::vector<INPUT> inputs;
  for (int i = 0; i < count; ++i)
    for (wchar_t c : text)
      for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        if (c == L'\n') {
          input.ki.wVk = VK_RETURN;
          input.ki.dwFlags = up;
        } else {
          input.ki.wScan = c;
          input.ki.dwFlags = KEYEVENTF_UNICODE | up;
        }
        inputs.push_back(input);
      }
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = GetGUIThreadInfo(GetWindowThreadProcessId(GetForegroundWindow(), nullptr), &info) ? info.hwndFocus
                                                                                                 : nullptr;
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  const auto length = [target] {
    DWORD_PTR characters = 0;
    SendMessageTimeoutW(target, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &characters);
    return characters;
  };
  DWORD_PTR last = target ? length() : 0;
  for (int quiet = 0, waited = 0; target && quiet < 5 && waited < 600; ++waited) {
    Sleep(100);
    const DWORD_PTR now = length();
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
  Sleep(200);
  return 0;
}

int TypeText(HWND, int argc, wchar_t** argv) { return TypeIntoFocus(argv[2], argc > 3 ? _wtoi(argv[3]) : 1); }

// Clicks into a control of the window, then types there.
int TypeIntoControl(HWND main, int, wchar_t** argv) {
  HWND control = ControlById(main, _wtoi(argv[2]));
  if (!control) return Fail("no such control");
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  Sleep(300);
  SetForegroundWindow(main);
  Sleep(200);
  return TypeIntoFocus(argv[3], 1);
}

int PrintFocus(HWND main, int, wchar_t**) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return Fail("cannot read Vexa's focus");
  if (info.hwndFocus)
    Print(ClassOf(info.hwndFocus) + L"\t" + std::to_wstring(GetDlgCtrlID(info.hwndFocus)));
  else
    Print(L"-");
  return 0;
}

// A selection or a page's run keeps the window busy for a while after a key.
int WaitForIdle(HWND main, int, wchar_t**) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ProcessOf(main));
  if (!process) return Fail("cannot open Vexa's process");
  const DWORD waited = WaitForInputIdle(process, 60000);
  CloseHandle(process);
  DWORD_PTR ignored = 0;
  if (waited != 0 || !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored))
    return Fail("Vexa stays busy");
  return 0;
}

int TypeKeysAndWait(HWND main, int argc, wchar_t** argv) {
  SetForegroundWindow(main);
  Sleep(200);
  for (int i = 2; i < argc; ++i) Type(argv[i]);
  return WaitForIdle(main, argc, argv);
}

int PressKeys(HWND, int argc, wchar_t** argv) {
  for (int i = 2; i < argc; ++i) Type(argv[i]);
  return 0;
}

struct TDialogSearch {
  DWORD process;
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM search) {
  auto& wanted = *reinterpret_cast<TDialogSearch*>(search);
  if (ClassOf(window) != L"#32770" || !IsWindowVisible(window) || ProcessOf(window) != wanted.process) return TRUE;
  if (!wanted.title.empty() && TextOf(window) != wanted.title) return TRUE;
  wanted.found = window;
  return FALSE;
}

int PrintDialog(HWND main, int argc, wchar_t** argv) {
  TDialogSearch search{ProcessOf(main), argc > 2 ? argv[2] : L""};
  const DWORD limit = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 30000;
  const DWORD start = GetTickCount();
  while (EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search)), !search.found) {
    if (GetTickCount() - start > limit) return Fail("no dialog");
    Sleep(100);
  }
  Sleep(300);  // the dialog sets its controls up after it shows
  Print(TextOf(search.found));
  for (HWND child : Descendants(search.found))
    Print(ClassOf(child) + L"\t" + std::to_wstring(GetDlgCtrlID(child)) + L"\t" + TextOf(child));
  return 0;
}

int WaitForNoDialog(HWND main, int argc, wchar_t** argv) {
  const DWORD limit = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 30000;
  const DWORD start = GetTickCount();
  for (;;) {
    TDialogSearch search{ProcessOf(main), L""};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found) break;
    if (GetTickCount() - start > limit) return Fail("a dialog stays open");
    Sleep(100);
  }
  Sleep(500);  // the window is active again and its control has the focus back
  return 0;
}

struct TPageCommand {
  const wchar_t* name;
  int arguments;  // at least
  int (*run)(HWND main, int argc, wchar_t** argv);
};

constexpr TPageCommand kPageCommands[] = {
    {L"listbox", 1, PrintListBox},
    {L"tree", 0, PrintTree},
    {L"images", 1, PrintImages},
    {L"rowclick", 2, ClickRow},
    {L"rect", 1, PrintControlRect},
    {L"window", 0, PrintWindowRect},
    {L"drag", 2, DragWindow},
    {L"endsession", 0, EndSession},
    {L"clipboard", 0, PrintClipboard},
    {L"type", 1, TypeText},
    {L"typein", 2, TypeIntoControl},
    {L"dialog", 0, PrintDialog},
    {L"press", 1, PressKeys},
    {L"focus", 0, PrintFocus},
    {L"nodialog", 0, WaitForNoDialog},
    {L"workarea", 0, PrintWorkArea},
    {L"mouse", 2, ClickWithMouse},
    {L"idle", 0, WaitForIdle},
    {L"act", 1, TypeKeysAndWait},
    {L"selection", 1, PrintListBoxSelection},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"wait") {
    const DWORD limit = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 30000;
    const DWORD start = GetTickCount();
    HWND main = nullptr;
    while (!(main = FindMain()) || !IsWindowVisible(main)) {
      if (GetTickCount() - start > limit) return Fail("no main window");
      Sleep(100);
    }
    Sleep(500);  // the first show rescans the devices
    Print(TextOf(main));
    return 0;
  }
  if (command == L"answer" && argc > 2) return Answer(argv[2], argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 30000);
  if ((command == L"trust" || command == L"untrust") && argc > 2) return Trust(argv[2], command == L"trust");
  if (command == L"message") {
    const DWORD limit = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 30000;
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    while (!(box = FindWindowW(L"#32770", L"Vexa")) || !IsWindowVisible(box)) {
      if (GetTickCount() - start > limit) return Fail("no message box");
      Sleep(100);
    }
    for (HWND child : Descendants(box))
      if (ClassOf(child) == L"Static" && !TextOf(child).empty()) Print(TextOf(child));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
  HWND main = FindMain();
  if (!main) return Fail("no main window");
  for (const TPageCommand& row : kPageCommands)
    if (command == row.name && argc - 2 >= row.arguments) return row.run(main, argc, argv);
  if (command == L"title") {
    Print(TextOf(main));
  } else if (command == L"controls") {
    for (HWND child : Descendants(main))
      Print(ClassOf(child) + L"\t" + std::to_wstring(GetDlgCtrlID(child)) + L"\t" + TextOf(child));
  } else if (command == L"selector" || command == L"tabs") {
    for (HWND child : Descendants(main)) {
      const std::wstring name = ClassOf(child);
      if (command == L"selector" && name == WC_COMBOBOXW && GetParent(child) == main) {
        const int count = static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0));
        const int chosen = static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0));
        for (int i = 0; i < count; ++i) {
          wchar_t text[512] = L"";
          if (SendMessageW(child, CB_GETLBTEXTLEN, i, 0) < 511) SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
          Print(std::wstring(i == chosen ? L"*" : L" ") + text);
        }
        return 0;
      }
      if (command == L"tabs" && name == WC_TABCONTROLW) {
        const int count = TabCtrl_GetItemCount(child);
        const int active = TabCtrl_GetCurSel(child);
        TRemote remote(child, sizeof(TCITEMW) + 512 * sizeof(wchar_t));
        for (int i = 0; i < count; ++i) {
          TCITEMW item{};
          item.mask = TCIF_TEXT;
          item.cchTextMax = 512;
          item.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(remote.Address()) + sizeof(TCITEMW));
          remote.Write(&item, sizeof item);
          SendMessageW(child, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote.Address()));
          wchar_t text[512] = L"";
          remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(TCITEMW));
          Print(std::wstring(i == active ? L"*" : L" ") + text);
        }
        return 0;
      }
    }
    return Fail("control not found");
  } else if (command == L"list" && argc > 2) {
    int wanted = _wtoi(argv[2]);
    for (HWND child : Descendants(main))
      if (ClassOf(child) == WC_LISTVIEWW && ReallyVisible(child) && wanted-- == 0) {
        PrintList(child);
        return 0;
      }
    return Fail("no such list view");
  } else if (command == L"text" && argc > 2) {
    HWND control = ControlById(main, _wtoi(argv[2]));
    if (!control) return Fail("no such control");
    Print(TextOf(control));
  } else if (command == L"keys") {
    SetForegroundWindow(main);
    Sleep(200);
    for (int i = 2; i < argc; ++i) Type(argv[i]);
  } else if (command == L"click" && argc > 2) {
    HWND control = ControlById(main, _wtoi(argv[2]));
    if (!control) return Fail("no such control");
    const std::wstring how = argc > 3 ? argv[3] : L"";
    const LPARAM at = MAKELPARAM(3, 3);
    if (how == L"right") {
      PostMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, at);
      PostMessageW(control, WM_RBUTTONUP, 0, at);
    } else {
      PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageW(control, WM_LBUTTONUP, 0, at);
      if (how == L"double") {
        PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(control, WM_LBUTTONUP, 0, at);
      }
    }
    Sleep(300);
  } else if (command == L"syscommand" && argc > 2) {
    PostMessageW(main, WM_SYSCOMMAND, _wtoi(argv[2]), 0);
    Sleep(300);
  } else if (command == L"zoomed") {
    Print(IsZoomed(main) ? L"1" : L"0");
  } else if (command == L"close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
    for (int i = 0; i < 300 && IsWindow(main); ++i) Sleep(100);
    if (IsWindow(main)) return Fail("the window did not close");
  } else {
    std::fputs("usage: vexa-probe wait [ms] | title | controls | selector | tabs | list N | text ID | keys KEY... |"
               " click ID [right|double] | syscommand N | close\n",
               stderr);
    return 2;
  }
  return 0;
}
