#include "toolkit/ListFilter.h"

#include "toolkit/Window.h"

namespace toolkit {

namespace {

// 3456 as "3,456".
std::string WithThousands(int n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0 && digits[at - 1] != '-'; at -= 3)
    digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

// Whether the window and every container above it, up to `top`, is visible:
// IsWindowVisible would also ask the program window, which a program started
// in the tray keeps hidden while its count is still worth keeping.
bool VisibleWithin(HWND hwnd, HWND top) {
  if (!hwnd) return false;
  for (; hwnd && hwnd != top; hwnd = ::GetParent(hwnd))
    if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) return false;
  return hwnd == top;
}

}  // namespace

void TListFilter::Create(TWindow& window, HWND parent, const TControlArgs& box,
                         const TControlArgs& count) {
  box_.ClearOnEscape = true;
  box_.Create(parent, box, window.Handler([this] { Changed(); }));
  count_.Create(parent, count);
  ShowCount();
}

void TListFilter::Attach(TListView& view, std::vector<int> columns) {
  view.FilterColumns = std::move(columns);
  view.SetFilter(box_.Text());
  view.OnChanged = [this] { ShowCount(); };
  views_.push_back(&view);
  ShowCount();
}

void TListFilter::Changed() {
  for (TListView* view : views_) view->SetFilter(box_.Text());
  ShowCount();
}

void TListFilter::ShowCount() {
  const TListView* view = InSight();
  count_.SetCaption(view ? CountText(*view) : std::string());
}

const TListView* TListFilter::InSight() const {
  HWND top = box_.Handle() ? ::GetAncestor(box_.Handle(), GA_PARENT) : nullptr;
  if (!top) return nullptr;
  for (const TListView* view : views_)
    if (VisibleWithin(view->Handle(), top)) return view;
  return nullptr;
}

std::string TListFilter::CountText(const TListView& view) {
  if (!view.Filtered()) return std::string();
  return WithThousands(view.ShownCount()) + " / " + WithThousands(view.Count());
}

}  // namespace toolkit
