#include "StartHandlers.h"

#include <utility>
#include <vector>

namespace {

struct StartHandler {
  const void* window;
  std::function<void()> run;
};

std::vector<StartHandler>& handlers() {
  static std::vector<StartHandler> list;
  return list;
}

}  // namespace

namespace startHandlers {

void add(const void* window, std::function<void()> handler) {
  handlers().push_back({window, std::move(handler)});
}

void remove(const void* window) {
  std::erase_if(handlers(), [window](const StartHandler& h) { return h.window == window; });
}

void runAll() {
  std::vector<StartHandler> due = std::exchange(handlers(), {});
  for (StartHandler& handler : due) handler.run();
}

}  // namespace startHandlers
