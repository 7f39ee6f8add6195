// The XML DOM on libxml2. Parsing never loads a DTD or an external entity
// and never substitutes entities; texts cross the interface in GBK.
#include "platform/xml.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <limits>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix/posix_xml_source.h"
#include "platform/posix/posix_xml_text.h"

namespace vok::platform {

using Document = std::shared_ptr<xmlDoc>;

struct XmlNode::Impl {
  Document doc;  // keeps `node` alive
  xmlNode* node;
};

struct XmlNodeList::Impl {
  Document doc;
  std::vector<xmlNode*> nodes;
};

struct XmlDocument::Impl {
  Document doc;  // null while the document is empty
  std::optional<XmlParseStop> stop;
};

namespace {

struct XPathContextDeleter {
  void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct XPathCompiledDeleter {
  void operator()(xmlXPathCompExpr* expression) const { xmlXPathFreeCompExpr(expression); }
};
struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XPathContext = std::unique_ptr<xmlXPathContext, XPathContextDeleter>;
using XPathObject = std::unique_ptr<xmlXPathObject, XPathObjectDeleter>;
using XPathCompiled = std::unique_ptr<xmlXPathCompExpr, XPathCompiledDeleter>;
using OwnedDoc = std::unique_ptr<xmlDoc, DocDeleter>;

XPathContext NewContext(xmlDoc* doc, xmlNode* node) {
  XPathContext context(xmlXPathNewContext(doc));
  if (!context) throw XmlError("cannot create an XPath context");
  // XPath errors become XmlError; libxml2 must not print them on the host's
  // stderr. (Generic, as newer libxml2 passes a const xmlError*.)
  context->error = [](void*, auto*) {};
  if (node != nullptr) context->node = node;
  return context;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A plain element name ("row1", "value"): selected by walking the children,
// which the cell reader does for every field of every record. ASCII only,
// whatever the host's locale.
bool IsPlainName(const std::string& path) {
  if (path.empty() || !(IsAsciiLetter(path[0]) || path[0] == '_')) return false;
  for (char c : path) {
    if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '_' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

// Nodes matching `gbkPath` relative to `from` in document order, at most
// `limit` of them. `doc` is null for an empty document.
std::vector<xmlNode*> Select(xmlDoc* doc, xmlNode* from, const std::string& gbkPath,
                             std::size_t limit) {
  const std::string path = GbkToUtf8(gbkPath);
  std::vector<xmlNode*> found;
  if (doc != nullptr && IsPlainName(path)) {
    const auto* name = reinterpret_cast<const xmlChar*>(path.c_str());
    for (xmlNode* child = from->children; child != nullptr && found.size() < limit;
         child = child->next) {
      if (child->type == XML_ELEMENT_NODE && child->ns == nullptr && xmlStrEqual(child->name, name)) {
        found.push_back(child);
      }
    }
    return found;
  }

  XPathContext context = NewContext(doc, from);
  XPathCompiled expression(
      xmlXPathCtxtCompile(context.get(), reinterpret_cast<const xmlChar*>(path.c_str())));
  if (!expression) throw XmlError("invalid XPath expression: " + gbkPath);
  // An empty document matches nothing, but a bad expression is still bad.
  if (doc == nullptr) return found;
  XPathObject result(xmlXPathCompiledEval(expression.get(), context.get()));
  if (!result || result->type != XPATH_NODESET) {
    throw XmlError("XPath expression does not select nodes: " + gbkPath);
  }
  const xmlNodeSet* set = result->nodesetval;
  if (set == nullptr) return found;
  for (int i = 0; i < set->nodeNr && found.size() < limit; ++i) {
    xmlNode* node = set->nodeTab[i];
    // Namespace nodes are not xmlNode structures.
    if (node != nullptr && node->type != XML_NAMESPACE_DECL) found.push_back(node);
  }
  return found;
}

std::optional<XmlNode> SelectFirst(const Document& doc, xmlNode* from, const std::string& path) {
  std::vector<xmlNode*> found = Select(doc.get(), from, path, 1);
  if (found.empty()) return std::nullopt;
  return XmlNode(std::make_unique<XmlNode::Impl>(XmlNode::Impl{doc, found.front()}));
}

XmlNodeList SelectAll(const Document& doc, xmlNode* from, const std::string& path) {
  auto list = std::make_unique<XmlNodeList::Impl>();
  list->doc = doc;
  list->nodes = Select(doc.get(), from, path, std::numeric_limits<std::size_t>::max());
  return XmlNodeList(std::move(list));
}

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

XmlLoad Parse(XmlDocument::Impl& impl, std::string_view bytes, const char* encoding,
              int extraOptions) {
  impl.doc.reset();
  impl.stop.reset();
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    impl.stop = XmlParseStop{1, 1};
    return XmlLoad::kNotParsed;
  }
  const posix::QuietXmlErrors quiet;
  const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
  if (!context) throw XmlError("cannot create an XML parser");
  OwnedDoc doc(xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()),
                                 nullptr, encoding, posix::kParseOptions | extraOptions));
  if (!doc || xmlDocGetRootElement(doc.get()) == nullptr) {
    const xmlError* error = xmlCtxtGetLastError(context.get());
    if (error != nullptr && error->code != XML_ERR_OK) {
      impl.stop = XmlParseStop{error->line, error->int2};
    }
    return XmlLoad::kNotParsed;
  }
  impl.doc = Document(doc.release(), DocDeleter());
  return XmlLoad::kParsed;
}

}  // namespace

XmlSession::XmlSession() : owns_(false) { posix::InitXmlParser(); }
XmlSession::~XmlSession() = default;

XmlNode::XmlNode(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlNode::XmlNode(XmlNode&&) noexcept = default;
XmlNode& XmlNode::operator=(XmlNode&&) noexcept = default;
XmlNode::~XmlNode() = default;

std::string XmlNode::Text() const {
  if (!impl_) throw XmlError("moved-from XML node");
  return Utf8ToGbk(posix::NodeTextUtf8(impl_->node));
}

std::optional<XmlNode> XmlNode::SelectSingleNode(const std::string& path) const {
  if (!impl_) throw XmlError("moved-from XML node");
  return SelectFirst(impl_->doc, impl_->node, path);
}

XmlNodeList XmlNode::SelectNodes(const std::string& path) const {
  if (!impl_) throw XmlError("moved-from XML node");
  return SelectAll(impl_->doc, impl_->node, path);
}

XmlNodeList::XmlNodeList(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlNodeList::XmlNodeList(XmlNodeList&&) noexcept = default;
XmlNodeList& XmlNodeList::operator=(XmlNodeList&&) noexcept = default;
XmlNodeList::~XmlNodeList() = default;

long XmlNodeList::Length() const { return impl_ ? static_cast<long>(impl_->nodes.size()) : 0; }

XmlNode XmlNodeList::Item(long index) const {
  if (index < 0 || index >= Length()) throw XmlError("XML node list index out of range");
  const auto at = static_cast<std::size_t>(index);
  return XmlNode(std::make_unique<XmlNode::Impl>(XmlNode::Impl{impl_->doc, impl_->nodes[at]}));
}

XmlDocument::XmlDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;
XmlDocument::~XmlDocument() = default;

XmlDocument XmlDocument::Create() {
  posix::InitXmlParser();
  return XmlDocument(std::make_unique<Impl>());
}

XmlLoad XmlDocument::LoadText(std::string_view gbkText) {
  if (!impl_) throw XmlError("moved-from XML document");
  // loadXML takes a string of characters: the declared encoding means
  // nothing once the text is characters, so it is ignored.
  const std::string utf8 = GbkToUtf8(gbkText);
  return Parse(*impl_, utf8, "UTF-8", XML_PARSE_IGNORE_ENC);
}

XmlLoad XmlDocument::LoadFile(const std::string& gbkPath) {
  if (!impl_) throw XmlError("moved-from XML document");
  impl_->doc.reset();
  const posix::XmlSource source = posix::ReadXmlSource(gbkPath);
  return Parse(*impl_, source.bytes, source.encoding, source.extra_options);
}

std::optional<XmlParseStop> XmlDocument::ParseStop() const {
  return impl_ ? impl_->stop : std::nullopt;
}

std::optional<XmlNode> XmlDocument::SelectSingleNode(const std::string& path) const {
  if (!impl_) throw XmlError("moved-from XML document");
  return SelectFirst(impl_->doc, reinterpret_cast<xmlNode*>(impl_->doc.get()), path);
}

XmlNodeList XmlDocument::SelectNodes(const std::string& path) const {
  if (!impl_) throw XmlError("moved-from XML document");
  return SelectAll(impl_->doc, reinterpret_cast<xmlNode*>(impl_->doc.get()), path);
}

}  // namespace vok::platform
