#pragma once
// The program's entry: the first command-line argument decides between the information box and
// the tool. The tool's run: taskbar entry, dispatch on, start handlers (onCreate, then the window
// is shown), message loop until the window has closed, then the unit is destroyed in reverse.
// Always returns 0.
//
// Threads: the UI thread, inside a running QApplication.

#include <functional>
#include <string>
#include <vector>

#include "app/hiSimpleForm_24C8870.h"

struct EntryOptions {
  // Shows the information box (UTF-8 text and caption, one OK button, no icon, no owner) and
  // returns when it is dismissed. Tests put a recorder here.
  std::function<void(const std::string& text, const std::string& caption)> showInfoBox;
  MainWindowOptions window;
  // Test hooks: once the unit is built (dispatch still off), and once the message loop runs.
  std::function<void(TClassSimpleForm_24C8870&)> built;
  std::function<void(TClassSimpleForm_24C8870&)> running;
};

// `arguments` are the command-line arguments after the program name.
int runEntry(const std::vector<std::string>& arguments, EntryOptions options = {});

// The information box as a real message box.
void showInfoMessageBox(const std::string& text, const std::string& caption);
