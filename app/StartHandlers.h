#pragma once
// The process-wide list of start handlers: a window adds its own when it is created; when the
// program starts running each handler runs once, in the order added, and the list is emptied.
//
// Threads: UI thread only.

#include <functional>

namespace startHandlers {

void add(const void* window, std::function<void()> handler);
void remove(const void* window);  // a window that goes away before the start
void runAll();

}  // namespace startHandlers
