#pragma once
// What the user sees of the main window, read off the widgets, and the five views the window
// passes through.

#include <ostream>
#include <string>

class TClassSimpleForm_24C8870;

struct WindowView {
  bool portListShown, portListEnabled;  // enabled: shown and enabled
  bool statusShown;
  bool writeShown, writeEnabled;
  bool versionShown;
  bool progressShown;
  bool okShown;
  bool successShown;
  int errorPartsShown;  // of the two error lines and the picture
  bool windowEnabled;

  bool operator==(const WindowView&) const = default;
};

std::ostream& operator<<(std::ostream& out, const WindowView& view);

WindowView currentView(const TClassSimpleForm_24C8870& unit);

namespace views {
// portList, enabled | status | write, enabled | version | progress | ok | success | error parts | window
inline constexpr WindowView kChoosingPort{true, true, true, true, false, true, true, false, false, 0, true};
inline constexpr WindowView kIdentified{true, false, true, true, true, true, true, false, false, 0, true};
inline constexpr WindowView kUploading{true, false, true, true, false, true, true, false, false, 0, false};
inline constexpr WindowView kSuccess{false, false, false, false, false, false, false, true, true, 0, true};
inline constexpr WindowView kError{false, false, false, false, false, false, false, true, false, 3, true};
}  // namespace views
