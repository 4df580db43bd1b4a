#pragma once
// The value that travels with every event and data read: empty, 32-bit integer, byte string,
// real or stream reference, optionally with a chained second value behind it. Its conversions are
// the one place that decides what a value "taken as an integer / string / real" is.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

using ByteStream = std::vector<std::uint8_t>;
using StreamRef = std::shared_ptr<ByteStream>;

class TData {
 public:
  enum class Kind { Empty, Int, Str, Real, Stream };

  TData() = default;
  TData(std::int32_t value) : value_(value) {}                  // NOLINT: implicit by design
  TData(std::string value) : value_(std::move(value)) {}        // NOLINT
  TData(const char* value) : value_(std::string(value)) {}      // NOLINT
  TData(std::string_view value) : value_(std::string(value)) {} // NOLINT
  TData(double value) : value_(value) {}                        // NOLINT
  TData(StreamRef stream) : value_(std::move(stream)) {}        // NOLINT

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool isEmpty() const { return kind() == Kind::Empty; }
  bool isInt() const { return kind() == Kind::Int; }
  bool isStr() const { return kind() == Kind::Str; }
  bool isReal() const { return kind() == Kind::Real; }

  std::int32_t toInt() const;
  std::string toStr() const;
  double toReal() const;
  StreamRef toStream() const;

  // The chained second value; elements that take one value ignore it.
  const TData* next() const { return next_.get(); }
  TData& chain(TData second);

  // Same kind and same first value (the chained value is not compared).
  bool sameAs(const TData& other) const { return value_ == other.value_; }

 private:
  std::variant<std::monostate, std::int32_t, std::string, double, StreamRef> value_;
  std::shared_ptr<const TData> next_;
};

// Truth rule of the control operations: only the integer 0 is false.
inline bool isTrue(const TData& value) { return !(value.isInt() && value.toInt() == 0); }

// Decimal readings shared by the conversions: optional sign, then digits up to the first other
// character; no digits give 0. Integers beyond 32 bits saturate at the nearest limit.
std::int32_t readDecimalInt(std::string_view text);
double readDecimalReal(std::string_view text);
