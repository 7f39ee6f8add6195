// The XML DOM the library reads login texts and cell exports with: MSXML 3.0
// through COM on Windows, libxml2 elsewhere. Texts cross this interface as
// narrow GBK texts; element text is read as the MSXML DOM gives it by default
// (white space trimmed at both ends, white space from CDATA sections kept).
//
// Failures of the DOM (an object that cannot be created, a failing call) are
// thrown as XmlError; a lookup that finds nothing is an empty optional.
// Parsers resolve no external entity and load no external DTD.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vok::platform {

struct XmlField;
class XmlNodeList;
enum class XmlLoad;
using XmlRecordVisitor = std::function<void(const std::vector<XmlField>&)>;
XmlLoad ReadXmlRecords(const std::string& gbkPath, const std::string& parent,
                       const std::string& record, const std::vector<std::string>& fields,
                       const XmlRecordVisitor& visit);

class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Makes the DOM usable on the calling thread while it lives (a COM apartment
// on Windows) and undoes only what it did itself. Declare it before any DOM
// object so that the objects are released first.
class XmlSession {
 public:
  XmlSession();
  ~XmlSession();
  XmlSession(const XmlSession&) = delete;
  XmlSession& operator=(const XmlSession&) = delete;

 private:
  [[maybe_unused]] bool owns_;  // read by the Windows layer only
};

class XmlNode {
 public:
  // The record reader walks the platform's nodes directly.
  friend XmlLoad ReadXmlRecords(const std::string&, const std::string&, const std::string&,
                                const std::vector<std::string>&, const XmlRecordVisitor&);
  struct Impl;
  explicit XmlNode(std::unique_ptr<Impl> impl);
  XmlNode(XmlNode&&) noexcept;
  XmlNode& operator=(XmlNode&&) noexcept;
  ~XmlNode();

  // The text of all descendants, as the DOM gives it, in GBK.
  [[nodiscard]] std::string Text() const;

  // First node matching `path` relative to this one (a child element name,
  // or an XPath expression), or nothing.
  [[nodiscard]] std::optional<XmlNode> SelectSingleNode(const std::string& path) const;

  // Every node matching `path` relative to this one, in document order.
  [[nodiscard]] XmlNodeList SelectNodes(const std::string& path) const;

 private:
  std::unique_ptr<Impl> impl_;
};

class XmlNodeList {
 public:
  // The record reader walks the platform's nodes directly.
  friend XmlLoad ReadXmlRecords(const std::string&, const std::string&, const std::string&,
                                const std::vector<std::string>&, const XmlRecordVisitor&);
  struct Impl;
  explicit XmlNodeList(std::unique_ptr<Impl> impl);
  XmlNodeList(XmlNodeList&&) noexcept;
  XmlNodeList& operator=(XmlNodeList&&) noexcept;
  ~XmlNodeList();

  [[nodiscard]] long Length() const;

  // Item `index`; throws XmlError when it lies outside the list.
  [[nodiscard]] XmlNode Item(long index) const;

 private:
  std::unique_ptr<Impl> impl_;
};

struct XmlParseStop {
  long line = 0;
  long column = 0;
};

enum class XmlLoad {
  kParsed,     // well-formed; the document holds it
  kNotParsed,  // not well-formed (or empty); the document is empty
};

class XmlDocument {
 public:
  // The record reader may load a file another way than LoadFile does.
  friend XmlLoad ReadXmlRecords(const std::string&, const std::string&, const std::string&,
                                const std::vector<std::string>&, const XmlRecordVisitor&);
  struct Impl;
  // Creates an empty document; throws XmlError when the DOM is unavailable.
  static XmlDocument Create();

  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  ~XmlDocument();

  // Loads a GBK text as the document's content, whatever encoding the text
  // declares (loadXML).
  XmlLoad LoadText(std::string_view gbkText);

  // Where the parser gave up on the last text or file that did not parse
  // (line and column, from 1, as the parser counts them); nothing after one
  // that parsed or when the parser does not tell.
  [[nodiscard]] std::optional<XmlParseStop> ParseStop() const;

  // Loads a file, honouring its declared encoding (load). Throws XmlError
  // when the DOM reports an error status (for instance a missing file).
  XmlLoad LoadFile(const std::string& gbkPath);

  [[nodiscard]] std::optional<XmlNode> SelectSingleNode(const std::string& path) const;
  [[nodiscard]] XmlNodeList SelectNodes(const std::string& path) const;

 private:
  explicit XmlDocument(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// One field of a record read by ReadXmlRecords.
struct XmlField {
  enum class State {
    kMissing,  // the record has no child element of that name
    kText,     // `text` is the child's text, as XmlNode::Text gives it
    kFailed,   // the text could not be read; `text` says why
  };
  State state = State::kMissing;
  std::string text;
  // kText: the characters GBK lacks that became "?" in `text`, in order.
  std::u32string lacking;
};

// Reads the file at `gbkPath` as XmlDocument::LoadFile does (on Windows, a
// file that load() refuses although it declares a GBK encoding is decoded
// from code page 936 and parsed as text: Wine's msxml3 refuses some such
// files) and hands every element that "//<parent>/<record>" selects to
// `visit`, in document order, as the fields named `fields` (plain ASCII
// element names): field i is the first child element named fields[i]. The
// document is not kept, so large files need memory in proportion to the
// file, not to a DOM (where the platform can stream). kNotParsed when the
// file is not well-formed; records before the fault may have been visited
// by then. Throws XmlError as LoadFile does and passes on whatever `visit`
// throws.
XmlLoad ReadXmlRecords(const std::string& gbkPath, const std::string& parent,
                       const std::string& record, const std::vector<std::string>& fields,
                       const XmlRecordVisitor& visit);

}  // namespace vok::platform
