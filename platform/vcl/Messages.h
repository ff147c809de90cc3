#pragma once
// Window messages: the message record, the message numbers of the window
// system and of the control library, the numbers the application defines on
// top of WM_USER, virtual key codes, and the per-class message handler
// tables through which a control receives messages by number.

#include <cstdint>
#include <initializer_list>
#include <vector>

using HWND = uintptr_t;
using UINT = unsigned;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A message as a window procedure receives it; handlers set Result.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// A message as it waits in the queue.
struct TMsg {
  HWND Hwnd = 0;
  UINT Message = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
};

// Packs two 16-bit values into a long parameter, low word first.
constexpr LPARAM MakeLParam(int Low, int High) {
  return static_cast<LPARAM>(static_cast<uint32_t>((Low & 0xFFFF) | ((High & 0xFFFF) << 16)));
}

// An object reference carried in a long parameter (message 1034 carries the
// bound control this way) and back.
inline LPARAM ObjectToLParam(const void* Object) { return reinterpret_cast<LPARAM>(Object); }
template <class T>
T* LParamToObject(LPARAM Param) {
  return reinterpret_cast<T*>(Param);
}

// ---- Window system messages --------------------------------------------------
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
inline constexpr UINT WM_CANCELMODE = 0x001F;
inline constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_SYSCHAR = 0x0106;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE's word parameter.
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;
inline constexpr WPARAM WA_CLICKACTIVE = 2;

// What a control answers to WM_GETDLGCODE: the keys it wants for itself
// instead of letting the form use them to move the focus or press buttons.
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
inline constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// ---- Control library notifications -------------------------------------------
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_DIALOGKEY = CM_BASE + 5;  // WParam: key, LParam: key data; 1 = handled
inline constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;     // LParam: the control that got the focus
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;  // WParam: the new value
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr UINT CM_ENTER = CM_BASE + 26;
inline constexpr UINT CM_EXIT = CM_BASE + 27;
inline constexpr UINT CM_RELEASE = CM_BASE + 33;  // a form frees itself when it receives it
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
inline constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;  // WParam: the control, LParam: inserted
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr UINT CM_CHILDKEY = CM_BASE + 46;  // WParam: key, LParam: the control; 1 = handled

// Notifications a control sends itself about its own window's messages: the
// key messages reach the focused control this way before they are dispatched.
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
inline constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
inline constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
inline constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---- The application's own messages -----------------------------------------
// A lookup button asks its owner window to open the lookup of a field; the
// long parameter carries the bound control (a TControl*), the word parameter
// is 0.
inline constexpr UINT WM_LOOKUPREQUEST = WM_USER + 10;  // 1034

// ---- Virtual key codes ------------------------------------------------------
inline constexpr uint16_t VK_BACK = 0x08;
inline constexpr uint16_t VK_TAB = 0x09;
inline constexpr uint16_t VK_RETURN = 0x0D;
inline constexpr uint16_t VK_SHIFT = 0x10;
inline constexpr uint16_t VK_CONTROL = 0x11;
inline constexpr uint16_t VK_MENU = 0x12;  // Alt
inline constexpr uint16_t VK_ESCAPE = 0x1B;
inline constexpr uint16_t VK_SPACE = 0x20;
inline constexpr uint16_t VK_PRIOR = 0x21;  // Page Up
inline constexpr uint16_t VK_NEXT = 0x22;   // Page Down
inline constexpr uint16_t VK_END = 0x23;
inline constexpr uint16_t VK_HOME = 0x24;
inline constexpr uint16_t VK_LEFT = 0x25;
inline constexpr uint16_t VK_UP = 0x26;
inline constexpr uint16_t VK_RIGHT = 0x27;
inline constexpr uint16_t VK_DOWN = 0x28;
inline constexpr uint16_t VK_INSERT = 0x2D;
inline constexpr uint16_t VK_DELETE = 0x2E;
inline constexpr uint16_t VK_F1 = 0x70;
inline constexpr uint16_t VK_F2 = 0x71;
inline constexpr uint16_t VK_F3 = 0x72;
inline constexpr uint16_t VK_F4 = 0x73;
inline constexpr uint16_t VK_F5 = 0x74;
inline constexpr uint16_t VK_F10 = 0x79;
inline constexpr uint16_t VK_F12 = 0x7B;

// ---- Message handler tables -------------------------------------------------
// Each class that handles messages by number keeps a static table of
// (number, handler) entries linked to its base class's table; dispatching a
// message walks from the object's own class upwards and falls back to the
// default handler. A class declares its table with KW_MESSAGE_MAP:
//
//   class TfrmOptions : public TForm {
//     KW_MESSAGE_MAP(TfrmOptions, TForm, KW_ON_MESSAGE(WM_LOOKUPREQUEST, WMLookupRequest))
//    public:
//     void WMLookupRequest(TMessage& Message);
//   };

class TControl;

struct TMessageEntry {
  UINT Msg;
  void (*Handler)(TControl* Self, TMessage& Message);
};

class TMessageTable {
 public:
  TMessageTable(const TMessageTable* Parent, std::initializer_list<TMessageEntry> Entries)
      : FParent(Parent), FEntries(Entries) {}
  const TMessageTable* Parent() const { return FParent; }
  // The handler this table itself holds for Msg, or nullptr.
  const TMessageEntry* Find(UINT Msg) const {
    for (const TMessageEntry& e : FEntries)
      if (e.Msg == Msg) return &e;
    return nullptr;
  }

 private:
  const TMessageTable* FParent;
  std::vector<TMessageEntry> FEntries;
};

#define KW_MESSAGE_MAP(Cls, Base, ...)                                              \
 public:                                                                            \
  static const TMessageTable& StaticMessageTable() {                                \
    using ThisClass = Cls;                                                          \
    static const TMessageTable table(&Base::StaticMessageTable(), {__VA_ARGS__});   \
    return table;                                                                   \
  }                                                                                 \
  const TMessageTable& MessageTable() const override { return StaticMessageTable(); } \
                                                                                    \
 private:

#define KW_ON_MESSAGE(Number, Method)                                    \
  TMessageEntry {                                                        \
    (Number), [](TControl* Self, TMessage& Message) {                    \
      static_cast<ThisClass*>(Self)->Method(Message);                    \
    }                                                                    \
  }
