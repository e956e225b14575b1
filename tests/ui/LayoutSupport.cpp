#include "ui/LayoutSupport.h"

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/Dpi.h"
#include "toolkit/Handle.h"

namespace layouttest {

MainWindow::MainWindow() {
  form = std::make_unique<TForm1>(dir.path());
  form->Hooks.ShowError = [](HWND, const std::string& m) { ADD_FAILURE() << m; };
  form->Hooks.ShowNotice = [](HWND, const std::string&) {};
  EXPECT_TRUE(form->CreateWindowed());
}

MainWindow::~MainWindow() {
  form.reset();
  testsupport::PumpMessages();
}

namespace {

struct Child {
  HWND hwnd;
  std::string cls;
  std::string text;
  RECT rc;  // in the parent's client coordinates
};

std::vector<Child> ShownChildren(HWND parent) {
  std::vector<Child> children;
  for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (!(::GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE)) continue;
    Child child{c, "", "", {}};
    char buffer[256] = {};
    ::GetClassNameA(c, buffer, sizeof buffer);
    child.cls = buffer;
    ::GetWindowTextA(c, buffer, sizeof buffer);
    child.text = buffer;
    ::GetWindowRect(c, &child.rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&child.rc), 2);
    children.push_back(child);
  }
  return children;
}

bool Holds(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Describe(const Child& c) {
  return c.cls + " \"" + c.text + "\" at " + std::to_string(c.rc.left) + "," +
         std::to_string(c.rc.top) + "-" + std::to_string(c.rc.right) + "," +
         std::to_string(c.rc.bottom);
}

SIZE TextSize(HWND control, const std::string& text) {
  toolkit::WindowDC dc(control);
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = ::SelectObject(dc.get(), font ? font : ::GetStockObject(SYSTEM_FONT));
  RECT rc = {0, 0, 0, 0};
  ::DrawTextA(dc.get(), text.c_str(), -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc.get(), old);
  return {rc.right, rc.bottom};
}

bool IsGroupBox(const Child& c) {
  return c.cls == "Button" && (::GetWindowLongA(c.hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

}  // namespace

int TextWidth(HWND control, const std::string& text) { return TextSize(control, text).cx; }

void ExpectControlsApartAndInside(HWND parent, int dpi) {
  RECT client;
  ::GetClientRect(parent, &client);
  std::vector<Child> children = ShownChildren(parent);
  EXPECT_FALSE(children.empty());
  for (size_t i = 0; i < children.size(); ++i) {
    const Child& a = children[i];
    EXPECT_TRUE(Holds(client, a.rc)) << Describe(a) << " leaves the client area of "
                                     << client.right << "x" << client.bottom;
    for (size_t j = i + 1; j < children.size(); ++j) {
      const Child& b = children[j];
      RECT both;
      if (!::IntersectRect(&both, &a.rc, &b.rc)) continue;
      const Child* outer = Holds(a.rc, b.rc) ? &a : Holds(b.rc, a.rc) ? &b : nullptr;
      if (!outer) {
        ADD_FAILURE() << Describe(a) << " overlaps " << Describe(b);
        continue;
      }
      const Child& inner = outer == &a ? b : a;
      if (IsGroupBox(*outer)) {
        EXPECT_GE(inner.rc.top, outer->rc.top + TextSize(outer->hwnd, outer->text).cy)
            << Describe(inner) << " is not below the caption of " << Describe(*outer);
      }
    }
  }
}

void ExpectTextsWhole(HWND parent, int dpi) {
  auto scale = [dpi](int designed) { return toolkit::ScaleToDpi(designed, dpi); };
  for (const Child& c : ShownChildren(parent)) {
    if (c.text.empty()) continue;
    const LONG style = ::GetWindowLongA(c.hwnd, GWL_STYLE);
    const SIZE text = TextSize(c.hwnd, c.text);
    const int width = c.rc.right - c.rc.left;
    const int height = c.rc.bottom - c.rc.top;
    if (c.cls == "Static") {
      if ((style & SS_TYPEMASK) == SS_ICON) continue;
      EXPECT_LE(text.cx, width) << Describe(c);
      EXPECT_LE(text.cy, height) << Describe(c);
    } else if (c.cls == "Button") {
      switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
          // The caption stands on the frame line, a few pixels in from the corner.
          EXPECT_LE(text.cx + scale(8), width) << Describe(c);
          break;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
          // The box and the gap after it come before the text.
          EXPECT_LE(text.cx + scale(13) + scale(3), width) << Describe(c);
          EXPECT_LE(text.cy, height) << Describe(c);
          break;
        default:
          // Inside the button's raised frame.
          EXPECT_LE(text.cx + scale(4), width) << Describe(c);
          EXPECT_LE(text.cy + scale(4), height) << Describe(c);
      }
    }
  }
}

}  // namespace layouttest
