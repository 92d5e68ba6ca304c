#include "fatturapa/fatturapa_writer.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fatturapa/fatturapa_errors.h"
#include "fatturapa/model_map.h"
#include "fatturapa/schema_table.h"
#include "fatturapa/value_texts.h"
#include "service/registry/xml_data.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"
#include "soap/xml/xml_document.h"

namespace vorn {
namespace {

using fatturapa::SchemaParticle;
using fatturapa::SchemaType;
using fatturapa::ValueForm;

constexpr std::string_view kRootPrefix = "p";
constexpr std::string_view kSignaturePrefix = "ds";

class Writer {
 public:
  explicit Writer(xml::Document& doc) : doc_(doc) {}
  void WriteObject(xml::Node element, const TRemotable& obj, const SchemaType& st,
                   const std::string& path);

 private:
  [[noreturn]] static void Fail(const std::string& path, const std::string& why) {
    throw EInvoiceModelError(path + ": " + why);
  }
  xml::Node Add(xml::Node parent, const SchemaParticle& p) {
    if (p.signature_ns) {
      return doc_.AddElement(parent, std::string(kSignaturePrefix) + ":" + std::string(p.name),
                             fatturapa::kSignatureNamespace);
    }
    return doc_.AddElement(parent, p.name, "");
  }
  // The text of a single value, or nothing when it is absent.
  std::optional<std::string> ValueText(const TRemotable& obj, const PropInfo& prop, ValueForm form,
                                       const std::string& path);
  void WriteChoice(xml::Node element, const TRemotable& obj, const SchemaType& st,
                   const std::string& path);

  xml::Document& doc_;
};

std::optional<std::string> Writer::ValueText(const TRemotable& obj, const PropInfo& prop,
                                             ValueForm form, const std::string& path) {
  const TypeInfo& type = *prop.type;
  switch (type.kind) {
    case TypeKind::String: {
      const std::string& s = prop.access->GetString(obj);
      if (s.empty()) return std::nullopt;
      return s;
    }
    case TypeKind::Enumeration: {
      const int64_t ord = prop.access->GetOrd(obj);
      if (ord < 0 || static_cast<size_t>(ord) >= type.identifiers.size()) {
        Fail(path, "code " + std::to_string(ord) + " is outside " + std::string(type.name));
      }
      return std::string(type.identifiers[static_cast<size_t>(ord)]);
    }
    case TypeKind::Class: {
      const TRemotable* value = prop.access->GetObject(obj);
      if (value == nullptr) return std::nullopt;
      const ClassInfo& cls = value->ClassType();
      if (cls.InheritsFrom(TXSDecimal::StaticClass())) {
        return static_cast<const TXSDecimal*>(value)->DecimalString;
      }
      if (cls.InheritsFrom(TXSDateTime::StaticClass())) {
        const std::string text = static_cast<const TXSDateTime*>(value)->NativeToXS();
        if (form == ValueForm::Date) {
          std::optional<std::string> date = fatturapa::MidnightToDate(text);
          if (!date) {
            Fail(path, "\"" + text + "\" is not a date at midnight; the file holds a date here");
          }
          return date;
        }
        if (!fatturapa::IsDateTime(text)) Fail(path, "\"" + text + "\" is not a valid date-time");
        return text;
      }
      break;
    }
    case TypeKind::DynArray:
      if (type.IsByteArray()) {
        const TByteDynArray& bytes = prop.access->GetBytes(obj);
        if (bytes.empty()) return std::nullopt;
        return fatturapa::EncodeBase64Text(bytes);
      }
      break;
    case TypeKind::Unknown:
    case TypeKind::Integer:
    case TypeKind::Char:
    case TypeKind::Float:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Variant:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::Int64:
    case TypeKind::ClassRef:
      break;
  }
  Fail(path, "a value of this kind has no element in the file");
}

void Writer::WriteChoice(xml::Node element, const TRemotable& obj, const SchemaType& st,
                         const std::string& path) {
  const ClassInfo& cls = obj.ClassType();
  const fatturapa::ChoiceArrays choice = fatturapa::ChoiceArraysOf(cls);
  const size_t n = choice.values->access->ArrayLength(obj);
  if (choice.names != nullptr && choice.names->access->ArrayLength(obj) != n) {
    Fail(path + "/itemsElementNameField",
         "names " + std::to_string(choice.names->access->ArrayLength(obj)) +
             " entries but itemsField holds " + std::to_string(n));
  }
  const SchemaParticle* only = nullptr;  // the element of every entry, without a name array
  for (const SchemaParticle& p : st.particles) {
    if (fatturapa::IsChoiceMember(cls, p)) only = only == nullptr ? &p : only;
  }
  for (size_t i = 0; i < n; ++i) {
    const std::string entry_path = path + "/itemsField[" + std::to_string(i) + "]";
    const SchemaParticle* p = only;
    if (choice.names != nullptr) {
      const TypeInfo& names = *choice.names->type->element;
      const int64_t ord = choice.names->access->ArrayOrd(obj, i);
      if (ord < 0 || static_cast<size_t>(ord) >= names.identifiers.size()) {
        Fail(entry_path, "its name is outside " + std::string(names.name));
      }
      p = nullptr;
      for (const SchemaParticle& q : st.particles) {
        if (!q.attribute && q.name == names.identifiers[static_cast<size_t>(ord)]) p = &q;
      }
    }
    if (p == nullptr || p->form != ValueForm::Text) {
      Fail(entry_path, "its element cannot hold a text value in the file");
    }
    std::string text;
    if (choice.values->type->element->kind == TypeKind::Variant) {
      const Variant& v = choice.values->access->ArrayVariant(obj, i);
      if (v.kind() != Variant::Kind::String) Fail(entry_path, "only a text value can be written");
      text = v.AsString();
    } else {
      text = choice.values->access->ArrayString(obj, i);
    }
    doc_.SetText(Add(element, *p), text);
  }
}

void Writer::WriteObject(xml::Node element, const TRemotable& obj, const SchemaType& st,
                         const std::string& path) {
  const ClassInfo& cls = obj.ClassType();
  std::vector<const PropInfo*> used;
  const auto use = [&used](const PropInfo* p) {
    if (p != nullptr) used.push_back(p);
  };
  // Whether an optional value is to be written: its companion says so, and
  // agrees with the value being there.
  const auto present = [&](const PropInfo& prop, bool has_value, const std::string& at) {
    const PropInfo* companion = fatturapa::CompanionOf(cls, prop);
    use(companion);
    if (companion == nullptr) return has_value;
    const bool marked = companion->access->GetOrd(obj) != 0;
    if (prop.type->kind == TypeKind::Class && marked != has_value) {
      Fail(at, marked ? "marked present by its companion but holds no value"
                      : "holds a value but its companion " + std::string(companion->name) +
                            " is false");
    }
    return marked;
  };

  const fatturapa::ChoiceArrays choice = fatturapa::ChoiceArraysOf(cls);
  bool choice_written = false;

  for (const SchemaParticle& p : st.particles) {
    if (p.form == ValueForm::Any) {
      const PropInfo* any = fatturapa::FindProperty(cls, "anyField");
      use(any);
      if (any == nullptr) continue;
      const TRemotable* fragment = any->access->GetObject(obj);
      if (fragment == nullptr) continue;
      const xml::Node node = static_cast<const TXMLData*>(fragment)->XMLNode();
      if (node) doc_.ImportNode(element, node);
      continue;
    }
    if (fatturapa::IsChoiceMember(cls, p)) {
      use(choice.names);
      use(choice.values);
      if (!choice_written) WriteChoice(element, obj, st, path);
      choice_written = true;
      continue;
    }
    const PropInfo* prop = fatturapa::FindProperty(cls, fatturapa::PropertyName(p.name));
    if (prop == nullptr) continue;  // no place in the model: nothing to write
    use(prop);
    const std::string at = path + "/" + std::string(prop->name);
    const TypeInfo& type = *prop->type;

    if (p.attribute) {
      std::optional<std::string> text = ValueText(obj, *prop, p.form, at);
      if (present(*prop, text.has_value(), at) && text) doc_.SetAttribute(element, p.name, *text);
      continue;
    }
    if (type.kind == TypeKind::DynArray && !type.IsByteArray()) {
      const size_t n = prop->access->ArrayLength(obj);
      if (n == 0) continue;
      if (type.element->kind == TypeKind::String) {
        for (size_t i = 0; i < n; ++i)
          doc_.SetText(Add(element, p), prop->access->ArrayString(obj, i));
        continue;
      }
      if (type.element->kind != TypeKind::Class)
        Fail(at, "entries of this kind have no element in the file");
      const SchemaType* entry_st = fatturapa::SchemaTypeOf(*type.element->class_info);
      const SchemaType* st_p = fatturapa::FindSchemaType(p.type);
      xml::Node parent = element;
      const SchemaParticle* item = &p;
      if (st_p != entry_st) {
        // A wrapper element around the entries (ds:Transforms).
        parent = Add(element, p);
        item = &st_p->particles[0];
      }
      for (size_t i = 0; i < n; ++i) {
        const TRemotable* entry = prop->access->ArrayObject(obj, i);
        if (entry == nullptr) continue;
        WriteObject(Add(parent, *item), *entry, *entry_st, at + "[" + std::to_string(i) + "]");
      }
      continue;
    }
    if (p.form == ValueForm::Complex) {
      const TRemotable* child = prop->access->GetObject(obj);
      if (!present(*prop, child != nullptr, at) || child == nullptr) continue;
      WriteObject(Add(element, p), *child, *fatturapa::SchemaTypeOf(child->ClassType()), at);
      continue;
    }
    std::optional<std::string> text = ValueText(obj, *prop, p.form, at);
    if (!present(*prop, text.has_value(), at)) continue;
    if (!text && p.form == ValueForm::Base64 && p.min_occurs > 0) text = "";
    if (text) doc_.SetText(Add(element, p), *text);
  }
  if (st.content != ValueForm::None) {
    const PropInfo* value = fatturapa::FindProperty(cls, "valueField");
    use(value);
    if (value != nullptr) {
      std::optional<std::string> text = ValueText(obj, *value, st.content, path + "/valueField");
      doc_.SetText(element, text.value_or(""));
    }
  }

  // Text of a mixed element: its whole content, when it has no child.
  if (const PropInfo* text = fatturapa::FindProperty(cls, "textField");
      text != nullptr && st.mixed) {
    use(text);
    const size_t n = text->access->ArrayLength(obj);
    if (n > 0) {
      if (n > 1 || element.FirstChild()) {
        Fail(path + "/textField", "text beside other content has no place in the file");
      }
      doc_.SetText(element, text->access->ArrayString(obj, 0));
    }
  }

  // Every property with a value must have found its place in the file.
  for (const PropInfo& prop : cls.Properties()) {
    if (std::find(used.begin(), used.end(), &prop) != used.end()) continue;
    const TypeKind kind = prop.type->kind;
    const bool has_value = (kind == TypeKind::String && !prop.access->GetString(obj).empty()) ||
                           (kind == TypeKind::Class && prop.access->GetObject(obj) != nullptr) ||
                           (kind == TypeKind::DynArray && prop.access->ArrayLength(obj) != 0) ||
                           (prop.type->IsBoolean() && prop.access->GetOrd(obj) != 0);
    if (has_value)
      Fail(path + "/" + std::string(prop.name), "the value has no place in a FatturaPA file");
  }
}

}  // namespace

std::string WriteFatturaPA(const FatturaElettronicaType2& invoice) {
  xml::Document doc = xml::Document::New();
  const xml::Node root =
      doc.AddElement({}, std::string(kRootPrefix) + ":" + std::string(fatturapa::kRootElement),
                     fatturapa::kFatturaPANamespace);
  Writer(doc).WriteObject(root, invoice, *fatturapa::FindSchemaType(fatturapa::kRootType),
                          std::string(fatturapa::kRootElement));
  std::string text = doc.Serialize();
  const std::string_view plain = "<?xml version=\"1.0\"?>";
  if (text.starts_with(plain)) {
    text.replace(0, plain.size(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  }
  return text;
}

}  // namespace vorn
