#pragma once
// Window handles and the message queue of the user-interface thread. Windows
// are headless: a handle is a number bound to a window procedure (and to the
// object that owns it); PostMessage queues, SendMessage calls the procedure at
// once, and the application drains the queue. Handles are never reused, so a
// message for a window destroyed meanwhile is recognised and dropped.

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/vcl/Events.h"
#include "platform/vcl/Messages.h"

class TObject;

using TWndMethod = std::function<void(TMessage&)>;

// Binds a new handle to Method; Object, when given, is what FindWindowObject
// returns for the handle (the control that owns it). Parent 0 makes a
// top-level window. A new window is hidden and enabled.
HWND AllocateHWnd(TWndMethod Method, TObject* Object = nullptr, HWND Parent = 0);
// Unbinds the handle and drops the messages still queued for it.
void DeallocateHWnd(HWND Handle);
bool IsWindow(HWND Handle);
TObject* FindWindowObject(HWND Handle);
// Number of handles bound now.
std::size_t WindowHandleCount();

// ---- Window state ------------------------------------------------------------
// The window system's own view of a window, apart from what its control keeps:
// a disabled window takes no input and cannot become active (modal loops
// disable every other top-level window this way), and a window is visible
// when it is shown and so is every window above it.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// Returns whether the window was disabled before.
bool EnableWindow(HWND Handle, bool Enable);
bool IsWindowEnabled(HWND Handle);
// Shows (any command but SW_HIDE) or hides the window itself; returns whether
// it was shown before.
bool ShowWindow(HWND Handle, int Command);
bool IsWindowVisible(HWND Handle);
HWND GetParent(HWND Handle);
HWND SetParent(HWND Handle, HWND NewParent);
// The top-level windows (no parent) in the order they were made.
std::vector<HWND> TopLevelWindows();

// Queues a message. Handle 0 posts a message for the thread itself (the
// application's OnMessage sees it). False, and nothing queued, when Handle
// names no window.
bool PostMessage(HWND Handle, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// Queues WM_QUIT for the thread.
void PostQuitMessage(int ExitCode);
// Calls the window procedure at once and returns its result; 0 when Handle
// names no window.
LRESULT SendMessage(HWND Handle, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

// Takes (or with Remove false, looks at) the oldest queued message; false
// when the queue is empty.
bool PeekMessage(TMsg& Msg, bool Remove = true);
// Hands a queued message to its window procedure; a message for a window
// that no longer exists is dropped (result 0).
LRESULT DispatchMessage(const TMsg& Msg);
std::size_t PendingMessageCount();

// ---- Focus and activation ------------------------------------------------------

// The window that has the keyboard focus; 0 when none.
HWND GetFocus();
// Moves the keyboard focus: WM_KILLFOCUS (WParam: the new window) goes to the
// window that loses it, then WM_SETFOCUS (WParam: the old window) to Handle.
// Returns the window that had the focus. Handle 0 takes the focus away; a
// handle that names no window changes nothing.
HWND SetFocus(HWND Handle);
// The active top-level window; 0 when none.
HWND GetActiveWindow();
// Activates Handle: WM_ACTIVATE with WA_INACTIVE (LParam: the new window) to
// the window that was active, then WM_ACTIVATE with WA_ACTIVE (LParam: the
// old window) to Handle. Returns the window that was active.
HWND SetActiveWindow(HWND Handle);

// ---- Keyboard ----------------------------------------------------------------
// Key messages carry the modifier keys that were down in their long
// parameter: Alt in bit 29 (as the window system marks it), Shift in bit 25
// and Ctrl in bit 26 (bits the window system leaves unused), so that a queued
// key is read with the modifiers it was pressed with.
LPARAM ShiftStateToKeyData(TShiftState Shift);
TShiftState KeyDataToShiftState(LPARAM KeyData);
// The character a key down produces: letters (upper case with Shift), digits
// and their shifted symbols, space, Enter (13), Esc (27), Backspace (8), Tab
// (9), and Ctrl with a letter giving 1..26. 0 when the key makes none (with
// Alt, function keys, arrows ...).
char KeyToChar(uint16_t Key, TShiftState Shift);
// For a WM_KEYDOWN that makes a character, puts the WM_CHAR for it at the
// head of the queue, so that it is read before anything queued later (the
// key-up included). False when nothing was queued.
bool TranslateMessage(const TMsg& Msg);
