#pragma once
// The elements a unit holds, in the order they were created, each with its name. Destruction runs
// in exactly the reverse order.
//
// Threads: the thread that builds and destroys the unit.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ElementOwners {
 public:
  using DestroyedHook = std::function<void(const std::string& name)>;

  explicit ElementOwners(DestroyedHook destroyed = {}) : destroyed_(std::move(destroyed)) {}
  ~ElementOwners() noexcept { destroyAll(); }
  ElementOwners(const ElementOwners&) = delete;
  ElementOwners& operator=(const ElementOwners&) = delete;

  template <typename Element, typename... Args>
  Element& create(std::string name, Args&&... args) {
    auto element = std::make_unique<Element>(std::forward<Args>(args)...);
    Element& created = *element;
    entries_.push_back(Entry{std::move(name), Owner(element.release(), [](void* held) {
                               delete static_cast<Element*>(held);
                             })});
    return created;
  }

  // Destroys every element, last created first, telling the hook each name as it goes.
  void destroyAll() noexcept;

  std::vector<std::string> names() const;  // creation order
  bool holds(std::string_view name) const;

 private:
  using Owner = std::unique_ptr<void, void (*)(void*)>;
  struct Entry {
    std::string name;
    Owner element;
  };

  DestroyedHook destroyed_;
  std::vector<Entry> entries_;
};
