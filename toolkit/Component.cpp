#include "toolkit/Component.h"

#include <algorithm>

namespace toolkit {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) {
    owner_->components_.push_back(this);
    owner_->Notification(this, TOperation::opInsert);
  }
}

TComponent::~TComponent() {
  // Components still registered outlive their owner's bookkeeping: detach them
  // so that their own destruction does not reach back into a dead owner.
  for (TComponent* c : components_) c->owner_ = nullptr;
  components_.clear();
  if (owner_) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    // By now only this base part is alive, so the removed component is taken
    // out of the list first and is not asked about its own removal.
    owner_->Notification(this, TOperation::opRemove);
  }
}

void TComponent::BeginLoading() {
  loading_ = true;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::FinishLoading() {
  // Loaded may create or drop components; walk a copy.
  std::vector<TComponent*> list = components_;
  for (TComponent* c : list) {
    if (std::find(components_.begin(), components_.end(), c) != components_.end())
      c->FinishLoading();
  }
  Loaded();
}

void TComponent::Loaded() { loading_ = false; }

void TComponent::Notification(TComponent* component, TOperation operation) {
  std::vector<TComponent*> list = components_;
  for (TComponent* c : list) {
    if (c != component && std::find(components_.begin(), components_.end(), c) != components_.end())
      c->Notification(component, operation);
  }
}

}  // namespace toolkit
