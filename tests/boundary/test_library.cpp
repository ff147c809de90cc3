// The built plug-in library as a host sees it: loaded with dlopen, driven
// only through GetController and the shared controller header.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "src/boundary/DLLBaseCtrller.h"

namespace {

size_t OpenFileCount() {
  size_t N = 0;
  for ([[maybe_unused]] const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd")) ++N;
  return N;
}

class LibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    FilesBeforeLoad = OpenFileCount();
    // Kept mapped after dlclose, as a host keeps its plug-ins until it exits:
    // the library's load-time objects then stay reachable for the leak check.
    Handle = dlopen(KW_PLUGIN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    FilesAfterLoad = OpenFileCount();
  }
  static void TearDownTestSuite() {
    if (Handle) dlclose(Handle);
    Handle = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(Handle, nullptr) << dlerror();
    Get = reinterpret_cast<TGetControllerFunction>(dlsym(Handle, "GetController"));
    ASSERT_NE(Get, nullptr);
  }

  static void OnNotify(void* Self, int32_t Code, TDLLBaseController* Sender) {
    static_cast<LibraryTest*>(Self)->Seen.push_back({Code, Sender});
  }

  static inline void* Handle = nullptr;
  static inline size_t FilesBeforeLoad = 0;
  static inline size_t FilesAfterLoad = 0;
  TGetControllerFunction Get = nullptr;
  std::vector<std::pair<int32_t, TDLLBaseController*>> Seen;
};

TEST_F(LibraryTest, ExportsOnlyGetControllerAndOpensNothingAtLoad) {
  for (const char* Hidden : {"DLLControllerClass", "frmVRBaseOptClass", "_Z16PluginModulePathv"})
    EXPECT_EQ(dlsym(Handle, Hidden), nullptr) << Hidden;
  EXPECT_EQ(FilesAfterLoad, FilesBeforeLoad);
}

TEST_F(LibraryTest, TheRegisteredControllerAnswersBeforeOpen) {
  std::unique_ptr<TDLLBaseController> Ctrl(Get());
  std::unique_ptr<TDLLBaseController> Other(Get());
  ASSERT_NE(Ctrl, nullptr);
  EXPECT_NE(Ctrl.get(), Other.get());
  EXPECT_EQ(Ctrl->ClassName(), "TDLLVRCtrller");

  Ctrl->Host = "host object";
  WideString Version = u"unchanged";
  Ctrl->GetVersion(Version);
  Variant Info = 42;
  EXPECT_EQ(Ctrl->GetVisible(), 0);
  EXPECT_EQ(Ctrl->GetHandle(), 0u);
  EXPECT_EQ(Ctrl->ShowModal().AsInteger(), 2);
  EXPECT_EQ(Ctrl->GetProgramInfo(Info), -1);
  EXPECT_TRUE(Ctrl->IsWindowGone());
  EXPECT_EQ(Version, u"unchanged");
  EXPECT_EQ(Info.AsInteger(), 42);
  EXPECT_EQ(Ctrl->ResultCode, 0);
  EXPECT_TRUE(Ctrl->ResultValue.IsEmpty());
  EXPECT_EQ(Ctrl->RunCommand(5, VarArrayOf({true})), -1);
}

TEST_F(LibraryTest, NotificationsReachTheHostsEvent) {
  std::unique_ptr<TDLLBaseController> Ctrl(Get());
  Ctrl->OnNotify = TDLLNotifyEvent(&LibraryTest::OnNotify, this);
  Ctrl->DoExtraNotify();
  Ctrl->Notify(7);
  ASSERT_EQ(Seen.size(), 2u);
  EXPECT_EQ(Seen[0], std::make_pair(ncExtraNotify, Ctrl.get()));
  EXPECT_EQ(Seen[1], std::make_pair(int32_t{7}, Ctrl.get()));
  Ctrl.reset();  // the ordinary destructor; without a window nothing is notified
  EXPECT_EQ(Seen.size(), 2u);
}

}  // namespace
