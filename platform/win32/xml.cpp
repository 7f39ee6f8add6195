#include "platform/xml.h"

#include "platform/busy_retry.h"
#include "platform/encoding_names.h"
#include "platform/files.h"
#include "platform/win32/busy.h"
#include "platform/win32/com.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/xml_gbk_file.h"
#include "platform/xml_declaration.h"

#include <objbase.h>
#include <ole2.h>
#include <msxml2.h>

#include <cstdio>

namespace vok::platform {

using win32::Bstr;
using win32::ComPtr;

struct XmlNode::Impl {
  ComPtr<IXMLDOMNode> node;
};

struct XmlNodeList::Impl {
  ComPtr<IXMLDOMNodeList> list;
};

struct XmlDocument::Impl {
  ComPtr<IXMLDOMDocument> document;
};

namespace {

[[noreturn]] void Fail(const char* what, HRESULT status) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed: 0x%08lX", what,
                static_cast<unsigned long>(status));
  throw XmlError(text);
}

void Check(HRESULT status, const char* what) {
  if (FAILED(status)) Fail(what, status);
}

Bstr ToBstr(std::string_view gbk) { return Bstr(win32::NarrowToWide(win32::kGbkCodePage, gbk)); }

// selectSingleNode on a document or a node: S_FALSE (no match) is nothing,
// not an error.
template <typename Dom>
std::optional<XmlNode> SelectOne(Dom* dom, const std::string& path) {
  if (dom == nullptr) throw XmlError("selectSingleNode on an empty object");
  const Bstr query = ToBstr(path);
  auto impl = std::make_unique<XmlNode::Impl>();
  const HRESULT status = dom->selectSingleNode(query.get(), impl->node.put());
  Check(status, "selectSingleNode");
  if (status != S_OK || !impl->node) return std::nullopt;
  return XmlNode(std::move(impl));
}

// selectNodes on a document or a node.
template <typename Dom>
XmlNodeList SelectAll(Dom* dom, const std::string& path) {
  if (dom == nullptr) throw XmlError("selectNodes on an empty object");
  const Bstr query = ToBstr(path);
  auto impl = std::make_unique<XmlNodeList::Impl>();
  Check(dom->selectNodes(query.get(), impl->list.put()), "selectNodes");
  if (!impl->list) throw XmlError("selectNodes returned no list");
  return XmlNodeList(std::move(impl));
}

}  // namespace

XmlSession::XmlSession() {
  // S_FALSE: the thread already had an apartment of this kind; the call still
  // counts and must be balanced. Any failure leaves nothing to undo.
  const HRESULT status = ::CoInitialize(nullptr);
  owns_ = status == S_OK || status == S_FALSE;
}

XmlSession::~XmlSession() {
  if (owns_) ::CoUninitialize();
}

XmlNode::XmlNode(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlNode::XmlNode(XmlNode&&) noexcept = default;
XmlNode& XmlNode::operator=(XmlNode&&) noexcept = default;
XmlNode::~XmlNode() = default;

std::string XmlNode::Text() const {
  if (!impl_ || !impl_->node) throw XmlError("get_text on an empty node");
  Bstr text;
  Check(impl_->node->get_text(text.put()), "get_text");
  return win32::WideToNarrow(win32::kGbkCodePage, text.view());
}

std::optional<XmlNode> XmlNode::SelectSingleNode(const std::string& path) const {
  return SelectOne(impl_ ? impl_->node.get() : nullptr, path);
}

XmlNodeList XmlNode::SelectNodes(const std::string& path) const {
  return SelectAll(impl_ ? impl_->node.get() : nullptr, path);
}

XmlNodeList::XmlNodeList(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlNodeList::XmlNodeList(XmlNodeList&&) noexcept = default;
XmlNodeList& XmlNodeList::operator=(XmlNodeList&&) noexcept = default;
XmlNodeList::~XmlNodeList() = default;

long XmlNodeList::Length() const {
  if (!impl_ || !impl_->list) throw XmlError("get_length on an empty list");
  long length = 0;
  Check(impl_->list->get_length(&length), "get_length");
  return length;
}

XmlNode XmlNodeList::Item(long index) const {
  if (index < 0 || index >= Length()) throw XmlError("node list index out of range");
  auto impl = std::make_unique<XmlNode::Impl>();
  const HRESULT status = impl_->list->get_item(index, impl->node.put());
  Check(status, "get_item");
  if (!impl->node) throw XmlError("get_item returned no node");
  return XmlNode(std::move(impl));
}

XmlDocument::XmlDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;
XmlDocument::~XmlDocument() = default;

XmlDocument XmlDocument::Create() {
  CLSID classId{};
  Check(::CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &classId), "CLSIDFromProgID");
  auto impl = std::make_unique<Impl>();
  Check(::CoCreateInstance(classId, nullptr,
                           CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                           IID_IXMLDOMDocument, impl->document.put_void()),
        "CoCreateInstance");
  if (!impl->document) throw XmlError("CoCreateInstance returned no document");
  IXMLDOMDocument* document = impl->document.get();
  // Puts a local-server document into its running state; for the in-process
  // server this is a no-op, and a failure here leaves the document usable.
  (void)::OleRun(document);
  // load() must have finished when it returns, and nothing outside the text
  // itself (external entities, DTDs) may ever be fetched.
  Check(document->put_async(VARIANT_FALSE), "put_async");
  Check(document->put_validateOnParse(VARIANT_FALSE), "put_validateOnParse");
  Check(document->put_resolveExternals(VARIANT_FALSE), "put_resolveExternals");
  return XmlDocument(std::move(impl));
}

XmlLoad XmlDocument::LoadText(std::string_view gbkText) {
  if (!impl_ || !impl_->document) throw XmlError("loadXML on an empty document");
  const Bstr text = ToBstr(gbkText);
  VARIANT_BOOL parsed = VARIANT_FALSE;
  Check(impl_->document->loadXML(text.get(), &parsed), "loadXML");
  return parsed == VARIANT_TRUE ? XmlLoad::kParsed : XmlLoad::kNotParsed;
}

std::optional<XmlParseStop> XmlDocument::ParseStop() const {
  if (!impl_ || !impl_->document) return std::nullopt;
  ComPtr<IXMLDOMParseError> error;
  long code = 0;
  if (FAILED(impl_->document->get_parseError(error.put())) || !error ||
      FAILED(error->get_errorCode(&code)) || code == 0) {
    return std::nullopt;
  }
  XmlParseStop stop;
  if (FAILED(error->get_line(&stop.line)) || FAILED(error->get_linepos(&stop.column))) {
    return std::nullopt;
  }
  return stop;
}

XmlLoad XmlDocument::LoadFile(const std::string& gbkPath) {
  if (!impl_ || !impl_->document) throw XmlError("load on an empty document");
  const win32::Variant source(ToBstr(gbkPath));
  VARIANT_BOOL parsed = VARIANT_FALSE;
  Check(impl_->document->load(source.get(), &parsed), "load");
  return parsed == VARIANT_TRUE ? XmlLoad::kParsed : XmlLoad::kNotParsed;
}

std::optional<XmlNode> XmlDocument::SelectSingleNode(const std::string& path) const {
  return SelectOne(impl_ ? impl_->document.get() : nullptr, path);
}

XmlNodeList XmlDocument::SelectNodes(const std::string& path) const {
  return SelectAll(impl_ ? impl_->document.get() : nullptr, path);
}

namespace {

// The text of the first child element of `record` for each of `names`
// (UTF-16), walking the children once: selectSingleNode per field would
// compile and run an XPath expression per field, which costs many times the
// load of the document itself.
void ReadFields(IXMLDOMNode* record, const std::vector<std::wstring>& names,
                std::vector<XmlField>& fields) {
  for (XmlField& field : fields) {
    field.state = XmlField::State::kMissing;
    field.text.clear();
    field.lacking.clear();
  }
  ComPtr<IXMLDOMNode> child;
  Check(record->get_firstChild(child.put()), "get_firstChild");
  while (child) {
    DOMNodeType type = NODE_INVALID;
    Check(child->get_nodeType(&type), "get_nodeType");
    if (type == NODE_ELEMENT) {
      Bstr name;
      Check(child->get_nodeName(name.put()), "get_nodeName");
      Bstr space;
      Check(child->get_namespaceURI(space.put()), "get_namespaceURI");
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (fields[i].state != XmlField::State::kMissing || name.view() != names[i] ||
            !space.view().empty()) {
          continue;
        }
        Bstr text;
        const HRESULT status = child->get_text(text.put());
        if (FAILED(status)) {
          fields[i].state = XmlField::State::kFailed;
          fields[i].text = "get_text failed";
        } else {
          fields[i].state = XmlField::State::kText;
          fields[i].text = win32::WideToNarrow(win32::kGbkCodePage, text.view(), fields[i].lacking);
        }
        break;
      }
    }
    ComPtr<IXMLDOMNode> next;
    Check(child->get_nextSibling(next.put()), "get_nextSibling");
    child = std::move(next);
  }
}

}  // namespace

XmlLoad win32::LoadGbkFileAsText(IXMLDOMDocument* document, const std::string& gbkPath) {
  const std::optional<std::string> bytes = ReadWholeFile(gbkPath);
  if (!bytes) return XmlLoad::kNotParsed;
  const std::string_view text = *bytes;
  const std::optional<EncodingDeclaration> declared = FindEncodingDeclaration(text);
  if (!declared || !IsGbkEncodingName(declared->name)) return XmlLoad::kNotParsed;
  std::string undeclared(text.substr(0, declared->begin));
  undeclared.append(text.substr(declared->end));
  const std::optional<std::wstring> wide = NarrowToWideStrictly(kGbkCodePage, undeclared);
  if (!wide) return XmlLoad::kNotParsed;
  VARIANT_BOOL parsed = VARIANT_FALSE;
  Check(document->loadXML(Bstr(*wide).get(), &parsed), "loadXML");
  return parsed == VARIANT_TRUE ? XmlLoad::kParsed : XmlLoad::kNotParsed;
}

namespace {

// load() says only that it failed when another program holds the file
// without sharing it for reading (a scanner that opened the export the
// moment it was written): that is waited out first, as the file operations
// wait it out.
void WaitWhileBusyForReading(const std::string& gbkPath) {
  const std::wstring path = win32::WidePath(gbkPath);
  const auto open = [&] {
    return win32::UniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
        .valid();
  };
  RetryWhileBusy(open, [&] { return win32::IsBusyFailure(path); });
}

}  // namespace

// MSXML has no streaming reader: the document is loaded whole and the
// records taken from one selectNodes list.
XmlLoad ReadXmlRecords(const std::string& gbkPath, const std::string& parent,
                       const std::string& record, const std::vector<std::string>& fields,
                       const XmlRecordVisitor& visit) {
  WaitWhileBusyForReading(gbkPath);
  XmlDocument document = XmlDocument::Create();
  if (document.LoadFile(gbkPath) != XmlLoad::kParsed &&
      win32::LoadGbkFileAsText(document.impl_->document.get(), gbkPath) != XmlLoad::kParsed) {
    return XmlLoad::kNotParsed;
  }
  const XmlNodeList records = document.SelectNodes("//" + parent + "/" + record);
  const long count = records.Length();
  std::vector<std::wstring> names;
  for (const std::string& field : fields) names.push_back(win32::NarrowToWide(win32::kGbkCodePage, field));
  std::vector<XmlField> texts(fields.size());
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> node;
    Check(records.impl_->list->get_item(i, node.put()), "get_item");
    if (!node) throw XmlError("get_item returned no node");
    ReadFields(node.get(), names, texts);
    visit(texts);
  }
  return XmlLoad::kParsed;
}

}  // namespace vok::platform
