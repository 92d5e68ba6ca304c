// Namespace scope: which namespace a prefix stands for at a node, and the
// declarations that keep every element and attribute in its namespace when
// the tree is written out. The meaning of a written element depends only on
// the declarations (xmlns attributes) on it and on its ancestors, so scope is
// computed from those alone. Internal to the XML layer.
//
// Prefixes are given as text; "" stands for the default namespace.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "soap/xml/node.h"

namespace vorn::xml {

// The URI that `prefix` stands for at `node` (for an attribute: at its
// element), from the nearest declaration of the prefix; "" when unbound.
// "xml" always stands for the XML namespace.
std::string_view ResolvePrefix(Node node, std::string_view prefix);

// Whether `prefix` is declared on `node` or on one of its ancestors.
bool IsPrefixDeclared(Node node, std::string_view prefix);

// The prefix of the nearest declaration of `uri` in scope of `element` that
// no nearer declaration of the same prefix hides ("" for a default
// declaration); nothing when there is none. With `prefixed_only`, default
// declarations are passed over.
std::optional<std::string> BoundPrefix(Node element, std::string_view uri, bool prefixed_only);

// Declares xmlns:prefix="uri" (xmlns="uri" for "") on the element, after its
// earlier declarations; the same binding again does nothing. Throws
// DOMException for a node that is not an element, when the element already
// binds the prefix to another URI, for a prefix with an empty URI, and for
// "xml" and "xmlns".
void DeclarePrefix(Node element, std::string_view prefix, std::string_view uri);

// Puts `element`, new and in no namespace yet, into namespace `uri` ("" =
// none) under `prefix`: it takes the declaration of the prefix in scope when
// that binds exactly `uri`, and is given its own declaration otherwise. An
// element in no namespace is given xmlns="" when a default namespace is in
// scope. REQUIRES: `prefix` is "" when `uri` is.
void PlaceInNamespace(Node element, std::string_view prefix, std::string_view uri);

// Sets the attribute `local` in namespace `uri` on the element (replacing one
// of the same name), written with the prefix of the nearest prefixed
// declaration of `uri` in scope. Throws DOMException when there is none.
// REQUIRES: an element, and a `uri` that is not empty.
void SetAttributeInScope(Node element, std::string_view local, std::string_view uri,
                         std::string_view value);

// Adds the declarations that `node` and its descendants, copied from another
// document, need to keep their meaning: each element's prefix (or the default
// namespace) and each prefixed attribute's prefix stand for their URIs.
void KeepMeaningOfTree(Node node);

}  // namespace vorn::xml
