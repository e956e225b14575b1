// The owners give back what they hold: also what they held before an
// out-parameter or a new font took its place.
#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/Handle.h"
#include "toolkit/ResourceCounts.h"
#include "toolkit/Window.h"

namespace {

constexpr int kTimes = 40;

class FontWindow : public toolkit::TWindow {
public:
  FontWindow() {
    CreateTopLevel("VantryFontTestWindow", "font", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200, 100, nullptr);
    SetProgramFont();
    toolkit::CreateChild(Handle(), "STATIC", {8, 8, 100, 20, "ラベル"}, 0);
  }
};

}  // namespace

TEST(Handles, AnOutParameterGivesBackWhatTheOwnerHeld) {
  toolkit::KernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  toolkit::KernelHandle copy;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), event.get(), ::GetCurrentProcess(),
                                copy.put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
  long before = toolkit::CountResources().Handles;
  for (int i = 0; i < kTimes; ++i)
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), event.get(), ::GetCurrentProcess(),
                                  copy.put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
  long after = toolkit::CountResources().Handles;
  EXPECT_LT(after - before, kTimes / 2) << toolkit::ResourceCountMethods();
  ASSERT_TRUE(::SetEvent(copy.get()));
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event.get(), 0));  // the last copy still works
}

// Every change of DPI makes each font of the window anew and hands it to the
// controls that had the old one.
TEST(Handles, AWindowGivesBackEveryFontItMade) {
  auto changeDpi = [](HWND window, int dpi) {
    RECT rc;
    ::GetWindowRect(window, &rc);
    ::SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rc));
  };
  {
    // What the first window and the first font take for good (the class, the
    // screen's device context) is not the test's.
    FontWindow first;
    first.SetProgramFont();
    changeDpi(first.Handle(), 144);
  }
  long before = toolkit::CountResources().Gdi;
  {
    FontWindow window;
    window.SetProgramFont();
    window.ProgramFont({19, true});
    long withTwo = toolkit::CountResources().Gdi;
    for (int i = 0; i < kTimes; ++i) {
      window.SetProgramFont();
      changeDpi(window.Handle(), i % 2 ? 96 : 144);
    }
    EXPECT_LE(toolkit::CountResources().Gdi, withTwo + 1) << toolkit::ResourceCountMethods();
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(window.Handle(), WM_GETFONT, 0, 0));
    EXPECT_EQ(OBJ_FONT, static_cast<long>(::GetObjectType(font)));
    HWND label = ::GetWindow(window.Handle(), GW_CHILD);
    EXPECT_EQ(font, reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
  }
  EXPECT_EQ(before, toolkit::CountResources().Gdi) << toolkit::ResourceCountMethods();
}
