#include "TData.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::int32_t saturate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t readDecimalInt(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t magnitude = 0;
  const std::int64_t limit = std::int64_t{1} << 31;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) magnitude = limit;  // keeps the sum bounded; saturates below
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

double readDecimalReal(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Only a plain decimal number may follow the sign: from_chars would also take "inf" or "nan".
  if (i >= text.size() || !(isDigit(text[i]) || (text[i] == '.' && i + 1 < text.size() && isDigit(text[i + 1]))))
    return 0.0;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                            std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  if (error != std::errc{}) return 0.0;
  return negative ? -value : value;
}

std::int32_t TData::toInt() const {
  switch (kind()) {
    case Kind::Int: return std::get<std::int32_t>(value_);
    case Kind::Str: return readDecimalInt(std::get<std::string>(value_));
    case Kind::Real: return saturate(std::nearbyint(std::get<double>(value_)));  // halves to even
    default: return 0;
  }
}

std::string TData::toStr() const {
  switch (kind()) {
    case Kind::Int: return std::to_string(std::get<std::int32_t>(value_));
    case Kind::Str: return std::get<std::string>(value_);
    case Kind::Real: {
      char buffer[32];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(value_));
      return std::string(buffer, result.ptr);
    }
    default: return {};
  }
}

double TData::toReal() const {
  switch (kind()) {
    case Kind::Int: return std::get<std::int32_t>(value_);
    case Kind::Str: return readDecimalReal(std::get<std::string>(value_));
    case Kind::Real: return std::get<double>(value_);
    default: return 0.0;
  }
}

StreamRef TData::toStream() const {
  return kind() == Kind::Stream ? std::get<StreamRef>(value_) : nullptr;
}

TData& TData::chain(TData second) {
  next_ = std::make_shared<const TData>(std::move(second));
  return *this;
}
