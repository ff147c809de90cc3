#pragma once
// What the control tests share: the window tests' fixture, a window that
// records the lookup requests it receives, and the image library's folder.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "src/controls/GSpdBtn.h"
#include "tests/vcl/ui_fixture.h"

namespace kw_test {

// The option window's side of the lookup request.
class TLookupWindow : public TForm {
  KW_DECLARE_CLASS(TLookupWindow, TForm)
  KW_MESSAGE_MAP(TLookupWindow, TForm, KW_ON_MESSAGE(WM_LOOKUPREQUEST, WMLookupRequest))
 public:
  using TForm::TForm;
  std::vector<TControl*> Lookups;
  std::vector<WPARAM> WParams;
  void WMLookupRequest(TMessage& M) {
    Lookups.push_back(LParamToObject<TControl>(M.LParam));
    WParams.push_back(M.WParam);
  }
};

// A notify event that runs a function (for events whose order matters).
struct TNotifyProbe {
  std::function<void(TObject*)> Action;
  int Calls = 0;
  TObject* LastSender = nullptr;
  static void Call(void* Data, TObject* Sender) {
    auto* self = static_cast<TNotifyProbe*>(Data);
    ++self->Calls;
    self->LastSender = Sender;
    if (self->Action) self->Action(Sender);
  }
  TNotifyEvent Event() { return TNotifyEvent(&Call, this); }
};

#ifdef KW_BITMORA_DIR
inline void UseBuiltBitmora() { SetBitmoraFolders({KW_BITMORA_DIR}); }
#endif

class ControlsTest : public UITest {
 protected:
  // A shown, active window the controls sit on.
  TLookupWindow* Window() {
    if (!FWindow) {
      FWindow.reset(CreateForm<TLookupWindow>(nullptr));
      FWindow->SetBounds(0, 0, 400, 300);
      FWindow->Show();
    }
    return FWindow.get();
  }
  TEdit* AddEdit(const char* Name, int Left, int Top, int Width, int Height) {
    auto* e = new TEdit(Window());
    e->SetName(Name);
    e->SetParent(Window());
    e->SetBounds(Left, Top, Width, Height);
    return e;
  }
  void TearDown() override {
    FWindow.reset();
    UITest::TearDown();
  }
  std::unique_ptr<TLookupWindow> FWindow;
};

}  // namespace kw_test
