// The request half of the converter: an operation call becomes a SOAP
// envelope, written as a document tree from the registries and the property
// descriptors, then serialized.
#include <algorithm>
#include <cassert>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/text_util.h"
#include "service/registry/invoke_registry.h"
#include "service/registry/option_text.h"
#include "service/registry/type_registry.h"
#include "soap/base64.h"
#include "soap/converter.h"
#include "soap/soap_errors.h"
#include "soap/xml/output_document.h"

namespace vorn {
namespace {

using xml::OutputDocument;
using Element = xml::OutputElement;

// Texts from this size on are referred to by the document, not copied.
constexpr size_t kTextRefMinSize = 4096;

// Object-convert options passed from a parent to the writing of one object.
enum ObjectConvertOption : uint32_t {
  ocoDontPrefixNode = 1,
  ocoDontSerializeProps = 2,
  ocoDontPutTypeAttr = 4,
};

// The entries of an array, whatever holds it: a property of an object or an
// argument of the call.
struct ArraySource {
  size_t length = 0;
  std::function<NativeValue(size_t)> value;         // simple entries
  std::function<const TRemotable*(size_t)> object;  // object entries
  std::function<const Variant&(size_t)> variant;    // variant entries
  const TByteDynArray* bytes = nullptr;             // byte arrays
};

ArraySource PropertyArray(const TRemotable& obj, const PropInfo& prop) {
  const PropAccess& a = *prop.access;
  const TypeInfo* elem = prop.type->element;
  ArraySource s;
  s.length = a.ArrayLength(obj);
  if (prop.type->IsByteArray()) {
    s.bytes = &a.GetBytes(obj);
    return s;
  }
  // Simple entries: objects and variants go through `object` and `variant`,
  // and kinds without a text form are refused when the entry is written.
  s.value = [&a, &obj, held = ArrayEntryOf(elem->kind)](size_t i) -> NativeValue {
    switch (held) {
      case ArrayEntry::Float:
        return a.ArrayFloat(obj, i);
      case ArrayEntry::String:
        return a.ArrayString(obj, i);
      case ArrayEntry::Object:
      case ArrayEntry::Variant:
      case ArrayEntry::Ordinal:
        break;
    }
    return a.ArrayOrd(obj, i);
  };
  s.object = [&a, &obj](size_t i) { return a.ArrayObject(obj, i); };
  s.variant = [&a, &obj](size_t i) -> const Variant& { return a.ArrayVariant(obj, i); };
  return s;
}

ArraySource ArgumentArray(const TypeInfo* type, const ArrayValue& v) {
  ArraySource s;
  if (type->IsByteArray()) {
    s.bytes = &v.bytes;
    s.length = v.bytes.size();
    return s;
  }
  const TypeInfo* elem = type->element;
  assert(elem != nullptr && "an array type names its element type");
  switch (ArrayEntryOf(elem->kind)) {
    case ArrayEntry::Object:
      s.length = v.objects.size();
      break;
    case ArrayEntry::Variant:
      s.length = v.variants.size();
      break;
    case ArrayEntry::String:
      s.length = v.strings.size();
      break;
    case ArrayEntry::Float:
      s.length = v.floats.size();
      break;
    case ArrayEntry::Ordinal:
      s.length = v.ords.size();
      break;
  }
  // Simple entries, as in PropertyArray.
  s.value = [&v, held = ArrayEntryOf(elem->kind)](size_t i) -> NativeValue {
    switch (held) {
      case ArrayEntry::Float:
        return v.floats[i];
      case ArrayEntry::String:
        return v.strings[i];
      case ArrayEntry::Object:
      case ArrayEntry::Variant:
      case ArrayEntry::Ordinal:
        break;
    }
    return v.ords[i];
  };
  s.object = [&v](size_t i) -> const TRemotable* { return v.objects[i].get(); };
  s.variant = [&v](size_t i) -> const Variant& { return v.variants[i]; };
  return s;
}

class EnvelopeWriter {
 public:
  EnvelopeWriter(TSOAPConvertOptions options) : options_(options) {}

  // The envelope of the call as a document. Texts of the arguments may be
  // held by reference: the arguments must outlive the document.
  OutputDocument Write(const TIntfMetaData& intf, int meth_num, const TInvContext& ctx) &&;

 private:
  friend class ObjectWriterContext;

  void WriteParameter(Element wrapper, const ParamInfo& param, const InvArg& arg,
                      std::string_view name, std::string_view ns, uint32_t flags);
  // Writes an object (or its null element) named `name` in `ns` under
  // `parent`, declared as `declared`.
  void WriteObject(Element parent, std::string_view name, std::string_view ns,
                   const TRemotable* obj, const ClassInfo& declared, bool child_ns_from_class,
                   std::string_view child_ns, uint32_t oco);
  Element ObjInstanceToSOAP(const TRemotable& obj, Element parent, std::string_view name,
                            std::string_view ns, std::string_view child_ns,
                            const ClassInfo& declared, uint32_t oco,
                            const std::string_view* value_text);
  void WriteTypeAttribute(Element el, const ClassInfo& cls);
  void WriteProperties(const TRemotable& obj, Element el, std::string_view child_ns, uint32_t oco);
  void WriteProperty(const TRemotable& obj, const WireProperty& wire, Element el,
                     std::string_view child_ns, bool multi_ns, SerializationOptions so,
                     uint32_t oco);
  void WriteAttribute(Element el, const PropInfo& prop, const std::string& xml_name,
                      const std::string* ns_option, const std::string& text,
                      SerializationOptions so);
  // `item_name` and `item_ns` are the options registered for the property,
  // if any.
  void WriteArray(Element parent, std::string_view name, std::string_view ns, const TypeInfo* type,
                  const ArraySource& src, bool inline_array, const std::string* item_name,
                  const std::string* item_ns);
  void WriteVariant(Element parent, std::string_view name, std::string_view ns, const Variant& v);
  Element Scalar(Element parent, std::string_view name, std::string_view ns, std::string_view text);
  Element NilNode(Element parent, std::string_view name, std::string_view ns);
  Element NullNode(Element parent, std::string_view name);
  // What the registry answers about a class or type is asked once per
  // request, not once per object: a large invoice repeats a few classes
  // many times, and every registry call takes its mutex and scans its
  // entries. The answers cannot change in between, as the entries of a
  // type never change once it has one.
  struct ClassWire {
    std::shared_ptr<const WirePlan> plan;
    const XSDName* xsd = nullptr;  // the class's XML type name and namespace
    int several_namespaces = -1;   // -1: not asked yet
  };
  ClassWire& Wire(const ClassInfo& cls);
  // The registry's TypeInfoToXSD.
  const XSDName& XSDOf(const TypeInfo* type);
  const XSDName& XSDOf(const ClassInfo& cls);
  // Whether the class and its ancestors up to TRemotable are registered
  // under more than one namespace.
  bool HasSeveralNamespaces(const ClassInfo& cls);
  // The text of ordinal `ord` of an enumeration (its registered external
  // name), as the property route gives it.
  std::string_view EnumerationText(const TypeInfo* type, int64_t ord);

  TSOAPConvertOptions options_;
  OutputDocument doc_;
  Element body_;
  std::vector<const TRemotable*> writing_;  // objects being written: the cycle check
  std::unordered_map<const ClassInfo*, ClassWire> classes_;
  std::unordered_map<const TypeInfo*, XSDName> types_;
  std::unordered_map<const TypeInfo*, std::vector<std::string>> enums_;  // texts by ordinal
};

// What an object sees of the writer when it writes itself.
class ObjectWriterContext : public SoapObjectWriter {
 public:
  ObjectWriterContext(EnvelopeWriter& w, Element parent, std::string_view name, std::string_view ns,
                      std::string_view child_ns, const ClassInfo& declared, uint32_t oco)
      : w_(w),
        parent_(parent),
        name_(name),
        ns_(ns),
        child_ns_(child_ns),
        declared_(declared),
        oco_(oco) {}

  void WriteObjectInstance(const TRemotable& obj) override {
    w_.ObjInstanceToSOAP(obj, parent_, name_, ns_, child_ns_, declared_, oco_, nullptr);
  }
  void WriteValueText(const TRemotable& obj, std::string_view text) override {
    w_.ObjInstanceToSOAP(obj, parent_, name_, ns_, child_ns_, declared_,
                         oco_ | ocoDontSerializeProps, &text);
  }
  void WriteFragment(const TRemotable& obj, const xml::Node* node) override {
    const Element el = w_.ObjInstanceToSOAP(obj, parent_, name_, ns_, child_ns_, declared_,
                                            oco_ | ocoDontSerializeProps, nullptr);
    if (node != nullptr) w_.doc_.ImportNode(el, *node);
  }

 private:
  EnvelopeWriter& w_;
  Element parent_;
  std::string_view name_, ns_, child_ns_;
  const ClassInfo& declared_;
  uint32_t oco_;
};

OutputDocument EnvelopeWriter::Write(const TIntfMetaData& intf, int meth_num,
                                     const TInvContext& ctx) && {
  const TIntfMethEntry& meth = intf.MDA.at(static_cast<size_t>(meth_num));
  const InterfaceInfo& info = *intf.Info;
  const bool soap12 = options_.Has(TSOAPConvertOption::soSOAP12);
  const bool document = options_.Has(TSOAPConvertOption::soDocument);
  const std::string_view env_ns = soap12 ? kSoap12EnvelopeNS : kSoap11EnvelopeNS;

  Element envelope = doc_.AddElement(Element(), "SOAP-ENV:Envelope", env_ns);
  doc_.DeclareNamespace(envelope, "xsd", kXMLSchemaNS);
  doc_.DeclareNamespace(envelope, "xsi", kXMLSchemaInstanceNS);
  if (!document) doc_.DeclareNamespace(envelope, "SOAP-ENC", kSoapEncodingNS);
  body_ = doc_.AddElement(envelope, "SOAP-ENV:Body", env_ns);

  TInvokableClassRegistry& reg = InvRegistry();
  std::string op_ns = reg.GetNamespaceByGUID(info.guid);
  const auto minfo = reg.GetMethodInfo(info, meth.Name);
  std::string request_ns;
  if (IsOptionText(minfo.return_name) && GetRegInfo(minfo.return_name, "RequestNS", request_ns)) {
    op_ns = request_ns;
  }
  Element wrapper = body_;
  if (!(document && options_.Has(TSOAPConvertOption::soLiteralParams))) {
    wrapper = doc_.AddElement(body_, minfo.ext_name, op_ns);
  }
  for (size_t i = 0; i < meth.Params.size(); ++i) {
    const ParamInfo& param = meth.Params[i];
    const auto pinfo = reg.GetParamInfo(info, meth.Name, param.name);
    if (param.is_out || (pinfo.flags & IS_NOT_WRITTEN)) continue;
    std::string ns = op_ns;
    if (pinfo.flags & IS_UNQL) {
      ns.clear();
    } else if (pinfo.flags & IS_REF) {
      std::string opt;
      ns = GetRegInfo(pinfo.ns, "Namespace", opt) ? opt : pinfo.ns;
    }
    WriteParameter(wrapper, param, ctx.args.at(i), pinfo.ext_name, ns, pinfo.flags);
  }
  return std::move(doc_);
}

void EnvelopeWriter::WriteParameter(Element wrapper, const ParamInfo& param, const InvArg& arg,
                                    std::string_view name, std::string_view ns, uint32_t flags) {
  const TypeInfo* type = param.type;
  RemTypeRegistry().TypeInfoToXSD(type);  // every type that travels has an XML type
  switch (type->kind) {
    case TypeKind::Class:
      WriteObject(wrapper, name, ns, arg.object, *type->class_info, true, "", ocoDontPrefixNode);
      return;
    case TypeKind::DynArray: {
      static const ArrayValue kEmpty;
      const bool inline_array = (flags & IS_UNBD) || RemTypeRegistry().SerializeOptions(type).Has(
                                                         SerializationOption::xoInlineArrays);
      WriteArray(wrapper, name, ns, type, ArgumentArray(type, arg.array ? *arg.array : kEmpty),
                 inline_array, nullptr, nullptr);
      return;
    }
    case TypeKind::Variant: {
      const Variant* v = std::get_if<Variant>(&arg.value);
      WriteVariant(wrapper, name, ns, v ? *v : Variant());
      return;
    }
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
      throw ESOAPDomConvertError(
          FormatMessage("Datatype of TypeKind: %s not supported as argument for remote invocation",
                        {KindName(type->kind)}));
    case TypeKind::String:
      if (const auto* text = std::get_if<std::string>(&arg.value)) {
        // The argument outlives the writing: refer to it, don't copy it.
        doc_.SetTextRef(doc_.AddElement(wrapper, name, ns), *text);
        return;
      }
      Scalar(wrapper, name, ns, CastNativeToSoap(type, arg.value));
      return;
    case TypeKind::Unknown:
    case TypeKind::Integer:
    case TypeKind::Char:
    case TypeKind::Enumeration:
    case TypeKind::Float:
    case TypeKind::Int64:
    case TypeKind::ClassRef:
      Scalar(wrapper, name, ns, CastNativeToSoap(type, arg.value));
      return;
  }
}

void EnvelopeWriter::WriteObject(Element parent, std::string_view name, std::string_view ns,
                                 const TRemotable* obj, const ClassInfo& declared,
                                 bool child_ns_from_class, std::string_view child_ns,
                                 uint32_t oco) {
  if (obj == nullptr) {
    NullNode(parent, name);
    return;
  }
  if (child_ns_from_class) child_ns = XSDOf(obj->ClassType()).uri;
  if (std::find(writing_.begin(), writing_.end(), obj) != writing_.end()) {
    throw ESOAPDomConvertError(FormatMessage(
        "Must enable multiref output for objects when serializing a graph of objects - (%s)",
        {obj->ClassType().name}));
  }
  writing_.push_back(obj);
  struct Pop {
    std::vector<const TRemotable*>& v;
    ~Pop() { v.pop_back(); }
  } pop{writing_};
  ObjectWriterContext ctx(*this, parent, name, ns, child_ns, declared, oco);
  obj->ObjectToSOAP(ctx);
}

Element EnvelopeWriter::ObjInstanceToSOAP(const TRemotable& obj, Element parent,
                                          std::string_view name, std::string_view ns,
                                          std::string_view child_ns, const ClassInfo& declared,
                                          uint32_t oco, const std::string_view* value_text) {
  const ClassInfo& cls = obj.ClassType();
  const SerializationOptions so = Wire(cls).plan->options | obj.FSerializationOptions;
  Element el =
      so.Has(SerializationOption::xoHolderClass) ? parent : doc_.AddElement(parent, name, ns);
  if (!(oco & ocoDontPutTypeAttr) && !so.Has(SerializationOption::xoLiteralParam) &&
      &cls != &declared && cls.InheritsFrom(declared)) {
    WriteTypeAttribute(el, cls);
  }
  if (value_text != nullptr) {
    doc_.SetText(el, *value_text);
  } else if (!(oco & ocoDontSerializeProps)) {
    WriteProperties(obj, el, child_ns, oco);
  }
  return el;
}

void EnvelopeWriter::WriteTypeAttribute(Element el, const ClassInfo& cls) {
  const XSDName& xsd = XSDOf(cls);
  std::optional<std::string> prefix = doc_.FindPrefix(el, xsd.uri);
  if (!prefix) {
    prefix = doc_.NewPrefix(el);
    doc_.DeclareNamespace(body_, *prefix, xsd.uri);
  }
  doc_.SetAttributeNS(el, "type", kXMLSchemaInstanceNS,
                      prefix->empty() ? xsd.name : *prefix + ":" + xsd.name);
}

EnvelopeWriter::ClassWire& EnvelopeWriter::Wire(const ClassInfo& cls) {
  auto [it, added] = classes_.try_emplace(&cls);
  if (added) it->second.plan = RemTypeRegistry().WirePlanOf(cls);
  return it->second;
}

const XSDName& EnvelopeWriter::XSDOf(const TypeInfo* type) {
  auto it = types_.find(type);
  if (it == types_.end()) it = types_.emplace(type, RemTypeRegistry().TypeInfoToXSD(type)).first;
  return it->second;
}

const XSDName& EnvelopeWriter::XSDOf(const ClassInfo& cls) {
  ClassWire& w = Wire(cls);
  if (w.xsd == nullptr) w.xsd = &XSDOf(cls.type_info);
  return *w.xsd;
}

bool EnvelopeWriter::HasSeveralNamespaces(const ClassInfo& cls) {
  ClassWire& w = Wire(cls);
  if (w.several_namespaces < 0) {
    w.several_namespaces = 0;
    const std::string& first = XSDOf(cls).uri;
    for (const ClassInfo* c = cls.parent; c != nullptr && c != &TRemotable::StaticClass();
         c = c->parent) {
      if (XSDOf(*c).uri != first) {
        w.several_namespaces = 1;
        break;
      }
    }
  }
  return w.several_namespaces == 1;
}

void EnvelopeWriter::WriteProperties(const TRemotable& obj, Element el, std::string_view child_ns,
                                     uint32_t oco) {
  const ClassInfo& cls = obj.ClassType();
  const WirePlan* plan = Wire(cls).plan.get();
  const SerializationOptions so = plan->options | obj.FSerializationOptions;
  if (so.Has(SerializationOption::xoSimpleTypeWrapper) && plan->props.size() == 1) {
    doc_.SetText(el, GetObjectPropAsText(obj, *plan->props.front().prop));
    return;
  }
  const bool multi_ns = HasSeveralNamespaces(cls);
  for (const WireProperty& w : plan->props) WriteProperty(obj, w, el, child_ns, multi_ns, so, oco);
}

void EnvelopeWriter::WriteProperty(const TRemotable& obj, const WireProperty& wire, Element el,
                                   std::string_view child_ns, bool multi_ns,
                                   SerializationOptions so, uint32_t oco) {
  const PropInfo& prop = *wire.prop;
  if ((prop.flags & IS_OPTN) && !prop.IsStored(obj)) return;
  if (prop.flags & IS_TEXT) {
    doc_.SetText(el, GetObjectPropAsText(obj, prop));
    return;
  }
  const std::string& xml_name = wire.xml_name;
  const std::string* ns_option = wire.ns_option ? &*wire.ns_option : nullptr;
  std::string_view ns;  // into the wire plan or the answers kept per request
  if (ns_option != nullptr) {
    ns = *ns_option;
  } else if (prop.flags & IS_UNQL) {
  } else if (prop.flags & IS_REF) {
    ns = XSDOf(prop.type).uri;
  } else if (multi_ns) {
    ns = XSDOf(*prop.declared_in).uri;
  } else {
    ns = child_ns;
  }
  const PropAccess& access = *prop.access;
  switch (prop.type->kind) {
    case TypeKind::Class: {
      const ClassInfo& declared = *prop.type->class_info;
      if (prop.IsAttribute()) {
        const TRemotable* v = access.GetObject(obj);
        if (v != nullptr) {
          WriteAttribute(el, prop, xml_name, ns_option, GetObjectPropAsText(obj, prop), so);
        }
        return;
      }
      const TRemotable* v = access.GetObject(obj);
      if (v == nullptr) {
        (prop.flags & IS_REF) ? NullNode(el, xml_name) : NilNode(el, xml_name, ns);
        return;
      }
      WriteObject(el, xml_name, ns, v, declared, false, XSDOf(declared).uri, oco);
      return;
    }
    case TypeKind::DynArray: {
      const bool inline_array = so.Has(SerializationOption::xoInlineArrays) || prop.IsUnbounded();
      WriteArray(el, xml_name, ns, prop.type, PropertyArray(obj, prop), inline_array,
                 wire.item_name_option ? &*wire.item_name_option : nullptr, ns_option);
      return;
    }
    case TypeKind::Variant:
      WriteVariant(el, xml_name, ns, access.GetVariant(obj));
      return;
    case TypeKind::Unknown:
    case TypeKind::Integer:
    case TypeKind::Char:
    case TypeKind::Enumeration:
    case TypeKind::Float:
    case TypeKind::String:
    case TypeKind::Set:
    case TypeKind::Method:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::Interface:
    case TypeKind::Int64:
    case TypeKind::ClassRef:
      if (prop.IsAttribute()) {
        WriteAttribute(el, prop, xml_name, ns_option, GetObjectPropAsText(obj, prop), so);
      } else if (prop.type->kind == TypeKind::String) {
        // A text is its own text form. A large one (an invoice) is referred
        // to rather than copied; the object outlives the writing. Short ones
        // are copied: a reference costs more than the copy.
        const std::string& text = access.GetString(obj);
        const Element text_el = doc_.AddElement(el, xml_name, ns);
        if (text.size() >= kTextRefMinSize) {
          doc_.SetTextRef(text_el, text);
        } else {
          doc_.SetText(text_el, text);
        }
      } else if (prop.type->kind == TypeKind::Enumeration) {
        Scalar(el, xml_name, ns, EnumerationText(prop.type, access.GetOrd(obj)));
      } else {
        Scalar(el, xml_name, ns, GetObjectPropAsText(obj, prop));
      }
      return;
  }
}

std::string_view EnvelopeWriter::EnumerationText(const TypeInfo* type, int64_t ord) {
  if (type->IsBoolean()) return ord != 0 ? "true" : "false";
  auto [it, added] = enums_.try_emplace(type);
  std::vector<std::string>& texts = it->second;
  if (added) {
    texts.reserve(type->identifiers.size());
    for (size_t i = 0; i < type->identifiers.size(); ++i) {
      texts.push_back(CastNativeToSoap(type, NativeValue(static_cast<int64_t>(i))));
    }
  }
  return ord >= 0 && static_cast<uint64_t>(ord) < texts.size() ? texts[static_cast<size_t>(ord)]
                                                               : std::string_view();
}

void EnvelopeWriter::WriteAttribute(Element el, const PropInfo& prop, const std::string& xml_name,
                                    const std::string* ns_option, const std::string& text,
                                    SerializationOptions so) {
  Element target = el;
  if (so.Has(SerializationOption::xoAttributeOnLastMember)) {
    if (const Element last = doc_.LastElementChild(el)) target = last;
  }
  std::string ns;
  if (ns_option != nullptr) {
    ns = *ns_option;
  } else if (prop.flags & IS_QUAL) {
    ns = XSDOf(*prop.declared_in).uri;
  }
  if (ns.empty()) {
    doc_.SetAttribute(target, xml_name, text);
    return;
  }
  // An attribute needs a prefixed declaration; a default one does not do.
  if (const auto prefix = doc_.FindPrefix(target, ns); !prefix || prefix->empty()) {
    doc_.DeclareNamespace(body_, doc_.NewPrefix(target), ns);
  }
  doc_.SetAttributeNS(target, xml_name, ns, text);
}

void EnvelopeWriter::WriteArray(Element parent, std::string_view name, std::string_view ns,
                                const TypeInfo* type, const ArraySource& src, bool inline_array,
                                const std::string* item_name_option,
                                const std::string* item_ns_option) {
  const TypeInfo* elem = type->element;
  if (type->IsByteArray()) {
    if (src.bytes != nullptr && !src.bytes->empty()) {
      Scalar(parent, name, ns, EncodeBase64(*src.bytes));
    } else {
      NullNode(parent, name);
    }
    return;
  }
  std::string_view item_name = XSDOf(elem).name;
  std::string_view item_ns = ns;
  Element container = parent;
  if (inline_array) {
    item_name = name;
  } else {
    container = doc_.AddElement(parent, name, ns);
    if (item_name_option != nullptr) item_name = *item_name_option;
    if (item_ns_option != nullptr) item_ns = *item_ns_option;
  }
  for (size_t i = 0; i < src.length; ++i) {
    switch (ArrayEntryOf(elem->kind)) {
      case ArrayEntry::Object:
        WriteObject(container, item_name, item_ns, src.object(i), *elem->class_info, true, "",
                    ocoDontPrefixNode);
        break;
      case ArrayEntry::Variant:
        WriteVariant(container, item_name, item_ns, src.variant(i));
        break;
      case ArrayEntry::Float:
      case ArrayEntry::String:
      case ArrayEntry::Ordinal:
        Scalar(container, item_name, item_ns, CastNativeToSoap(elem, src.value(i)));
        break;
    }
  }
}

void EnvelopeWriter::WriteVariant(Element parent, std::string_view name, std::string_view ns,
                                  const Variant& v) {
  if (v.IsNil()) {
    NullNode(parent, name);
  } else if (v.kind() == Variant::Kind::Array) {
    Element el = doc_.AddElement(parent, name, ns);
    for (const Variant& item : v.AsArray()) WriteVariant(el, "item", ns, item);
  } else {
    Scalar(parent, name, ns, CastNativeToSoap(VariantTypeInfo(), v));
  }
}

Element EnvelopeWriter::Scalar(Element parent, std::string_view name, std::string_view ns,
                               std::string_view text) {
  Element el = doc_.AddElement(parent, name, ns);
  doc_.SetText(el, text);
  return el;
}

Element EnvelopeWriter::NilNode(Element parent, std::string_view name, std::string_view ns) {
  Element el = doc_.AddElement(parent, name, ns);
  doc_.SetAttributeNS(el, "nil", kXMLSchemaInstanceNS, "true");
  return el;
}

Element EnvelopeWriter::NullNode(Element parent, std::string_view name) {
  return NilNode(parent, name, "");
}

}  // namespace

std::string TOPToSoapDomConvert::InvContextToMsg(const TIntfMetaData& intf, int meth_num,
                                                 const TInvContext& ctx) {
  return EnvelopeWriter(Options).Write(intf, meth_num, ctx).Serialize();
}

std::unique_ptr<ByteSource> TOPToSoapDomConvert::InvContextToStream(const TIntfMetaData& intf,
                                                                    int meth_num,
                                                                    const TInvContext& ctx) {
  return xml::MarkupSource(EnvelopeWriter(Options).Write(intf, meth_num, ctx));
}

}  // namespace vorn
