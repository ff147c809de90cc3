#include "platform/vcl/Application.h"

#include <unistd.h>

#include <algorithm>
#include <exception>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/UIDriver.h"
#include "platform/vcl/WindowSystem.h"

namespace {

// Application and screen live together: the screen is made first and freed
// last, because freeing the application's forms takes them off the screen.
struct TGlobals {
  TScreen* Screen = nullptr;
  TApplication* App = nullptr;
  bool Gone = false;

  TGlobals() {
    Screen = new TScreen(nullptr);
    App = new TApplication(nullptr);
  }
  ~TGlobals() {
    Gone = true;
    delete App;
    App = nullptr;
    delete Screen;
    Screen = nullptr;
  }
};

TGlobals* Globals() {
  static TGlobals globals;
  return &globals;
}

AnsiString ReadExeName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  return n > 0 ? AnsiString(buf, static_cast<size_t>(n)) : AnsiString();
}

AnsiString TitleFromExe(const AnsiString& Exe) {
  size_t slash = Exe.find_last_of('/');
  AnsiString name = slash == AnsiString::npos ? Exe : Exe.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  return dot == AnsiString::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsKeyMessage(UINT Msg) { return Msg >= WM_KEYDOWN && Msg <= WM_SYSCHAR; }

// Input reaches no window whose top-level window is disabled (a modal loop
// runs elsewhere).
bool TakesInput(HWND Handle) {
  for (HWND h = Handle; h; h = GetParent(h))
    if (!IsWindowEnabled(h)) return false;
  return IsWindow(Handle);
}

TDialogButton MakeButton(TMsgDlgBtn Kind, const char* Caption) {
  return TDialogButton{Kind, MsgDlgButtonName(Kind), Caption, MsgDlgButtonResult(Kind)};
}

}  // namespace

TApplication* GetApplication() {
  TGlobals* g = Globals();
  return g->App;
}

TScreen* GetScreen() {
  TGlobals* g = Globals();
  return g->Screen;
}

// ===========================================================================
// TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FExeName = ReadExeName();
  FTitle = TitleFromExe(FExeName);
  FHandle = AllocateHWnd([this](TMessage& M) { WndProc(M); }, this);
}

TApplication::~TApplication() {
  // The forms go while the application is still whole: their controls tell
  // it that they are going.
  Destroying();
  DestroyComponents();
  DeallocateHWnd(FHandle);
}

void TApplication::SetMainFormIfNone(TCustomForm* Form) {
  if (!FMainForm && Form && Form->Is<TForm>()) {
    Form->HandleNeeded();
    FMainForm = Form;
  }
}

void TApplication::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      break;
    default:
      Message.Result = 0;
  }
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

bool TApplication::ProcessMessage() {
  TMsg msg;
  if (!PeekMessage(msg, true)) return false;
  if (msg.Message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  // Typed keys are queued for the thread and go to the window that has the
  // focus now.
  if (msg.Hwnd == 0 && IsKeyMessage(msg.Message)) {
    msg.Hwnd = GetFocus() ? GetFocus() : GetActiveWindow();
    if (!msg.Hwnd) return true;
  }
  bool handled = false;
  OnMessage(msg, handled);
  if (handled) return true;
  if (msg.Hwnd == 0) return true;
  if (IsKeyMessage(msg.Message) && !TakesInput(msg.Hwnd)) return true;
  if (!IsKeyMsg(msg)) {
    TranslateMessage(msg);
    DispatchMessage(msg);
  }
  return true;
}

bool TApplication::IsKeyMsg(TMsg& Msg) {
  if (!IsKeyMessage(Msg.Message) || !FindControl(Msg.Hwnd)) return false;
  return SendMessage(Msg.Hwnd, CN_BASE + Msg.Message, Msg.WParam, Msg.LParam) != 0;
}

void TApplication::HandleMessage() { ProcessMessage(); }

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
  } catch (const EAbort&) {
  } catch (Exception& e) {
    if (OnException.Assigned())
      OnException(Sender, &e);
    else
      ShowException(e);
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (OnException.Assigned())
      OnException(Sender, &wrapped);
    else
      ShowException(wrapped);
  } catch (...) {
    Exception wrapped("Unknown exception");
    if (OnException.Assigned())
      OnException(Sender, &wrapped);
    else
      ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& E) {
  AnsiString text = E.Message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, int Flags) {
  TMessageRequest request;
  request.Title = Caption;
  request.Text = Text;
  switch (Flags & 0xF0) {
    case MB_ICONHAND: request.DlgType = mtError; break;
    case MB_ICONQUESTION: request.DlgType = mtConfirmation; break;
    case MB_ICONEXCLAMATION: request.DlgType = mtWarning; break;
    case MB_ICONASTERISK: request.DlgType = mtInformation; break;
    default: request.DlgType = mtCustom;
  }
  auto& b = request.Buttons;
  switch (Flags & 0x0F) {
    case MB_OKCANCEL: b = {MakeButton(mbOK, "OK"), MakeButton(mbCancel, "Cancel")}; break;
    case MB_ABORTRETRYIGNORE:
      b = {MakeButton(mbAbort, "&Abort"), MakeButton(mbRetry, "&Retry"), MakeButton(mbIgnore, "&Ignore")};
      break;
    case MB_YESNOCANCEL:
      b = {MakeButton(mbYes, "&Yes"), MakeButton(mbNo, "&No"), MakeButton(mbCancel, "Cancel")};
      break;
    case MB_YESNO: b = {MakeButton(mbYes, "&Yes"), MakeButton(mbNo, "&No")}; break;
    case MB_RETRYCANCEL: b = {MakeButton(mbRetry, "&Retry"), MakeButton(mbCancel, "Cancel")}; break;
    default: b = {MakeButton(mbOK, "OK")};
  }
  int def = (Flags & 0xF00) >> 8;
  request.DefaultButton = def < static_cast<int>(b.size()) ? def : 0;
  // Esc answers Cancel, or OK in a box that has nothing else.
  for (size_t i = 0; i < b.size(); ++i)
    if (b[i].ModalResult == mrCancel) request.CancelButton = static_cast<int>(i);
  if (request.CancelButton < 0 && b.size() == 1) request.CancelButton = 0;
  return GetUIDriver().MessageDialog(request);
}

void TApplication::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  FHint = Value;
  OnHint(this);
}

AnsiString TApplication::GetShortHint(const AnsiString& Hint) {
  size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(0, bar);
}

AnsiString TApplication::GetLongHint(const AnsiString& Hint) {
  size_t bar = Hint.find('|');
  return bar == AnsiString::npos ? Hint : Hint.substr(bar + 1);
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (static_cast<TComponent*>(FMainForm) == Control) FMainForm = nullptr;
  if (TScreen* screen = GetScreen()) screen->ControlGone(Control);
}

// ===========================================================================
// TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  FIconFont = new TFont();
  FHintFont = new TFont();
  FMenuFont = new TFont();
  for (TFont* f : {FIconFont, FHintFont, FMenuFont}) {
    f->SetName("Tahoma");
    f->SetHeight(-11);
  }
}

TScreen::~TScreen() {
  delete FIconFont;
  delete FHintFont;
  delete FMenuFont;
}

TCustomForm* TScreen::CustomForms(int Index) const {
  if (Index < 0 || Index >= CustomFormCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FCustomForms[Index];
}

int TScreen::FormCount() const {
  return static_cast<int>(std::count_if(FCustomForms.begin(), FCustomForms.end(),
                                        [](TCustomForm* f) { return f->Is<TForm>(); }));
}

TForm* TScreen::Forms(int Index) const {
  int i = 0;
  for (TCustomForm* f : FCustomForms) {
    if (!f->Is<TForm>()) continue;
    if (i++ == Index) return static_cast<TForm*>(f);
  }
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TForm* TScreen::ActiveForm() const {
  return FActiveCustomForm && FActiveCustomForm->Is<TForm>() ? static_cast<TForm*>(FActiveCustomForm) : nullptr;
}

void TScreen::SetCursor(TCursor Value) { FCursor = Value; }

void TScreen::AddForm(TCustomForm* Form) {
  if (std::find(FCustomForms.begin(), FCustomForms.end(), Form) == FCustomForms.end())
    FCustomForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  std::erase(FCustomForms, Form);
  if (FFocusedForm == Form) FFocusedForm = nullptr;
  if (FLastActiveCustomForm == Form) FLastActiveCustomForm = nullptr;
  if (FActiveCustomForm == Form) {
    FActiveCustomForm = nullptr;
    FActiveControl = nullptr;
    FLastActiveControl = nullptr;
  }
}

void TScreen::MoveToFront(TCustomForm* Form) {
  auto it = std::find(FCustomForms.begin(), FCustomForms.end(), Form);
  if (it == FCustomForms.end() || it == FCustomForms.begin()) return;
  FCustomForms.erase(it);
  FCustomForms.insert(FCustomForms.begin(), Form);
}

void TScreen::SetActive(TCustomForm* Form, TWinControl* Control) {
  FActiveCustomForm = Form;
  FActiveControl = Control;
  MoveToFront(Form);
}

void TScreen::UpdateLastActive() {
  if (FLastActiveCustomForm != FActiveCustomForm) {
    FLastActiveCustomForm = FActiveCustomForm;
    OnActiveFormChange(this);
  }
  if (FLastActiveControl != FActiveControl) {
    FLastActiveControl = FActiveControl;
    OnActiveControlChange(this);
  }
}

void TScreen::ControlGone(TControl* Control) {
  if (static_cast<TControl*>(FActiveControl) == Control) FActiveControl = nullptr;
  if (static_cast<TControl*>(FLastActiveControl) == Control) FLastActiveControl = nullptr;
  if (static_cast<TControl*>(FLastActiveCustomForm) == Control) FLastActiveCustomForm = nullptr;
}

TCursorScope::TCursorScope(TCursor Cursor) : FSaved(Screen->Cursor()) { Screen->SetCursor(Cursor); }

TCursorScope::~TCursorScope() {
  if (TScreen* screen = GetScreen()) screen->SetCursor(FSaved);
}
