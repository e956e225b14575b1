// The little of a component framework that the tray icon needs: an owner that
// knows its components, a flag that is set while a form applies its stored
// values (setters then only store, and no shell call is made), and a
// notification to every component of the owner when one of them goes away, so
// that references to it (a popup menu, say) can be dropped.
//
// Ownership of the memory is plain C++: a form holds its components as members
// (or in smart pointers); a component only registers with its owner and
// unregisters in its destructor. No Win32 here, so it builds natively too.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct HWND__;  // the window handle type of <windows.h>, without including it

namespace toolkit {

enum class TOperation { opInsert, opRemove };

class TComponent;
using TNotifyEvent = std::function<void(TComponent* Sender)>;

class TComponent {
public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const { return components_.at(static_cast<size_t>(i)); }

  bool Loading() const { return loading_; }
  bool Designing() const { return designing_; }
  void SetDesigning(bool on) { designing_ = on; }

  // A form applying its stored values: BeginLoading marks itself and every
  // component it owns as loading; FinishLoading calls Loaded on each component
  // in the order they were created, then on itself.
  void BeginLoading();
  void FinishLoading();

  // Called when the stored values have been applied; clears the loading flag.
  virtual void Loaded();
  // Called on the owner and, through it, on every component of the owner when
  // a component is added or removed.
  virtual void Notification(TComponent* component, TOperation operation);

  std::string Name;

private:
  TComponent* owner_;
  std::vector<TComponent*> components_;
  bool loading_ = false;
  bool designing_ = false;
};

// A component with a window of its own, such as a form.
class TWinControl : public TComponent {
public:
  using TComponent::TComponent;
  virtual HWND__* WindowHandle() const = 0;
};

}  // namespace toolkit
