#include "sections/section_run.h"

#include <new>

#include "platform/xml.h"

namespace vok {

std::int64_t CountSectionItems(std::string_view section) {
  std::int64_t items = 0;
  for (const std::string_view tag : {"<SB_ZCFZB_XM>", "<SB_SYB_XM>"}) {
    for (std::size_t at = section.find(tag); at != std::string_view::npos;
         at = section.find(tag, at + tag.size())) {
      ++items;
    }
  }
  return items;
}

void TraceSectionFailure(const char* writer, const std::string& export_path,
                         std::int64_t records, std::exception_ptr error) noexcept {
  if (!trace::Active()) return;
  const char* reason = "unknown error";
  try {
    std::rethrow_exception(error);
  } catch (const CellExportError& e) {
    reason = e.what();
  } catch (const platform::XmlError& e) {
    reason = e.what();
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  } catch (...) {
  }
  trace::Record("section.failed", {{"writer", writer},
                                   {"export", export_path},
                                   {"step", records < 0 ? "reading the export" : "scanning rows"},
                                   {"reason", reason}});
}

}  // namespace vok
