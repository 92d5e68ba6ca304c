#include "fatturapa/fatturapa_reader.h"

#include <string>
#include <utility>
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

constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

[[noreturn]] void Refuse(int line, const std::string& what) { throw EInvoiceFileError(line, what); }

[[noreturn]] void NoHome(int line, const std::string& what) {
  Refuse(line, what +
                   " has no place in the typed invoice model, which follows an older edition "
                   "of FatturaPA");
}

bool IsBlank(std::string_view s) {
  return s.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string Quoted(std::string_view value) {
  constexpr size_t kShown = 60;
  std::string v(value.substr(0, kShown));
  if (value.size() > kShown) v += "...";
  return "\"" + v + "\"";
}

// The text is decoded already: an encoding named in the XML declaration
// would make the parser decode it a second time. Names UTF-8 instead, in
// place, so that line numbers stay those of the file.
std::string WithUtf8Declaration(std::string_view text) {
  std::string out(text);
  const size_t start = out.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  if (out.compare(start, 5, "<?xml") != 0) return out;
  const size_t end = out.find("?>", start);
  const size_t enc = out.find("encoding", start);
  if (end == std::string::npos || enc == std::string::npos || enc > end) return out;
  const size_t open = out.find_first_of("\"'", enc);
  if (open == std::string::npos || open > end) return out;
  const size_t close = out.find(out[open], open + 1);
  if (close == std::string::npos || close > end) return out;
  out.replace(open + 1, close - open - 1, "UTF-8");
  return out;
}

const SchemaParticle* FindParticle(const SchemaType& st, std::string_view local, bool attribute,
                                   bool signature_ns) {
  for (const SchemaParticle& p : st.particles) {
    if (p.attribute == attribute && p.name == local && !p.name.empty() &&
        (attribute || p.signature_ns == signature_ns)) {
      return &p;
    }
  }
  return nullptr;
}

const SchemaParticle* OpenSlot(const SchemaType& st) {
  for (const SchemaParticle& p : st.particles) {
    if (p.form == ValueForm::Any) return &p;
  }
  return nullptr;
}

class Reader {
 public:
  void ReadObject(xml::Node element, TRemotable& obj, const SchemaType& st, bool is_root);

 private:
  // The arrays of one object, filled as their elements come and stored at
  // the end.
  struct Arrays {
    std::vector<std::pair<const PropInfo*, ArrayValue>> values;
    ArrayValue& Of(const PropInfo* prop) {
      for (auto& [p, v] : values) {
        if (p == prop) return v;
      }
      return values.emplace_back(prop, ArrayValue{}).second;
    }
  };

  std::string SimpleText(xml::Node element);
  void ReadValue(xml::Node where, std::string_view name, const std::string& text, TRemotable& obj,
                 const PropInfo& prop, const SchemaParticle& particle);
  void ReadElement(xml::Node element, TRemotable& obj, const PropInfo& prop,
                   const SchemaParticle& particle, Arrays& arrays);
  std::unique_ptr<TRemotable> ReadEntry(xml::Node element, const ClassInfo& cls);
  void ReadChoice(xml::Node element, const ClassInfo& cls, const SchemaParticle& particle,
                  Arrays& arrays);
  std::unique_ptr<TRemotable> NewOfClass(const ClassInfo& cls, xml::Node where);
};

// The text of an element that holds a value: its text and CDATA children.
// Such an element has no attributes.
std::string Reader::SimpleText(xml::Node element) {
  if (const xml::Node a = element.FirstAttribute()) {
    Refuse(element.Line(), "the attribute " + a.Name() + " of " + element.LocalName() +
                               " is not part of FatturaPA 1.2");
  }
  std::string text;
  for (xml::Node c : element.Children()) {
    switch (c.Kind()) {
      case xml::NodeKind::Text:
      case xml::NodeKind::CData:
        text += c.Value();
        break;
      case xml::NodeKind::Comment:
        NoHome(c.Line() > 0 ? c.Line() : element.Line(), "a comment in " + element.LocalName());
      case xml::NodeKind::Element:
        Refuse(c.Line(), "the element " + c.LocalName() + " inside " + element.LocalName() +
                             ", which holds a value, is not part of FatturaPA 1.2");
      default:
        NoHome(element.Line(), "a " +
                                   std::string(c.Kind() == xml::NodeKind::ProcessingInstruction
                                                   ? "processing instruction"
                                                   : "markup node") +
                                   " in " + element.LocalName());
    }
  }
  return text;
}

std::unique_ptr<TRemotable> Reader::NewOfClass(const ClassInfo& cls, xml::Node where) {
  if (cls.create == nullptr)
    Refuse(where.Line(), "the model cannot create " + std::string(cls.name));
  return cls.NewInstance();
}

// A single value (text, code, decimal, date, date-time or bytes) into a
// property that holds one.
void Reader::ReadValue(xml::Node where, std::string_view name, const std::string& text,
                       TRemotable& obj, const PropInfo& prop, const SchemaParticle& particle) {
  const int line = where.Line();
  const TypeInfo& type = *prop.type;
  switch (type.kind) {
    case TypeKind::String:
      prop.access->SetString(obj, text);
      return;
    case TypeKind::Enumeration: {
      const int code = fatturapa::CodeIndex(type, text);
      if (code >= 0) {
        prop.access->SetOrd(obj, code);
        return;
      }
      for (std::string_view allowed : particle.codes) {
        if (allowed == text) NoHome(line, std::string(name) + " " + Quoted(text));
      }
      Refuse(line, std::string(name) + " " + Quoted(text) + " is not a valid code");
    }
    case TypeKind::Class: {
      const ClassInfo& cls = *type.class_info;
      if (cls.InheritsFrom(TXSDecimal::StaticClass())) {
        Bcd number;
        if (!Bcd::TryParse(text, number)) {
          Refuse(line, std::string(name) + " " + Quoted(text) + " is not a valid decimal number");
        }
        auto value = std::make_unique<TXSDecimal>();
        value->XSToNative(text);
        prop.access->SetObject(obj, std::move(value));
        return;
      }
      if (cls.InheritsFrom(TXSDateTime::StaticClass())) {
        std::string stored;
        if (particle.form == ValueForm::Date) {
          std::optional<std::string> midnight = fatturapa::DateToMidnight(text);
          if (!midnight)
            Refuse(line, std::string(name) + " " + Quoted(text) + " is not a valid date");
          stored = *midnight;
        } else if (particle.form == ValueForm::DateTime && fatturapa::IsDateTime(text)) {
          stored = text;
        } else {
          Refuse(line, std::string(name) + " " + Quoted(text) + " is not a valid date-time");
        }
        auto value = std::make_unique<TXSDateTime>();
        value->XSToNative(stored);
        prop.access->SetObject(obj, std::move(value));
        return;
      }
      break;
    }
    case TypeKind::DynArray:
      if (type.IsByteArray()) {
        std::optional<TByteDynArray> bytes = fatturapa::DecodeBase64Text(text);
        if (!bytes) Refuse(line, std::string(name) + " is not valid base64");
        ArrayValue v;
        v.bytes = std::move(*bytes);
        prop.access->SetArray(obj, std::move(v));
        return;
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
  NoHome(line, std::string(name) + " " + Quoted(text) + " (the model's " + std::string(prop.name) +
                   " cannot hold it)");
}

std::unique_ptr<TRemotable> Reader::ReadEntry(xml::Node element, const ClassInfo& cls) {
  const SchemaType* st = fatturapa::SchemaTypeOf(cls);
  if (st == nullptr) NoHome(element.Line(), "the element " + element.LocalName());
  std::unique_ptr<TRemotable> entry = NewOfClass(cls, element);
  ReadObject(element, *entry, *st, false);
  return entry;
}

void Reader::ReadElement(xml::Node element, TRemotable& obj, const PropInfo& prop,
                         const SchemaParticle& particle, Arrays& arrays) {
  const std::string name = element.LocalName();
  const TypeInfo& type = *prop.type;
  if (particle.form == ValueForm::Complex) {
    const SchemaType* st = fatturapa::FindSchemaType(particle.type);
    if (type.kind == TypeKind::Class && st != nullptr) {
      prop.access->SetObject(obj, ReadEntry(element, *type.class_info));
      return;
    }
    if (type.kind == TypeKind::DynArray && type.element->kind == TypeKind::Class && st != nullptr) {
      const ClassInfo& entry_cls = *type.element->class_info;
      ArrayValue& entries = arrays.Of(&prop);
      if (fatturapa::SchemaTypeOf(entry_cls) == st) {
        entries.objects.push_back(ReadEntry(element, entry_cls));
        return;
      }
      // A wrapper element (ds:Transforms) whose one repeated child is the
      // array's entry.
      const SchemaParticle* item =
          st->particles.size() == 1 && !st->particles[0].attribute ? &st->particles[0] : nullptr;
      if (item != nullptr &&
          fatturapa::FindSchemaType(item->type) == fatturapa::SchemaTypeOf(entry_cls)) {
        if (element.FirstAttribute()) {
          Refuse(element.Line(), "the attribute " + element.FirstAttribute().Name() + " of " +
                                     name + " is not part of FatturaPA 1.2");
        }
        for (xml::Node c : element.Children()) {
          if ((c.Kind() == xml::NodeKind::Text || c.Kind() == xml::NodeKind::CData) &&
              IsBlank(c.Value())) {
            continue;
          }
          if (c.Kind() != xml::NodeKind::Element || c.LocalName() != item->name ||
              c.NamespaceURI() != (item->signature_ns ? fatturapa::kSignatureNamespace : "")) {
            Refuse(c.Line() > 0 ? c.Line() : element.Line(),
                   "the content of " + name + " is not part of FatturaPA 1.2: only " +
                       std::string(item->name) + " elements belong there");
          }
          entries.objects.push_back(ReadEntry(c, entry_cls));
        }
        if (entries.objects.empty()) {
          Refuse(element.Line(),
                 "the required element " + std::string(item->name) + " of " + name + " is missing");
        }
        return;
      }
    }
    NoHome(element.Line(), "the element " + name);
  }
  const std::string text = SimpleText(element);
  if (type.kind == TypeKind::DynArray && !type.IsByteArray()) {
    if (type.element->kind != TypeKind::String) NoHome(element.Line(), "the element " + name);
    arrays.Of(&prop).strings.push_back(text);
    return;
  }
  ReadValue(element, name, text, obj, prop, particle);
}

void Reader::ReadChoice(xml::Node element, const ClassInfo& cls, const SchemaParticle& particle,
                        Arrays& arrays) {
  const fatturapa::ChoiceArrays choice = fatturapa::ChoiceArraysOf(cls);
  const std::string name = element.LocalName();
  if (particle.form != ValueForm::Text) {
    NoHome(element.Line(), "the element " + name + " of " + element.Parent().LocalName());
  }
  const std::string text = SimpleText(element);
  ArrayValue& values = arrays.Of(choice.values);
  if (choice.values->type->element->kind == TypeKind::Variant) {
    values.variants.push_back(Variant::FromString(text));
  } else {
    values.strings.push_back(text);
  }
  if (choice.names != nullptr) {
    arrays.Of(choice.names)
        .ords.push_back(fatturapa::CodeIndex(*choice.names->type->element, name));
  }
}

void Reader::ReadObject(xml::Node element, TRemotable& obj, const SchemaType& st, bool is_root) {
  const ClassInfo& cls = obj.ClassType();
  const std::string element_name = element.LocalName();
  const int line = element.Line();
  std::vector<uint32_t> counts(st.particles.size(), 0);
  const auto count = [&](const SchemaParticle* p) -> uint32_t& {
    return counts[static_cast<size_t>(p - st.particles.data())];
  };
  Arrays arrays;
  const auto mark_present = [&](const PropInfo& prop) {
    if (const PropInfo* companion = fatturapa::CompanionOf(cls, prop)) {
      companion->access->SetOrd(obj, 1);
    }
  };

  for (xml::Node a = element.FirstAttribute(); a; a = a.NextSibling()) {
    const std::string ns = a.NamespaceURI();
    const std::string local = a.LocalName();
    if (is_root && ns == kXsiNamespace &&
        (local == "schemaLocation" || local == "noNamespaceSchemaLocation")) {
      continue;
    }
    const SchemaParticle* p = ns.empty() ? FindParticle(st, local, true, false) : nullptr;
    if (p == nullptr) {
      Refuse(line,
             "the attribute " + a.Name() + " of " + element_name + " is not part of FatturaPA 1.2");
    }
    const PropInfo* prop = fatturapa::FindProperty(cls, fatturapa::PropertyName(local));
    if (prop == nullptr) {
      NoHome(line,
             "the attribute " + local + " of " + element_name + " (" + Quoted(a.Value()) + ")");
    }
    ReadValue(element, local, a.Value(), obj, *prop, *p);
    mark_present(*prop);
    ++count(p);
  }

  if (st.content != ValueForm::None) {
    const PropInfo* prop = fatturapa::FindProperty(cls, "valueField");
    if (prop == nullptr) NoHome(line, "the text of " + element_name);
    SchemaParticle content{element_name, st.signature_ns, false, st.content, "", 1, 1, {}};
    std::string text;
    for (xml::Node c : element.Children()) {
      if (c.Kind() != xml::NodeKind::Text && c.Kind() != xml::NodeKind::CData) {
        Refuse(c.Line() > 0 ? c.Line() : line,
               "only text belongs inside " + element_name + " in FatturaPA 1.2");
      }
      text += c.Value();
    }
    ReadValue(element, element_name, text, obj, *prop, content);
  } else {
    bool has_elements = false;
    for (xml::Node c : element.Children()) has_elements |= c.Kind() == xml::NodeKind::Element;
    for (xml::Node c : element.Children()) {
      switch (c.Kind()) {
        case xml::NodeKind::Text:
        case xml::NodeKind::CData: {
          const std::string value = c.Value();
          if (IsBlank(value)) continue;
          const PropInfo* text_prop = fatturapa::FindProperty(cls, "textField");
          if (st.mixed && !has_elements && text_prop != nullptr) {
            arrays.Of(text_prop).strings.push_back(value);
            continue;
          }
          const SchemaParticle* slot = st.mixed ? OpenSlot(st) : nullptr;
          const PropInfo* any = fatturapa::FindProperty(cls, "anyField");
          if (slot != nullptr && any != nullptr && !has_elements &&
              any->access->GetObject(obj) == nullptr) {
            auto fragment = std::make_unique<TXMLData>();
            fragment->SetXMLNode(c);
            any->access->SetObject(obj, std::move(fragment));
            continue;
          }
          if (!st.mixed) {
            Refuse(c.Line() > 0 ? c.Line() : line, "the text " + Quoted(value) + " inside " +
                                                       element_name +
                                                       " is not part of FatturaPA 1.2");
          }
          NoHome(c.Line() > 0 ? c.Line() : line,
                 "the text " + Quoted(value) + " in " + element_name);
        }
        case xml::NodeKind::Element:
          break;
        case xml::NodeKind::Comment:
          NoHome(c.Line() > 0 ? c.Line() : line, "a comment in " + element_name);
        case xml::NodeKind::ProcessingInstruction:
          NoHome(c.Line() > 0 ? c.Line() : line,
                 "the processing instruction " + c.LocalName() + " in " + element_name);
        case xml::NodeKind::Attribute:
        case xml::NodeKind::EntityReference:
        case xml::NodeKind::DocumentFragment:
        case xml::NodeKind::Document:
        case xml::NodeKind::Other:
          NoHome(line, "a markup node in " + element_name);
      }
      const std::string ns = c.NamespaceURI();
      const std::string local = c.LocalName();
      const bool signature_ns = ns == fatturapa::kSignatureNamespace;
      const SchemaParticle* p =
          ns.empty() || signature_ns ? FindParticle(st, local, false, signature_ns) : nullptr;
      if (p == nullptr) {
        const SchemaParticle* slot = OpenSlot(st);
        const PropInfo* any = fatturapa::FindProperty(cls, "anyField");
        if (slot == nullptr) {
          Refuse(c.Line(), "the element " + (ns.empty() ? local : "{" + ns + "}" + local) + " in " +
                               element_name + " is not part of FatturaPA 1.2");
        }
        if (any == nullptr) NoHome(c.Line(), "the element " + local + " in " + element_name);
        if (any->access->GetObject(obj) != nullptr) {
          NoHome(c.Line(), "a second element (" + local + ") in the open slot of " + element_name);
        }
        auto fragment = std::make_unique<TXMLData>();
        fragment->SetXMLNode(c);
        any->access->SetObject(obj, std::move(fragment));
        continue;
      }
      if (count(p) >= p->max_occurs) {
        Refuse(c.Line(),
               "more " + local + " elements in " + element_name + " than FatturaPA 1.2 allows");
      }
      const PropInfo* prop = fatturapa::FindProperty(cls, fatturapa::PropertyName(local));
      const bool holds_many =
          prop != nullptr && prop->type->kind == TypeKind::DynArray && !prop->type->IsByteArray();
      if (count(p) > 0 && prop != nullptr && !holds_many) {
        // The format repeats it (DatiRitenuta in 1.2.2); the model holds one.
        NoHome(c.Line(), "a second " + local + " in " + element_name + " (the model holds one)");
      }
      ++count(p);
      if (prop == nullptr) {
        if (!fatturapa::IsChoiceMember(cls, *p)) {
          NoHome(c.Line(), "the element " + local + " in " + element_name);
        }
        ReadChoice(c, cls, *p, arrays);
        continue;
      }
      ReadElement(c, obj, *prop, *p, arrays);
      mark_present(*prop);
    }
  }

  for (auto& [prop, value] : arrays.values) prop->access->SetArray(obj, std::move(value));

  for (const SchemaParticle& p : st.particles) {
    if (p.min_occurs > 0 && p.form != ValueForm::Any && count(&p) == 0) {
      Refuse(line, "the required " + std::string(p.attribute ? "attribute " : "element ") +
                       std::string(p.name) + " of " + element_name + " is missing");
    }
  }
}

}  // namespace

std::unique_ptr<FatturaElettronicaType2> ReadFatturaPA(std::string_view text) {
  const xml::Document doc = xml::Document::Parse(WithUtf8Declaration(text));
  for (xml::Node top : doc.Root().Children()) {
    if (top.Kind() == xml::NodeKind::Comment) NoHome(top.Line(), "a comment outside the invoice");
    if (top.Kind() == xml::NodeKind::ProcessingInstruction) {
      NoHome(top.Line(), "the processing instruction " + top.LocalName());
    }
  }
  const xml::Node root = doc.DocumentElement();
  if (root.LocalName() != fatturapa::kRootElement ||
      root.NamespaceURI() != fatturapa::kFatturaPANamespace) {
    Refuse(root.Line(), "the document element {" + root.NamespaceURI() + "}" + root.LocalName() +
                            " is not a FatturaPA 1.2 invoice (FatturaElettronica in namespace " +
                            std::string(fatturapa::kFatturaPANamespace) + ")");
  }
  auto invoice = std::make_unique<FatturaElettronicaType2>();
  Reader().ReadObject(root, *invoice, *fatturapa::FindSchemaType(fatturapa::kRootType), true);
  return invoice;
}

}  // namespace vorn
