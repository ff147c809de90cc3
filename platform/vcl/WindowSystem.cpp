#include "platform/vcl/WindowSystem.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace {

struct TWindowEntry {
  TWndMethod Method;
  TObject* Object = nullptr;
  HWND Parent = 0;
  bool Enabled = true;
  bool Visible = false;
};

// One user-interface thread, so one table and one queue for the process.
struct TWindowSystem {
  std::unordered_map<HWND, TWindowEntry> Windows;
  std::deque<TMsg> Queue;
  // Start well above small numbers so that a handle is never mistaken for a
  // count or a flag in a parameter.
  HWND NextHandle = 0x10000;
  HWND Focus = 0;
  HWND Active = 0;
};

TWindowSystem& System() {
  static TWindowSystem system;
  return system;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method, TObject* Object, HWND Parent) {
  TWindowSystem& sys = System();
  HWND handle = sys.NextHandle;
  sys.NextHandle += 4;
  TWindowEntry entry;
  entry.Method = std::move(Method);
  entry.Object = Object;
  entry.Parent = IsWindow(Parent) ? Parent : 0;
  sys.Windows[handle] = std::move(entry);
  return handle;
}

namespace {
TWindowEntry* Entry(HWND Handle) {
  auto& windows = System().Windows;
  auto it = windows.find(Handle);
  return it == windows.end() ? nullptr : &it->second;
}
}  // namespace

bool EnableWindow(HWND Handle, bool Enable) {
  TWindowEntry* e = Entry(Handle);
  if (!e) return false;
  bool wasDisabled = !e->Enabled;
  if (e->Enabled != Enable) {
    e->Enabled = Enable;
    // A window that is disabled loses the focus it holds.
    if (!Enable && GetFocus() == Handle) SetFocus(0);
    SendMessage(Handle, WM_ENABLE, Enable ? 1 : 0, 0);
  }
  return wasDisabled;
}

bool IsWindowEnabled(HWND Handle) {
  TWindowEntry* e = Entry(Handle);
  return e && e->Enabled;
}

bool ShowWindow(HWND Handle, int Command) {
  TWindowEntry* e = Entry(Handle);
  if (!e) return false;
  bool was = e->Visible;
  e->Visible = Command != SW_HIDE;
  return was;
}

bool IsWindowVisible(HWND Handle) {
  for (TWindowEntry* e = Entry(Handle); e; e = e->Parent ? Entry(e->Parent) : nullptr)
    if (!e->Visible) return false;
  return Entry(Handle) != nullptr;
}

HWND GetParent(HWND Handle) {
  TWindowEntry* e = Entry(Handle);
  return e ? e->Parent : 0;
}

HWND SetParent(HWND Handle, HWND NewParent) {
  TWindowEntry* e = Entry(Handle);
  if (!e) return 0;
  HWND old = e->Parent;
  e->Parent = IsWindow(NewParent) && NewParent != Handle ? NewParent : 0;
  return old;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> out;
  for (const auto& [handle, entry] : System().Windows)
    if (entry.Parent == 0) out.push_back(handle);
  std::sort(out.begin(), out.end());  // handles grow with creation
  return out;
}

void DeallocateHWnd(HWND Handle) {
  TWindowSystem& sys = System();
  if (sys.Windows.erase(Handle) == 0) return;
  if (sys.Focus == Handle) sys.Focus = 0;
  if (sys.Active == Handle) sys.Active = 0;
  std::erase_if(sys.Queue, [Handle](const TMsg& m) { return m.Hwnd == Handle; });
}

bool IsWindow(HWND Handle) { return Handle != 0 && System().Windows.count(Handle) != 0; }

TObject* FindWindowObject(HWND Handle) {
  auto& windows = System().Windows;
  auto it = windows.find(Handle);
  return it == windows.end() ? nullptr : it->second.Object;
}

std::size_t WindowHandleCount() { return System().Windows.size(); }

bool PostMessage(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Handle != 0 && !IsWindow(Handle)) return false;
  System().Queue.push_back(TMsg{Handle, Msg, WParam, LParam});
  return true;
}

void PostQuitMessage(int ExitCode) { PostMessage(0, WM_QUIT, static_cast<WPARAM>(ExitCode), 0); }

LRESULT SendMessage(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto& windows = System().Windows;
  auto it = windows.find(Handle);
  if (it == windows.end() || !it->second.Method) return 0;
  // The procedure may destroy its own window (a form freeing itself), which
  // erases the entry: call a copy.
  TWndMethod method = it->second.Method;
  TMessage message{Msg, WParam, LParam, 0};
  method(message);
  return message.Result;
}

bool PeekMessage(TMsg& Msg, bool Remove) {
  auto& queue = System().Queue;
  if (queue.empty()) return false;
  Msg = queue.front();
  if (Remove) queue.pop_front();
  return true;
}

LRESULT DispatchMessage(const TMsg& Msg) {
  if (Msg.Hwnd == 0) return 0;
  return SendMessage(Msg.Hwnd, Msg.Message, Msg.WParam, Msg.LParam);
}

std::size_t PendingMessageCount() { return System().Queue.size(); }

HWND GetFocus() { return System().Focus; }

HWND SetFocus(HWND Handle) {
  TWindowSystem& sys = System();
  HWND old = sys.Focus;
  if (Handle != 0 && (!IsWindow(Handle) || !IsWindowEnabled(Handle))) return old;
  if (Handle == old) return old;
  sys.Focus = Handle;
  if (old) SendMessage(old, WM_KILLFOCUS, Handle, 0);
  // The window losing the focus may have moved it elsewhere already; only
  // a window that still has it hears that it got it.
  if (Handle && sys.Focus == Handle) SendMessage(Handle, WM_SETFOCUS, old, 0);
  return old;
}

HWND GetActiveWindow() { return System().Active; }

HWND SetActiveWindow(HWND Handle) {
  TWindowSystem& sys = System();
  HWND old = sys.Active;
  // Only a top-level window that takes input can become active.
  if (Handle != 0 && (!IsWindow(Handle) || !IsWindowEnabled(Handle) || GetParent(Handle) != 0)) return old;
  if (Handle == old) return old;
  sys.Active = Handle;
  if (old) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(Handle));
  if (Handle && sys.Active == Handle) SendMessage(Handle, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(old));
  return old;
}

namespace {
constexpr LPARAM kAltBit = LPARAM{1} << 29;
constexpr LPARAM kShiftBit = LPARAM{1} << 25;
constexpr LPARAM kCtrlBit = LPARAM{1} << 26;
}  // namespace

LPARAM ShiftStateToKeyData(TShiftState Shift) {
  LPARAM data = 1;  // repeat count
  if (Shift.Contains(ssAlt)) data |= kAltBit;
  if (Shift.Contains(ssShift)) data |= kShiftBit;
  if (Shift.Contains(ssCtrl)) data |= kCtrlBit;
  return data;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (KeyData & kAltBit) s.Include(ssAlt);
  if (KeyData & kShiftBit) s.Include(ssShift);
  if (KeyData & kCtrlBit) s.Include(ssCtrl);
  return s;
}

char KeyToChar(uint16_t Key, TShiftState Shift) {
  if (Shift.Contains(ssAlt)) return 0;
  bool shift = Shift.Contains(ssShift);
  if (Shift.Contains(ssCtrl)) return Key >= 'A' && Key <= 'Z' ? static_cast<char>(Key - 'A' + 1) : 0;
  if (Key >= 'A' && Key <= 'Z') return static_cast<char>(shift ? Key : Key - 'A' + 'a');
  if (Key >= '0' && Key <= '9') return shift ? ")!@#$%^&*("[Key - '0'] : static_cast<char>(Key);
  switch (Key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_TAB: return '\t';
  }
  return 0;
}

bool TranslateMessage(const TMsg& Msg) {
  if (Msg.Message != WM_KEYDOWN) return false;
  char c = KeyToChar(static_cast<uint16_t>(Msg.WParam), KeyDataToShiftState(Msg.LParam));
  if (c == 0) return false;
  if (Msg.Hwnd != 0 && !IsWindow(Msg.Hwnd)) return false;
  System().Queue.push_front(TMsg{Msg.Hwnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), Msg.LParam});
  return true;
}
