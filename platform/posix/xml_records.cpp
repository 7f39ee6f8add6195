// Records streamed from a file with libxml2's reader: it parses ahead and
// frees what lies behind, so only the record being read is ever a tree and a
// cell export of a million records needs no DOM of a million records.
#include <libxml/xmlreader.h>

#include <memory>

#include "platform/codepage.h"
#include "platform/posix/posix_xml_source.h"
#include "platform/posix/posix_xml_text.h"
#include "platform/xml.h"

namespace vok::platform {
namespace {

struct ReaderDeleter {
  void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
using Reader = std::unique_ptr<xmlTextReader, ReaderDeleter>;

const xmlChar* Name(const std::string& name) {
  return reinterpret_cast<const xmlChar*>(name.c_str());
}

// An element "//parent/record" names: that local name and no namespace.
bool IsPlainElement(const xmlNode* node, const std::string& name) {
  return node->type == XML_ELEMENT_NODE && node->ns == nullptr && xmlStrEqual(node->name, Name(name));
}

// Whether a record nests an element of `name` at any depth: only then can
// records lie inside a record, and only then is its subtree walked on.
bool Contains(const xmlNode* record, const std::string& name) {
  std::vector<const xmlNode*> pending{record->children};
  while (!pending.empty()) {
    const xmlNode* current = pending.back();
    if (current == nullptr) {
      pending.pop_back();
      continue;
    }
    pending.back() = current->next;
    if (current->type != XML_ELEMENT_NODE) continue;
    if (IsPlainElement(current, name)) return true;
    pending.push_back(current->children);
  }
  return false;
}

// The parser interns element names in its dictionary: a name interned once
// here is compared with every node's name by pointer.
std::vector<const xmlChar*> Interned(xmlTextReader* reader, const std::vector<std::string>& names) {
  std::vector<const xmlChar*> interned;
  for (const std::string& name : names) {
    interned.push_back(xmlTextReaderConstString(reader, Name(name)));
  }
  return interned;
}

void ReadFields(const xmlNode* record, const std::vector<const xmlChar*>& names,
                std::vector<XmlField>& fields) {
  for (XmlField& field : fields) {
    field.state = XmlField::State::kMissing;
    field.text.clear();
    field.lacking.clear();
  }
  for (const xmlNode* child = record->children; child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE || child->ns != nullptr) continue;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (fields[i].state != XmlField::State::kMissing || child->name != names[i]) continue;
      try {
        fields[i].text = Utf8ToGbk(posix::NodeTextUtf8(child), fields[i].lacking);
        fields[i].state = XmlField::State::kText;
      } catch (const XmlError& error) {
        fields[i].text = error.what();
        fields[i].state = XmlField::State::kFailed;
      }
      break;
    }
  }
}

}  // namespace

XmlLoad ReadXmlRecords(const std::string& gbkPath, const std::string& parent,
                       const std::string& record, const std::vector<std::string>& fields,
                       const XmlRecordVisitor& visit) {
  posix::InitXmlParser();
  const posix::XmlSource source = posix::ReadXmlSource(gbkPath);
  if (source.bytes.empty()) return XmlLoad::kNotParsed;
  const posix::QuietXmlErrors quiet;
  Reader reader(xmlReaderForMemory(source.bytes.data(), static_cast<int>(source.bytes.size()),
                                   nullptr, source.encoding,
                                   posix::kParseOptions | source.extra_options));
  if (!reader) throw XmlError("cannot create an XML reader");
  // Parse errors are the result; the host's stderr hears nothing of them.
  xmlTextReaderSetStructuredErrorHandler(reader.get(), [](void*, auto*) {}, nullptr);

  const std::vector<const xmlChar*> field_names = Interned(reader.get(), fields);
  const xmlChar* const parent_name = xmlTextReaderConstString(reader.get(), Name(parent));
  const xmlChar* const record_name = xmlTextReaderConstString(reader.get(), Name(record));
  // parent_at[d]: the open element at depth d is a `parent`.
  std::vector<char> parent_at;
  std::vector<XmlField> texts(fields.size());
  int rc = xmlTextReaderRead(reader.get());
  while (rc == 1) {
    bool skip_subtree = false;
    if (xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_ELEMENT) {
      const auto depth = static_cast<std::size_t>(xmlTextReaderDepth(reader.get()));
      const bool plain = xmlTextReaderConstNamespaceUri(reader.get()) == nullptr;
      const xmlChar* name = xmlTextReaderConstLocalName(reader.get());
      const bool under_parent = depth > 0 && depth - 1 < parent_at.size() && parent_at[depth - 1];
      parent_at.resize(depth + 1);
      parent_at[depth] = plain && name == parent_name;
      if (under_parent && plain && name == record_name) {
        const xmlNode* node = xmlTextReaderExpand(reader.get());
        if (node == nullptr) return XmlLoad::kNotParsed;
        ReadFields(node, field_names, texts);
        visit(texts);
        skip_subtree = !Contains(node, parent);
      }
    }
    rc = skip_subtree ? xmlTextReaderNext(reader.get()) : xmlTextReaderRead(reader.get());
  }
  return rc == 0 ? XmlLoad::kParsed : XmlLoad::kNotParsed;
}

}  // namespace vok::platform
