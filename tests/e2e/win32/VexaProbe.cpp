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
//   vexa-probe rect ID              the client area of the visible control with that id: x y width height on the screen
//   vexa-probe type ID TEXT         click the control, then type TEXT as keyboard input (any characters; a line break is Enter)
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

int PrintRect(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  POINT origin{0, 0};
  ClientToScreen(control, &origin);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
  return 0;
}

// Each character as a key of its own (the system makes it a character message,
// whatever the keyboard layout); a line break as the Enter key.
void TypeText(HWND main, HWND control, const std::wstring& text) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  Sleep(300);
  SetForegroundWindow(main);
  Sleep(200);
  for (const wchar_t c : text) {
    INPUT keys[2]{};
    for (int i = 0; i < 2; ++i) {
      keys[i].type = INPUT_KEYBOARD;
      if (c == L'\n') {
        keys[i].ki.wVk = VK_RETURN;
        keys[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
      } else {
        keys[i].ki.wScan = c;
        keys[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
      }
    }
    SendInput(2, keys, sizeof(INPUT));
    Sleep(20);
  }
  Sleep(300);
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
  } else if (command == L"rect" && argc > 2) {
    HWND control = ControlById(main, _wtoi(argv[2]));
    if (!control) return Fail("no such control");
    return PrintRect(control);
  } else if (command == L"type" && argc > 3) {
    HWND control = ControlById(main, _wtoi(argv[2]));
    if (!control) return Fail("no such control");
    TypeText(main, control, argv[3]);
  } else {
    std::fputs("usage: vexa-probe wait [ms] | title | controls | selector | tabs | list N | text ID | keys KEY... |"
               " click ID [right|double] | syscommand N | close\n",
               stderr);
    return 2;
  }
  return 0;
}
