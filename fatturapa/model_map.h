// How the file's names meet the model's: the rules that the reader and the
// writer share.
//
// - Element or attribute X goes to the property named X with its first
//   letter in lower case, followed by "Field" (CAP: cAPField, versione:
//   versioneField); an optional value's presence is the property of that
//   name followed by "Specified".
// - An element with no property of its own is a member of a choice: it goes
//   to the parallel arrays itemsElementNameField (its name, when the class
//   has that array) and itemsField (its value).
// - Text content goes to valueField; text between child elements to
//   textField; an element of an open slot to anyField.
// - A class's schema type is named as its element form (DatiRiepilogoType2:
//   DatiRiepilogoType).
#pragma once

#include <string>
#include <string_view>

#include "fatturapa/schema_table.h"
#include "service/registry/remotable.h"

namespace vorn::fatturapa {

// The property name for a file name: "CAP" -> "cAPField".
std::string PropertyName(std::string_view xml_name);

// The class's property of that name; null when it has none.
const PropInfo* FindProperty(const ClassInfo& cls, std::string_view name);

// The presence companion of `prop` ("…FieldSpecified"); null when it has none.
const PropInfo* CompanionOf(const ClassInfo& cls, const PropInfo& prop);

// The choice arrays of a class; both null when it has none.
struct ChoiceArrays {
  const PropInfo* names = nullptr;   // itemsElementNameField: a code list naming each entry
  const PropInfo* values = nullptr;  // itemsField: strings or variants
};
ChoiceArrays ChoiceArraysOf(const ClassInfo& cls);

// True when the element named `name` of a class goes to its choice arrays:
// it has no property of its own and the class's name array lists it (or,
// with no name array, the element is the class's one text-valued choice).
bool IsChoiceMember(const ClassInfo& cls, const SchemaParticle& particle);

// The schema type of a model class; null when the schemas have none.
const SchemaType* SchemaTypeOf(const ClassInfo& cls);

// The index of `code` in an enumeration's identifiers; -1 when absent.
int CodeIndex(const TypeInfo& enumeration, std::string_view code);

}  // namespace vorn::fatturapa
