#include "checks/amount.h"

#include <algorithm>

#include "platform/codepage.h"
#include "request/text_rules.h"

namespace vok::tool {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDash(char16_t c) {
  return c == u'-' || c == u'\u2012' || c == u'\u2013' || c == u'\u2014' || c == u'\u2015' ||
         c == u'\uFF0D';
}

// White space as names have it: ASCII's, and the ideographic space.
bool IsBlank(char16_t c) {
  return c == u'\u3000' || (c < 0x80 && IsAsciiSpace(static_cast<char>(c)));
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The integer part's digits without its separators, or nothing when the
// commas do not group it in threes from the right.
std::optional<std::string> IntegerDigits(std::string_view part) {
  if (part.empty()) return std::nullopt;
  if (part.find(',') == std::string_view::npos) {
    if (!std::all_of(part.begin(), part.end(), IsDigit)) return std::nullopt;
    return std::string(part);
  }
  std::string digits;
  std::size_t group_start = 0;
  for (std::size_t at = 0; at <= part.size(); ++at) {
    if (at < part.size() && part[at] != ',') {
      if (!IsDigit(part[at])) return std::nullopt;
      continue;
    }
    const std::size_t length = at - group_start;
    const bool first = group_start == 0;
    if (first ? (length < 1 || length > 3) : length != 3) return std::nullopt;
    digits.append(part.substr(group_start, length));
    group_start = at + 1;
  }
  return digits;
}

std::string Pad(const std::string& digits, std::size_t length) {
  return std::string(length - digits.size(), '0') + digits;
}

// a + b for digit strings.
std::string AddMagnitudes(const std::string& a, const std::string& b) {
  const std::size_t length = std::max(a.size(), b.size()) + 1;
  const std::string x = Pad(a, length), y = Pad(b, length);
  std::string sum(length, '0');
  int carry = 0;
  for (std::size_t i = length; i-- > 0;) {
    const int digit = (x[i] - '0') + (y[i] - '0') + carry;
    sum[i] = static_cast<char>('0' + digit % 10);
    carry = digit / 10;
  }
  return sum;
}

// a - b for digit strings with a >= b.
std::string SubtractMagnitudes(const std::string& a, const std::string& b) {
  const std::string y = Pad(b, a.size());
  std::string difference(a.size(), '0');
  int borrow = 0;
  for (std::size_t i = a.size(); i-- > 0;) {
    int digit = (a[i] - '0') - (y[i] - '0') - borrow;
    borrow = digit < 0 ? 1 : 0;
    difference[i] = static_cast<char>('0' + digit + 10 * borrow);
  }
  return difference;
}

}  // namespace

Amount::Amount(bool negative, std::string digits, std::size_t decimals)
    : negative_(negative), digits_(std::move(digits)), decimals_(decimals) {
  const std::size_t first = digits_.find_first_not_of('0');
  digits_ = first == std::string::npos ? "0" : digits_.substr(first);
  if (digits_ == "0") negative_ = false;
}

std::optional<Amount> Amount::Parse(std::string_view gbk) {
  const std::u16string wide = platform::GbkToUtf16(gbk);
  const std::u16string_view trimmed = TrimBlanks(wide);
  // A text of dashes only, the way accountants mark an amount left empty.
  if (std::all_of(trimmed.begin(), trimmed.end(), IsDash)) {
    Amount empty;
    empty.empty_ = true;
    return empty;
  }
  // Signs, digits, commas and the point are ASCII.
  if (std::any_of(trimmed.begin(), trimmed.end(), [](char16_t c) { return c >= 0x80; })) {
    return std::nullopt;
  }
  const std::string text(trimmed.begin(), trimmed.end());
  std::string_view rest = text;
  const bool negative = rest.front() == '-';
  if (rest.front() == '-' || rest.front() == '+') rest.remove_prefix(1);
  const std::size_t point = rest.find('.');
  const std::optional<std::string> integer = IntegerDigits(rest.substr(0, point));
  if (!integer) return std::nullopt;
  std::string_view decimals;
  if (point != std::string_view::npos) {
    decimals = rest.substr(point + 1);
    if (decimals.empty() || !std::all_of(decimals.begin(), decimals.end(), IsDigit)) {
      return std::nullopt;
    }
  }
  return Amount(negative, *integer + std::string(decimals), decimals.size());
}

std::string Amount::Scaled(std::size_t decimals) const {
  return digits_ == "0" ? "0" : digits_ + std::string(decimals - decimals_, '0');
}

bool operator==(const Amount& a, const Amount& b) {
  const std::size_t decimals = std::max(a.decimals_, b.decimals_);
  return a.negative_ == b.negative_ && a.Scaled(decimals) == b.Scaled(decimals);
}

Amount operator-(const Amount& a, const Amount& b) {
  const std::size_t decimals = std::max(a.decimals_, b.decimals_);
  const std::string x = a.Scaled(decimals), y = b.Scaled(decimals);
  // a - b = a + (-b): magnitudes add when the signs differ.
  if (a.negative_ != b.negative_) return Amount(a.negative_, AddMagnitudes(x, y), decimals);
  const std::size_t length = std::max(x.size(), y.size());
  const std::string px = Pad(x, length), py = Pad(y, length);
  // Digit strings of one length compare as the numbers they are.
  if (px >= py) {
    return Amount(a.negative_, SubtractMagnitudes(px, py), decimals);
  }
  return Amount(!a.negative_, SubtractMagnitudes(py, px), decimals);
}

std::string Amount::Text() const {
  const std::string digits = Pad(digits_, std::max(digits_.size(), decimals_ + 1));
  std::string text = negative_ ? "-" : "";
  text += digits.substr(0, digits.size() - decimals_);
  if (decimals_ > 0) text += "." + digits.substr(digits.size() - decimals_);
  return text;
}

std::optional<long long> Amount::Cents() const {
  std::string digits = decimals_ <= 2 ? digits_ + std::string(2 - decimals_, '0') : digits_;
  if (decimals_ > 2) {
    // Decimals past the cents must all be zero.
    const std::size_t extra = decimals_ - 2;
    const std::string padded = Pad(digits_, std::max(digits_.size(), decimals_ + 1));
    if (padded.find_first_not_of('0', padded.size() - extra) != std::string::npos) {
      return std::nullopt;
    }
    digits = padded.substr(0, padded.size() - extra);
  }
  if (digits.size() > 15) return std::nullopt;
  const long long cents = std::stoll(digits);
  return negative_ ? -cents : cents;
}

}  // namespace vok::tool
