#include "soap/xml/referenced_texts.h"

#include <libxml/tree.h>

#include <cassert>
#include <unordered_map>

#include "soap/xml/library.h"

namespace vorn::xml {
namespace {

// The table of one document, hung on xmlDoc::_private.
using Table = std::unordered_map<const xmlNode*, std::string_view>;

Table* TableOf(const xmlNode* n) {
  return n != nullptr && n->doc != nullptr ? static_cast<Table*>(n->doc->_private) : nullptr;
}

}  // namespace

void ReferText(Node text_node, std::string_view text) {
  xmlNode* node = Unwrap<xmlNode>(text_node);
  assert(node != nullptr && node->type == XML_TEXT_NODE && node->doc != nullptr);
  assert((node->content == nullptr || node->content[0] == 0) && "the node stands for `text` only");
  Table* table = TableOf(node);
  if (table == nullptr) node->doc->_private = table = new Table;
  (*table)[node] = text;
}

std::string_view CharacterData(Node node) {
  const xmlNode* n = Unwrap<xmlNode>(node);
  if (const Table* table = TableOf(n); table != nullptr && !table->empty()) {
    if (auto it = table->find(n); it != table->end()) return it->second;
  }
  return View(n->content);
}

void ForgetReferences(Node node) {
  const xmlNode* n = Unwrap<xmlNode>(node);
  Table* table = TableOf(n);
  if (table == nullptr || table->empty()) return;
  table->erase(n);
  if (HoldsChildren(node)) {
    for (const xmlNode* c = n->children; c != nullptr; c = c->next) ForgetReferences(Wrap(c));
  }
}

void CopyReferencedTexts(Node from_node, Node copy_node) {
  const xmlNode* from = Unwrap<xmlNode>(from_node);
  xmlNode* copy = Unwrap<xmlNode>(copy_node);
  if (from->type == XML_TEXT_NODE) {
    const std::string_view text = CharacterData(from_node);
    if (from->content != nullptr && text.data() != C(from->content)) {
      xmlNodeSetContentLen(copy, X(text.data()), static_cast<int>(text.size()));
    }
    return;
  }
  if (!HoldsChildren(from_node)) return;
  xmlNode* c = copy->children;
  for (const xmlNode* f = from->children; f != nullptr && c != nullptr; f = f->next, c = c->next) {
    CopyReferencedTexts(Wrap(f), Wrap(c));
  }
}

void FreeReferences(Node document) {
  xmlDoc* doc = Unwrap<xmlDoc>(document);
  delete static_cast<Table*>(doc->_private);
  doc->_private = nullptr;
}

}  // namespace vorn::xml
