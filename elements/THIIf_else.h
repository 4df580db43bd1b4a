#pragma once
// Equality test: reads the first operand through its link (its own default when unlinked), compares
// it with the fixed second operand by value, and raises onTrue with the incoming value or onFalse.

#include "Points.h"

bool equalByValue(const TData& a, const TData& b);

class THIIf_else {
 public:
  explicit THIIf_else(TData secondOperand, TData firstDefault = TData(0))
      : second_(std::move(secondOperand)), firstDefault_(std::move(firstDefault)) {}

  void doCompare(const TData& value) {
    const TData first = firstOperand.read().value_or(firstDefault_);
    if (equalByValue(first, second_))
      onTrue.fire(value);
    else
      onFalse.fire(value);
  }

  DataLink firstOperand;
  Event onTrue;
  Event onFalse;

 private:
  TData second_;
  TData firstDefault_;
};
