// What the XML layer's own .cc files share about the XML library: node
// handles and the library's pointers, its character type and its one-time
// set-up. Not for use outside the layer.
//
// Only those .cc files include the library's headers. This header names none
// of the library's types, so none shows through the layer's headers.
#pragma once

#include <string>
#include <string_view>

#include "soap/xml/node.h"

namespace vorn::xml {

// The library's node behind a handle, and the handle of a library node.
// `Raw` is one of the library's node structures (nodes, attributes,
// documents), which share their leading members, so one handle type serves
// them all.
template <class Raw>
Raw* Unwrap(Node node) {
  return reinterpret_cast<Raw*>(node.Handle());
}
template <class Raw>
Node Wrap(const Raw* raw) {
  return Node(reinterpret_cast<NodeHandle*>(const_cast<Raw*>(raw)));
}

// The library's characters: UTF-8 bytes as unsigned char, null-terminated.
using LibChar = unsigned char;

inline const LibChar* X(const char* s) { return reinterpret_cast<const LibChar*>(s); }
inline const char* C(const LibChar* s) { return reinterpret_cast<const char*>(s); }
// The text of a library string; "" for null.
inline std::string_view View(const LibChar* s) {
  return s != nullptr ? std::string_view(C(s)) : std::string_view();
}
inline std::string Str(const LibChar* s) { return std::string(View(s)); }

// Elements, documents and fragments: the kinds that hold child nodes.
inline bool HoldsChildren(Node n) {
  const NodeKind kind = n.Kind();
  return kind == NodeKind::Element || kind == NodeKind::Document ||
         kind == NodeKind::DocumentFragment;
}

// Sets the library up once per process; every entry point that makes a
// document calls it first.
void InitLibrary();

}  // namespace vorn::xml
