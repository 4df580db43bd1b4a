#include "THIIf_else.h"

// Text against text compares the bytes; a text against a number, or two numbers, compares the
// numbers (a real on either side compares as reals); two empty values are equal.
bool equalByValue(const TData& a, const TData& b) {
  using Kind = TData::Kind;
  if (a.isStr() && b.isStr()) return a.toStr() == b.toStr();
  if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
  if (a.isReal() || b.isReal()) return a.toReal() == b.toReal();
  if (a.kind() == Kind::Stream || b.kind() == Kind::Stream) return a.sameAs(b);
  return a.toInt() == b.toInt();
}
