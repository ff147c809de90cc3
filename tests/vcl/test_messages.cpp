#include <gtest/gtest.h>

#include <memory>

#include "tests/vcl/ui_fixture.h"

using namespace kw_test;

namespace {

// A window that answers lookup requests (message 1034 with the control in
// the long parameter) and a user message of its own, through its table.
class TLookupForm : public TForm {
  KW_DECLARE_CLASS(TLookupForm, TForm)
  KW_MESSAGE_MAP(TLookupForm, TForm, KW_ON_MESSAGE(WM_LOOKUPREQUEST, WMLookupRequest),
                 KW_ON_MESSAGE(WM_USER + 20, WMCount), KW_ON_MESSAGE(WM_CLOSE, WMClose))
 public:
  using TForm::TForm;
  std::vector<TControl*> Lookups;
  std::vector<LPARAM> Counted;
  int Closes = 0;
  int Unhandled = 0;

  void WMLookupRequest(TMessage& M) {
    Lookups.push_back(LParamToObject<TControl>(M.LParam));
    M.Result = 1;
  }
  void WMCount(TMessage& M) {
    if (M.LParam < 0) throw Exception("negative count");
    Counted.push_back(M.LParam);
    M.Result = M.LParam * 2;
  }
  // Counts, then lets the form's own handler close the window.
  void WMClose(TMessage& M) {
    ++Closes;
    DispatchFrom(&TForm::StaticMessageTable(), M);
  }
  void DefaultHandler(TMessage& M) override {
    if (M.Msg == WM_USER + 99) ++Unhandled;
    TForm::DefaultHandler(M);
  }
};

class MessageQueueTest : public UITest {};

TEST_F(MessageQueueTest, PostQueuesSendCallsAtOnce) {
  std::unique_ptr<TLookupForm> form(CreateForm<TLookupForm>(nullptr));
  HWND h = form->Handle();

  EXPECT_EQ(SendMessage(h, WM_USER + 20, 0, 21), 42);
  EXPECT_EQ(form->Counted, (std::vector<LPARAM>{21}));

  EXPECT_TRUE(PostMessage(h, WM_USER + 20, 0, 1));
  EXPECT_TRUE(PostMessage(h, WM_USER + 20, 0, 2));
  EXPECT_EQ(form->Counted.size(), 1u) << "posting runs nothing";
  EXPECT_EQ(PendingMessageCount(), 2u);
  Application->ProcessMessages();
  EXPECT_EQ(form->Counted, (std::vector<LPARAM>{21, 1, 2})) << "in the order posted";
  EXPECT_EQ(PendingMessageCount(), 0u);
}

TEST_F(MessageQueueTest, LookupRequestCarriesTheControl) {
  std::unique_ptr<TLookupForm> form(CreateForm<TLookupForm>(nullptr));
  TFieldControl* field = AddField(form.get(), "edtTC001");
  // What a lookup button does: send 1034, word parameter 0, the control in
  // the long parameter, to its owner's window.
  EXPECT_EQ(SendMessage(form->Handle(), 1034, 0, ObjectToLParam(field)), 1);
  PostMessage(form->Handle(), WM_LOOKUPREQUEST, 0, ObjectToLParam(field));
  Application->ProcessMessages();
  EXPECT_EQ(form->Lookups, (std::vector<TControl*>{field, field}));
}

TEST_F(MessageQueueTest, TablesFallBackToBaseHandlersAndTheDefault) {
  std::unique_ptr<TLookupForm> form(CreateForm<TLookupForm>(nullptr));
  form->Show();
  ASSERT_TRUE(form->Visible());
  // WM_CLOSE: the derived handler counts and passes on to the form's own.
  form->Perform(WM_CLOSE);
  EXPECT_EQ(form->Closes, 1);
  EXPECT_FALSE(form->Visible());
  // A number no table knows reaches DefaultHandler.
  form->Perform(WM_USER + 99);
  EXPECT_EQ(form->Unhandled, 1);
  // The base class's table does not know the derived class's messages.
  auto plain = std::unique_ptr<TForm>(CreateForm<TForm>(nullptr));
  EXPECT_EQ(plain->Perform(WM_LOOKUPREQUEST, 0, 0), 0);
}

TEST_F(MessageQueueTest, MessagesForDestroyedWindowsAreDropped) {
  auto* form = CreateForm<TLookupForm>(nullptr);
  HWND h = form->Handle();
  PostMessage(h, WM_USER + 20, 0, 5);
  PostMessage(h, WM_USER + 20, 0, 6);
  delete form;
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(PendingMessageCount(), 0u) << "the queue forgets a destroyed window's messages";
  EXPECT_FALSE(PostMessage(h, WM_USER + 20, 0, 7));
  EXPECT_EQ(SendMessage(h, WM_USER + 20, 0, 7), 0);
  Application->ProcessMessages();
}

TEST_F(MessageQueueTest, AWindowFreedByAnEarlierMessageMissesTheLaterOnes) {
  auto* form = CreateForm<TLookupForm>(nullptr);
  HWND h = form->Handle();
  form->Release();
  PostMessage(h, WM_USER + 20, 0, 1);
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(Screen->CustomFormCount(), FormsBefore);
}

TEST_F(MessageQueueTest, AnExceptionInAHandlerIsShownAndTheQueueGoesOn) {
  std::unique_ptr<TLookupForm> form(CreateForm<TLookupForm>(nullptr));
  HWND h = form->Handle();
  PostMessage(h, WM_USER + 20, 0, -1);
  PostMessage(h, WM_USER + 20, 0, 3);
  ui.ExpectMessage("negative count.", mtError).Answer(mrOk);
  Application->ProcessMessages();
  EXPECT_EQ(form->Counted, (std::vector<LPARAM>{3}));
  ui.VerifyAllAnswered();
}

TEST_F(MessageQueueTest, WindowProcCanBeReplacedAndChained) {
  std::unique_ptr<TLookupForm> form(CreateForm<TLookupForm>(nullptr));
  TWndMethod previous = form->WindowProc();
  std::vector<UINT> seen;
  form->SetWindowProc([&](TMessage& M) {
    seen.push_back(M.Msg);
    if (M.Msg == WM_USER + 20 && M.LParam == 100) {
      M.Result = -1;  // swallowed
      return;
    }
    previous(M);
  });
  EXPECT_EQ(SendMessage(form->Handle(), WM_USER + 20, 0, 100), -1);
  EXPECT_EQ(SendMessage(form->Handle(), WM_USER + 20, 0, 4), 8);
  EXPECT_EQ(form->Counted, (std::vector<LPARAM>{4}));
  EXPECT_GE(seen.size(), 2u);
  form->SetWindowProc(nullptr);  // back to WndProc
  seen.clear();
  form->Perform(WM_USER + 20, 0, 100);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(form->Counted.back(), 100);
}

TEST_F(MessageQueueTest, OnMessageSeesQueuedMessagesFirst) {
  std::unique_ptr<TLookupForm> form(CreateForm<TLookupForm>(nullptr));
  struct THook {
    std::vector<UINT> Seen;
    void Handle(TMsg& Msg, bool& Handled) {
      Seen.push_back(Msg.Message);
      Handled = Msg.LParam == 13;
    }
  } hook;
  Application->OnMessage = Bind<&THook::Handle>(&hook);
  PostMessage(form->Handle(), WM_USER + 20, 0, 13);
  PostMessage(form->Handle(), WM_USER + 20, 0, 14);
  PostMessage(0, WM_USER + 30, 0, 0);  // for the thread: only OnMessage sees it
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(hook.Seen, (std::vector<UINT>{WM_USER + 20, WM_USER + 20, WM_USER + 30}));
  EXPECT_EQ(form->Counted, (std::vector<LPARAM>{14})) << "a handled message is not dispatched";
}

TEST_F(MessageQueueTest, TerminateEndsWithTheQuitMessage) {
  Application->Terminate();
  EXPECT_FALSE(Application->Terminated()) << "only when the queue gets to it";
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(MessageQueueTest, HandlesAreMadeOnDemandAndNeedAParent) {
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  EXPECT_FALSE(form->HandleAllocated());
  TFieldControl* field = AddField(form.get(), "edtA");
  EXPECT_FALSE(field->HandleAllocated());
  HWND fh = field->Handle();
  EXPECT_TRUE(form->HandleAllocated()) << "a child's handle needs its parent's";
  EXPECT_EQ(GetParent(fh), form->Handle());
  EXPECT_EQ(FindControl(fh), field);
  EXPECT_EQ(field->Handle(), fh) << "made once";

  TFieldControl orphan(nullptr);
  orphan.SetName("edtOrphan");
  try {
    orphan.Handle();
    FAIL() << "expected EInvalidOperation";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Control 'edtOrphan' has no parent window");
  }
}

}  // namespace
