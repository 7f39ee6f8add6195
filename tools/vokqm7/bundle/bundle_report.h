// What a support bundle holds and what it left out: said in CONTENTS.txt
// inside the zip (in English, for support) and on the console (in the
// user's language), from the same record.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "bundle/bundle_files.h"
#include "bundle/trace_allow_list.h"

namespace vok::tool {

// A text made when it is said, in the language spoken then (GBK).
using Said = std::function<std::string()>;

struct BundleEntry {
  std::string name;  // UTF-8, as it stands in the zip
  std::string bytes;
};

struct BundleReport {
  std::vector<BundleEntry> entries;
  std::string this_user;  // as the trace names the account a call ran as
  bool anonymized = false;
  std::string document;  // the entry of the filing document packed, if any
  std::size_t values_masked = 0;
  std::size_t lines_carried = 0;
  std::size_t lines_left_out = 0;
  TraceFacts facts;
  std::vector<Said> left_out;
};

// Why a file was not read, in the language spoken now.
std::string DescribeRefusal(ReadRefusal refusal);

// The report's lines (GBK, in the language spoken now): the files, the
// kinds of data they hold and how much of each, what was masked, and each
// thing left out with why (the first `most` of them, all when 0).
std::vector<std::string> DescribeBundle(const BundleReport& report, std::size_t most = 0);

}  // namespace vok::tool
