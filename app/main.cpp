#include <string>
#include <vector>

#include <QApplication>

#include "app/ProgramEntry.h"
#include "app/WindowLook.h"

int main(int argc, char* argv[]) {
  // Only our own first argument counts: Qt is not handed the command line to take options from.
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  int qtArgumentCount = 1;
  QApplication application(qtArgumentCount, argv);
  useClassicLook();
  runEntry(arguments);
  return 0;
}
