// A flat line from the counters means nothing unless each of them moves when
// objects of its kind are taken and not given back: these tests leak on purpose.
#include "toolkit/ResourceCounts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "toolkit/Handle.h"

namespace {

constexpr int kLeaks = 40;

TEST(ResourceCounts, KernelHandlesFollowOpenAndClose) {
  long before = toolkit::CountResources().Handles;
  std::vector<toolkit::KernelHandle> events;
  for (int i = 0; i < kLeaks; ++i)
    events.emplace_back(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  long held = toolkit::CountResources().Handles;
  events.clear();
  long after = toolkit::CountResources().Handles;
  EXPECT_GE(held - before, kLeaks) << toolkit::ResourceCountMethods();
  EXPECT_LT(after, held - kLeaks / 2);
}

TEST(ResourceCounts, GdiObjectsFollowCreateAndDelete) {
  long before = toolkit::CountResources().Gdi;
  std::vector<toolkit::BrushHandle> brushes;
  for (int i = 0; i < kLeaks; ++i) brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
  long held = toolkit::CountResources().Gdi;
  brushes.clear();
  long after = toolkit::CountResources().Gdi;
  EXPECT_EQ(held - before, kLeaks) << toolkit::ResourceCountMethods();
  EXPECT_EQ(after, before);
}

TEST(ResourceCounts, IconsAndMenusAreUserObjects) {
  long before = toolkit::CountResources().User;
  std::vector<toolkit::IconHandle> icons;
  std::vector<toolkit::MenuHandle> menus;
  BYTE andBits[32 * 4];
  BYTE xorBits[32 * 4];
  std::memset(andBits, 0xff, sizeof andBits);
  std::memset(xorBits, 0, sizeof xorBits);
  for (int i = 0; i < kLeaks; ++i) {
    icons.emplace_back(::CreateIcon(nullptr, 32, 32, 1, 1, andBits, xorBits));
    menus.emplace_back(::CreatePopupMenu());
  }
  long held = toolkit::CountResources().User;
  icons.clear();
  menus.clear();
  long after = toolkit::CountResources().User;
  EXPECT_EQ(held - before, 2 * kLeaks) << toolkit::ResourceCountMethods();
  EXPECT_EQ(after, before);
}

TEST(ResourceCounts, WindowsAndTheirChildrenAreUserObjects) {
  // A thread's windows bring one of the system's own along (the input method's),
  // which lives while any of them does: one window stays up for the whole test.
  toolkit::WindowHandle first(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, nullptr, nullptr));
  long before = toolkit::CountResources().User;
  std::vector<toolkit::WindowHandle> windows;
  for (int i = 0; i < kLeaks / 4; ++i) {
    windows.emplace_back(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
    ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, windows.back().get(), nullptr,
                      nullptr, nullptr);
  }
  long held = toolkit::CountResources().User;
  windows.clear();
  long after = toolkit::CountResources().User;
  EXPECT_EQ(held - before, 2 * (kLeaks / 4)) << toolkit::ResourceCountMethods();
  EXPECT_EQ(after, before);
}

TEST(ResourceCounts, PrivateMemoryFollowsTheHeap) {
  constexpr size_t kBlock = 64 * 1024;
  constexpr int kBlocks = 256;  // 16 MiB in blocks a leaking list would take
  int64_t before = toolkit::CountResources().PrivateBytes;
  std::vector<std::unique_ptr<char[]>> blocks;
  for (int i = 0; i < kBlocks; ++i) {
    blocks.emplace_back(new char[kBlock]);
    std::memset(blocks.back().get(), i, kBlock);
  }
  int64_t held = toolkit::CountResources().PrivateBytes;
  EXPECT_GT(before, 0) << toolkit::ResourceCountMethods();
  EXPECT_GE(held - before, static_cast<int64_t>(kBlock) * kBlocks * 3 / 4)
      << toolkit::ResourceCountMethods();
}

}  // namespace
