#include "show/text_view.h"

#include <algorithm>

#include "language/language.h"
#include "platform/codepage.h"
#include "show/width.h"

namespace vok::tool {
namespace {

constexpr int kLineColumns = 78;  // what the header fields are wrapped to
constexpr char kGap[] = "  ";

// The header fields, "所属期：2026年11月", as many to a line as fit.
void AddHeader(const std::vector<HeaderField>& header, std::vector<std::string>& lines) {
  const std::string colon = platform::Utf8ToGbk("：");
  std::string line;
  for (const HeaderField& field : header) {
    const std::string text = Printable(field.label + colon + field.value);
    if (!line.empty() && DisplayWidth(line) + 2 + DisplayWidth(text) > kLineColumns) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : kGap) + text;
  }
  if (!line.empty()) lines.push_back(line);
}

// One list as a table: 行次, 项目 and one column per amount. Line numbers and
// amounts are never cut, so their columns take the widest of them; names
// wrap within kNameColumns, their row's other cells on its first line.
// `marked` says which items a failed rule names: their rows start with "*",
// the others with a blank, in a list that has any.
void AddTable(const ItemList& list, const std::vector<bool>& marked,
              std::vector<std::string>& lines) {
  const bool any_marked = std::find(marked.begin(), marked.end(), true) != marked.end();
  std::string prefix;
  const std::string line_title = platform::Utf8ToGbk("行次");
  const std::string name_title = platform::Utf8ToGbk("项目");
  int line_width = DisplayWidth(line_title);
  int name_width = DisplayWidth(name_title);
  std::vector<int> amount_widths;
  for (const AmountColumn& column : list.columns) {
    amount_widths.push_back(DisplayWidth(column.title));
  }
  for (const StatementItem& item : list.items) {
    line_width = std::max(line_width, DisplayWidth(Printable(item.line)));
    name_width = std::max(name_width, std::min(kNameColumns, DisplayWidth(Printable(item.name))));
    for (std::size_t c = 0; c < amount_widths.size(); ++c) {
      amount_widths[c] =
          std::max(amount_widths[c], DisplayWidth(Printable(item.amounts[c].value_or(""))));
    }
  }
  auto row = [&](const std::string& line, const std::string& name,
                 const std::vector<std::string>& amounts) {
    std::string text = prefix + PadLeft(line, line_width) + kGap + PadRight(name, name_width);
    for (std::size_t c = 0; c < amounts.size(); ++c) {
      text += kGap + PadLeft(amounts[c], amount_widths[c]);
    }
    // No trailing blanks where the amounts are left out.
    text.erase(text.find_last_not_of(' ') + 1);
    lines.push_back(text);
  };
  std::vector<std::string> titles, rules, blanks(list.columns.size());
  for (std::size_t c = 0; c < list.columns.size(); ++c) {
    titles.push_back(list.columns[c].title);
    rules.emplace_back(static_cast<std::size_t>(amount_widths[c]), '-');
  }
  if (any_marked) prefix = "  ";
  row(line_title, name_title, titles);
  row(std::string(static_cast<std::size_t>(line_width), '-'),
      std::string(static_cast<std::size_t>(name_width), '-'), rules);
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    const StatementItem& item = list.items[i];
    if (any_marked) prefix = marked[i] ? "* " : "  ";
    const std::vector<std::string> name_lines = WrapToWidth(Printable(item.name), name_width);
    std::vector<std::string> amounts;
    for (const std::optional<std::string>& amount : item.amounts) {
      amounts.push_back(Printable(amount.value_or("")));
    }
    row(Printable(item.line), name_lines.front(), amounts);
    if (any_marked) prefix = "  ";
    for (std::size_t n = 1; n < name_lines.size(); ++n) row("", name_lines[n], blanks);
  }
}

void AddStatement(const Statement& statement, std::size_t index,
                  const std::vector<CheckResult>& checks, std::vector<std::string>& lines) {
  lines.push_back(StatementName(statement) + " " + statement.element);
  AddHeader(statement.header, lines);
  bool any_items = false;
  std::vector<std::string> legend;  // each failed rule, with the lines it names
  for (std::size_t l = 0; l < statement.lists.size(); ++l) {
    const ItemList& list = statement.lists[l];
    if (list.items.empty()) continue;
    any_items = true;
    std::vector<bool> marked(list.items.size(), false);
    for (const CheckResult& check : checks) {
      if (check.outcome != CheckResult::Outcome::kFailed) continue;
      std::vector<std::size_t> items;
      for (const ItemPlace& place : check.marked) {
        if (place.statement == index && place.list == l) items.push_back(place.item);
      }
      std::sort(items.begin(), items.end());
      std::string named;
      for (std::size_t i : items) {
        marked[i] = true;
        named += (named.empty() ? "" : ", ") + Printable(list.items[i].line);
      }
      if (!named.empty()) legend.push_back(TrF("* lines %s: FAILED %s", named, check.title));
    }
    lines.emplace_back();
    if (!list.heading.empty()) lines.push_back(list.heading);
    AddTable(list, marked, lines);
  }
  if (!legend.empty()) lines.push_back(Tr("* a line that a failed rule names (see Checks)"));
  for (const std::string& line : legend) lines.push_back(Printable(line));
  if (!any_items) {
    lines.emplace_back();
    lines.push_back(platform::Utf8ToGbk("（无项目）"));
  }
}

}  // namespace

std::vector<std::string> RenderText(const FilingDocument& document,
                                    const std::vector<CheckResult>& checks) {
  std::vector<std::string> lines;
  for (std::size_t s = 0; s < document.statements.size(); ++s) {
    AddStatement(document.statements[s], s, checks, lines);
    lines.emplace_back();
  }
  lines.push_back(Tr("Checks"));
  constexpr int kOutcomeColumns = 13;
  for (const CheckResult& check : checks) {
    lines.push_back("  " + PadRight(OutcomeWord(check.outcome), kOutcomeColumns) +
                    Printable(check.title));
    for (const std::string& detail : check.details) {
      lines.push_back(std::string(2 + kOutcomeColumns, ' ') + Printable(detail));
    }
  }
  return lines;
}

}  // namespace vok::tool
