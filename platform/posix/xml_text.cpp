#include "platform/posix/posix_xml_text.h"

#include <cstring>
#include <libxml/entities.h>
#include <vector>

#include "platform/xml.h"

namespace vok::platform::posix {
namespace {

// Entity references met in one text: a nest of references to empty
// entities expands to nothing yet could visit billions of nodes.
constexpr std::size_t kMaxEntityExpansions = std::size_t{1} << 20;

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class TextBuilder {
 public:
  void Add(const xmlChar* content, bool fromCdata) {
    if (content == nullptr) return;
    const char* text = reinterpret_cast<const char*>(content);
    std::size_t length = std::strlen(text);
    if (!started_ && !fromCdata) {
      while (length > 0 && IsXmlBlank(*text)) {
        ++text;
        --length;
      }
    }
    if (length == 0) return;
    if (length > kMaxTextBytes - text_.size()) throw XmlError("element text too long");
    text_.append(text, length);
    started_ = true;
    if (fromCdata) keptEnd_ = text_.size();
  }

  std::string Finish() {
    std::size_t end = text_.size();
    while (end > keptEnd_ && IsXmlBlank(text_[end - 1])) --end;
    text_.resize(end);
    return std::move(text_);
  }

 private:
  std::string text_;
  bool started_ = false;   // leading blanks are behind us
  std::size_t keptEnd_ = 0;  // end of the last CDATA section's text
};

// The parsed content of the entity a reference node points to, when it is
// an internal entity. External entities are never loaded, so they add
// nothing even if a parser option were to change.
const xmlNode* EntityContent(const xmlNode* reference) {
  const xmlNode* target = reference->children;
  if (target == nullptr || target->type != XML_ENTITY_DECL) return nullptr;
  const auto* entity = reinterpret_cast<const xmlEntity*>(target);
  if (entity->etype != XML_INTERNAL_GENERAL_ENTITY &&
      entity->etype != XML_INTERNAL_PREDEFINED_ENTITY) {
    return nullptr;
  }
  return entity->children;
}

}  // namespace

std::string NodeTextUtf8(const xmlNode* node) {
  TextBuilder builder;
  if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
      node->type == XML_COMMENT_NODE || node->type == XML_PI_NODE) {
    builder.Add(node->content, node->type == XML_CDATA_SECTION_NODE);
    return builder.Finish();
  }
  // The usual cell field, an element holding one text node, needs no walk.
  const xmlNode* only = node->children;
  if (only == nullptr) return builder.Finish();
  if (only->next == nullptr && only->type == XML_TEXT_NODE) {
    builder.Add(only->content, false);
    return builder.Finish();
  }
  // Depth-first, iteratively: each entry is the next sibling to visit on
  // one level, so deep nesting cannot overflow the stack.
  std::vector<const xmlNode*> pending{node->children};
  std::size_t expansions = 0;
  while (!pending.empty()) {
    const xmlNode* current = pending.back();
    if (current == nullptr) {
      pending.pop_back();
      continue;
    }
    pending.back() = current->next;
    switch (current->type) {
      case XML_TEXT_NODE:
        builder.Add(current->content, false);
        break;
      case XML_CDATA_SECTION_NODE:
        builder.Add(current->content, true);
        break;
      case XML_ELEMENT_NODE:
        pending.push_back(current->children);
        break;
      case XML_ENTITY_REF_NODE:
        if (++expansions > kMaxEntityExpansions) throw XmlError("too many entity references");
        pending.push_back(EntityContent(current));
        break;
      default:
        break;  // comments and processing instructions are not text
    }
  }
  return builder.Finish();
}

}  // namespace vok::platform::posix
