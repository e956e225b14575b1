#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Component.h"

using toolkit::TComponent;
using toolkit::TOperation;

namespace {

// Records what it is told, in order.
class Recorder : public TComponent {
public:
  Recorder(TComponent* owner, std::vector<std::string>* log, std::string name)
      : TComponent(owner), log_(log) {
    Name = std::move(name);
  }
  void Loaded() override {
    log_->push_back(Name + ".Loaded(loading=" + (Loading() ? "1" : "0") + ")");
    TComponent::Loaded();
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove) {
      log_->push_back(Name + " told " + c->Name + " removed");
      if (c == ref) ref = nullptr;
    }
  }
  TComponent* ref = nullptr;

private:
  std::vector<std::string>* log_;
};

}  // namespace

TEST(Component, RemovalReachesEverySiblingButNotTheRemovedOne) {
  std::vector<std::string> log;
  TComponent form;
  form.Name = "Form";
  Recorder a(&form, &log, "A");
  auto menu = std::make_unique<Recorder>(&form, &log, "Menu");
  Recorder b(&form, &log, "B");
  a.ref = menu.get();
  b.ref = menu.get();
  menu.reset();
  EXPECT_EQ(nullptr, a.ref);
  EXPECT_EQ(nullptr, b.ref);
  EXPECT_EQ((std::vector<std::string>{"A told Menu removed", "B told Menu removed"}), log);
  EXPECT_EQ(2, form.ComponentCount());
}

TEST(Component, LoadingLastsUntilEachComponentIsLoaded) {
  std::vector<std::string> log;
  TComponent form;
  Recorder a(&form, &log, "A");
  Recorder b(&form, &log, "B");
  form.BeginLoading();
  EXPECT_TRUE(a.Loading());
  EXPECT_TRUE(b.Loading());
  form.FinishLoading();
  // Each component is still loading when its own Loaded starts (the base clears it).
  EXPECT_EQ((std::vector<std::string>{"A.Loaded(loading=1)", "B.Loaded(loading=1)"}), log);
  EXPECT_FALSE(a.Loading());
  EXPECT_FALSE(form.Loading());
}

TEST(Component, ComponentOutlivingItsOwnerIsDetached) {
  std::vector<std::string> log;
  auto form = std::make_unique<TComponent>();
  auto orphan = std::make_unique<Recorder>(form.get(), &log, "Orphan");
  form.reset();
  EXPECT_EQ(nullptr, orphan->Owner());
  orphan.reset();  // must not reach back into the freed owner
  EXPECT_TRUE(log.empty());
}
