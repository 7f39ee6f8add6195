#include "bundle/zip_writer.h"

#include <zlib.h>

#include <limits>

namespace vok::tool {
namespace {

constexpr std::uint16_t kVersionNeeded = 20;  // deflate
constexpr std::uint16_t kUtf8Names = 0x0800;  // general purpose bit 11
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kStored = 0;

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::uint16_t DosTime(const ZipTime& t) {
  return static_cast<std::uint16_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
}

std::uint16_t DosDate(const ZipTime& t) {
  const int year = t.year < 1980 ? 0 : t.year - 1980;
  return static_cast<std::uint16_t>((year << 9) | (t.month << 5) | t.day);
}

// Raw deflate (no zlib header), as zip's method 8 wants it.
bool Deflate(std::string_view bytes, std::string& out) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  out.resize(deflateBound(&stream, static_cast<uLong>(bytes.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

}  // namespace

bool ZipWriter::Add(std::string_view utf8_name, std::string_view bytes) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (utf8_name.empty() || utf8_name.size() > 0xFFFF || bytes.size() >= kLimit ||
      entries_ >= 0xFFFF) {
    return false;
  }
  std::string packed;
  if (!Deflate(bytes, packed)) return false;
  // Data that does not shrink is stored as it is.
  const bool stored = packed.size() >= bytes.size();
  const std::string_view data = stored ? bytes : std::string_view(packed);
  const std::uint32_t crc =
      static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                                       static_cast<uInt>(bytes.size())));
  const std::uint64_t offset = body_.size();
  if (offset + 30 + utf8_name.size() + data.size() >= kLimit) return false;

  const auto common = [&](std::string& out) {
    Put16(out, kVersionNeeded);
    Put16(out, kUtf8Names);
    Put16(out, stored ? kStored : kDeflated);
    Put16(out, DosTime(when_));
    Put16(out, DosDate(when_));
    Put32(out, crc);
    Put32(out, static_cast<std::uint32_t>(data.size()));
    Put32(out, static_cast<std::uint32_t>(bytes.size()));
    Put16(out, static_cast<std::uint32_t>(utf8_name.size()));
    Put16(out, 0);  // no extra field
  };
  Put32(body_, 0x04034b50);
  common(body_);
  body_ += utf8_name;
  body_ += data;

  Put32(directory_, 0x02014b50);
  Put16(directory_, kVersionNeeded);  // made by: MS-DOS attributes, version 2.0
  common(directory_);
  Put16(directory_, 0);  // no comment
  Put16(directory_, 0);  // disk 0
  Put16(directory_, 0);  // internal attributes
  Put32(directory_, 0);  // external attributes: a plain file
  Put32(directory_, static_cast<std::uint32_t>(offset));
  directory_ += utf8_name;
  ++entries_;
  return true;
}

std::string ZipWriter::Finish() const {
  std::string archive = body_ + directory_;
  Put32(archive, 0x06054b50);
  Put16(archive, 0);  // this disk
  Put16(archive, 0);  // the directory's disk
  Put16(archive, static_cast<std::uint32_t>(entries_));
  Put16(archive, static_cast<std::uint32_t>(entries_));
  Put32(archive, static_cast<std::uint32_t>(directory_.size()));
  Put32(archive, static_cast<std::uint32_t>(body_.size()));
  Put16(archive, 0);  // no comment
  return archive;
}

}  // namespace vok::tool
