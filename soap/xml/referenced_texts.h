// Texts held by reference: a large text that is only written out stays in
// the caller's string, and the tree holds an empty text node that stands for
// it. This keeps a large invoice from being copied (and its pages touched)
// once more while a request is built.
//
// Each document keeps its own table from text node to text, made at its
// first reference. Internal to the XML layer.
#pragma once

#include <string_view>

#include "soap/xml/node.h"

namespace vorn::xml {

// Makes `text_node`, an empty text node, stand for `text`. REQUIRES: the
// caller keeps the characters alive and unchanged for as long as the node
// exists.
void ReferText(Node text_node, std::string_view text);

// The character data of a text, CDATA or comment node: the text it stands
// for, or else its own content ("" for none).
std::string_view CharacterData(Node node);

// Forgets the references of `node` and its descendants; called before they
// are freed.
void ForgetReferences(Node node);

// Gives the referring text nodes in `copy`, a deep copy of `from` made in
// another document, their own copies of the texts they stand for.
void CopyReferencedTexts(Node from, Node copy);

// Frees the table of `document` (a document node); called before the
// document is freed.
void FreeReferences(Node document);

}  // namespace vorn::xml
