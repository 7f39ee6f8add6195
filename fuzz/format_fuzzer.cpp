// The report date and the tool command lines over arbitrary integers and
// texts. Both feed the tool's command line, so beyond not crashing each
// result must keep its shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/commands.h"
#include "interface/report_date.h"

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::int32_t Int() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
    return static_cast<std::int32_t>(value);
  }
  // A text of up to 255 bytes, any byte values.
  std::string Text() {
    std::size_t length = Byte();
    if (length > size_) length = size_;
    std::string text(reinterpret_cast<const char*>(data_), length);
    data_ += length;
    size_ -= length;
    return text;
  }

 private:
  std::uint8_t Byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  const std::uint8_t* data_;
  std::size_t size_;
};

bool IsDigits(const std::string& text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return false;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// "[-]YYYY[Y...]-MM-DD" with a month 01..12 and a day 01..31.
bool IsReportDate(const std::string& date) {
  const std::size_t start = !date.empty() && date[0] == '-' ? 1 : 0;
  if (date.size() < start + 10) return false;
  const std::size_t tail = date.size() - 6;  // "-MM-DD"
  if (tail < start + 4 || !IsDigits(date, start, tail - start)) return false;
  if (date[tail] != '-' || date[tail + 3] != '-') return false;
  if (!IsDigits(date, tail + 1, 2) || !IsDigits(date, tail + 4, 2)) return false;
  const int month = std::atoi(date.c_str() + tail + 1);
  const int day = std::atoi(date.c_str() + tail + 4);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const std::int32_t year = in.Int();
  const std::int32_t period = in.Int();
  // Today is a real date, but of any year.
  vok::platform::LocalDate today{};
  today.year = in.Int();
  today.month = static_cast<int>(static_cast<std::uint32_t>(in.Int()) % 12) + 1;
  today.day = static_cast<int>(static_cast<std::uint32_t>(in.Int()) % 28) + 1;
  const std::string date = vok::ComputeReportDate(year, period, today);
  if (!IsReportDate(date)) std::abort();

  const std::string tool = in.Text();
  const std::string account = in.Text();
  const std::string server = in.Text();
  const std::string work = in.Text();
  const std::int32_t trailing = in.Int();
  const std::string batch =
      vok::FormatBatchCommand(tool, account, year, date, server, work, trailing);
  if (batch.compare(0, tool.size() + 2, "\"" + tool + "\"") != 0) std::abort();
  if (!EndsWith(batch, " " + std::to_string(trailing) + " }")) std::abort();

  vok::LoginRequest login;
  login.account_code = account;
  login.year = year;
  login.period = period;
  login.server = server;
  login.user_id = in.Text();
  login.password = in.Text();
  login.login_date = in.Text();
  login.file_rep = in.Text();
  const std::string interactive = vok::FormatInteractiveCommand(tool, login);
  if (interactive.compare(0, tool.size() + 6, "\"" + tool + "\" -L{") != 0) std::abort();
  if (!EndsWith(interactive, "\t" + login.file_rep + "}")) std::abort();
  return 0;
}
