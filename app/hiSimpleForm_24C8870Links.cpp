// The main window's scheme: the links between its elements, made after the last element exists,
// and the units' own construction, which follows the links.

#include "hiSimpleForm_24C8870.h"

void TClassSimpleForm_24C8870::makeLinks() {
  // The links come with the window's behaviour, one line per link, in the order they are made.
}

void TClassSimpleForm_24C8870::buildUnitInsides() {
  // The identification unit builds its inside first, then the upload unit.
}
