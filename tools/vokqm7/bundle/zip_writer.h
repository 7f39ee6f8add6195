// A zip archive built in memory: the entries deflated by zlib, the
// container (local headers, central directory, end record) written here.
// Names are UTF-8 and flagged so, which Windows Explorer and unzip honour.
// No Zip64: an archive that would pass 4 GB or 65535 entries is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vok::tool {

// A local date and time as the zip's MS-DOS fields hold it (two-second steps).
struct ZipTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class ZipWriter {
 public:
  explicit ZipWriter(ZipTime when) : when_(when) {}

  // Adds one file. False when zlib fails or the archive would outgrow the
  // format; the archive is unchanged then.
  [[nodiscard]] bool Add(std::string_view utf8_name, std::string_view bytes);

  // The whole archive: the entries so far, their directory and its end.
  [[nodiscard]] std::string Finish() const;

  [[nodiscard]] std::size_t entries() const { return entries_; }

 private:
  ZipTime when_;
  std::string body_;       // local headers and data
  std::string directory_;  // central directory
  std::size_t entries_ = 0;
};

}  // namespace vok::tool
