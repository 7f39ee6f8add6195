// Amounts as a filing document carries them: decimal texts that the report
// tool wrote, compared exactly (never as floating point).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vok::tool {

class Amount {
 public:
  // Zero, with no decimals.
  Amount() = default;

  // The amount a cell text stands for: an optional sign, digits that may be
  // grouped in threes by commas, and optionally a point with decimals
  // ("-1,234.50", "+7", "0.125"), with white space around it as names have
  // it (ASCII white space and the ideographic space U+3000). An empty text
  // and a dash alone ("-", "—", "－", ...) are an empty amount, zero.
  // Nothing for anything else.
  static std::optional<Amount> Parse(std::string_view gbk);

  // Whether it is an empty amount: no figure, though it counts as zero.
  [[nodiscard]] bool Empty() const { return empty_; }

  // Equal values compare equal whatever their decimals ("1.5" and "1.50").
  friend bool operator==(const Amount& a, const Amount& b);
  friend bool operator!=(const Amount& a, const Amount& b) { return !(a == b); }

  // a - b, with as many decimals as the one of the two with more.
  friend Amount operator-(const Amount& a, const Amount& b);

  // The value in plain digits with its decimals, "-1234.50".
  [[nodiscard]] std::string Text() const;

  // The value in cents, or nothing when it is not a whole number of cents
  // ("0.125") or past what 15 digits of cents hold.
  [[nodiscard]] std::optional<long long> Cents() const;

 private:
  Amount(bool negative, std::string digits, std::size_t decimals);
  // The magnitude's digits with `decimals` more decimals.
  [[nodiscard]] std::string Scaled(std::size_t decimals) const;

  bool negative_ = false;
  std::string digits_ = "0";  // the magnitude's digits, decimals included, no leading zeros
  std::size_t decimals_ = 0;  // how many of the digits are decimals
  bool empty_ = false;
};

}  // namespace vok::tool
