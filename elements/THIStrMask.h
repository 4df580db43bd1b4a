#pragma once
// Whole-text comparison ignoring letter case, by single-byte Windows-1251 lower-casing. The masks
// this program uses hold no wildcard characters, so equality is the whole rule.

#include <string>
#include <string_view>

char lowerCp1251(char c);
bool equalIgnoringCase(std::string_view text, std::string_view mask);

class THIStrMask {
 public:
  explicit THIStrMask(std::string mask) : mask_(std::move(mask)) {}
  void setMask(std::string mask) { mask_ = std::move(mask); }
  const std::string& mask() const { return mask_; }
  bool matches(std::string_view text) const { return equalIgnoringCase(text, mask_); }

 private:
  std::string mask_;
};
