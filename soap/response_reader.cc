// The reply half of the converter: reply bytes become the call's result
// object, or the SOAP fault is raised as an exception.
#include <algorithm>
#include <cassert>
#include <optional>
#include <string>
#include <vector>

#include "base/text_util.h"
#include "service/registry/invoke_registry.h"
#include "service/registry/option_text.h"
#include "service/registry/type_registry.h"
#include "soap/base64.h"
#include "soap/converter.h"
#include "soap/soap_errors.h"
#include "soap/xml/reply_limits.h"
#include "soap/xml/xml_document.h"

namespace vorn {
namespace {

// The text of `node` that stands alone: a copy in a document of its own
// declares every namespace it uses, also those declared on its ancestors.
std::string StandaloneXml(xml::Node node) {
  xml::Document alone = xml::Document::New();
  return alone.ImportNode(alone.Root(), node).Xml();
}

using xml::Node;
using xml::NodeKind;

// Instance namespaces of earlier XML Schema drafts, tried for type attributes.
constexpr std::string_view kOlderInstanceNS[] = {
    "http://www.w3.org/1999/XMLSchema-instance",
    "http://www.w3.org/2000/10/XMLSchema-instance",
    "http://www.w3.org/2000/XMLSchema-instance",
};

bool IsTrueText(std::string_view v) { return v == "1" || EqualsIgnoreCase(v, "true"); }

// xsi:nil="true" (or "1"); for simple values also xsi:NULL.
bool IsNil(Node node, bool simple) {
  if (!node) return true;
  if (const auto v = node.GetAttribute("nil", kXMLSchemaInstanceNS); v && IsTrueText(*v)) {
    return true;
  }
  if (!simple) return false;
  const auto v = node.GetAttribute("NULL", kXMLSchemaInstanceNS);
  return v && IsTrueText(*v);
}

// Whitespace-only text between elements means nothing, whether or not the
// parser kept it (it keeps it under xml:space="preserve", or as an element's
// only content): the reader skips it everywhere.
bool IsBlankText(Node node) {
  if (node.Kind() != NodeKind::Text) return false;
  const std::string v = node.Value();
  return v.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Whether `node` has a child node other than blank text.
bool HasContent(Node node) {
  for (Node c : node.Children()) {
    if (!IsBlankText(c)) return true;
  }
  return false;
}

// The text of an entry of an array of simple values: its single text or
// CDATA child, or "" when it has none.
std::string SingleNodeText(Node node) {
  Node child = node.FirstChild();
  if (!child) return "";
  if (child.NextSibling() || (child.Kind() != NodeKind::Text && child.Kind() != NodeKind::CData)) {
    throw EXMLDocError(
        FormatMessage("Element \"%s\" does not contain a single text node", {node.Name()}));
  }
  return child.Value();
}

// The parts of a SOAP fault, taken from the reply's tree. The exception is
// made from them once the tree is gone: a fault's texts can be as large as
// the reply, and the tree holds them too.
struct FaultParts {
  bool message_is_detail = false;  // no reason text: the detail is the message
  std::string message, lang, code, node, role, actor, detail;
};

class ResponseReader {
 public:
  explicit ResponseReader(TSOAPConvertOptions options) : options_(options) {}

  void Read(std::string_view reply, const TIntfMetaData& intf, const TIntfMethEntry& method,
            TInvContext& ctx);

  std::unique_ptr<TRemotable> ReadObject(Node node, const ClassInfo& declared);
  void ReadObjectProperties(TRemotable& obj, Node node);

 private:
  void ProcessSuccess(Node msg, const TIntfMetaData& intf, const TIntfMethEntry& method,
                      TInvContext& ctx);
  FaultParts ReadFault(Node fault) const;
  // Reads the envelope; a fault is handed back rather than thrown.
  std::optional<FaultParts> ReadEnvelope(std::string_view reply, const TIntfMetaData& intf,
                                         const TIntfMethEntry& method, TInvContext& ctx);
  Node FindResultElement(Node msg, const InterfaceInfo& info, const std::string& return_name);
  void ReadResult(Node node, const TypeInfo* type, InvResult& result);
  ArrayValue ReadArray(Node node, const TypeInfo* type);
  Variant ReadVariant(Node node);
  // The value of the element's XML Schema instance type attribute.
  std::optional<std::string> TypeAttribute(Node node) const;
  const ClassInfo* TypeAttributeClass(Node node);

  TSOAPConvertOptions options_;
};

// What an object sees of the reader when it reads itself.
class ObjectReaderContext : public SoapObjectReader {
 public:
  ObjectReaderContext(ResponseReader& r, Node node) : r_(r), node_(node) {}
  void ReadObjectProperties(TRemotable& obj) override { r_.ReadObjectProperties(obj, node_); }
  std::string ElementText() override { return node_.Text(); }
  const Node* OnlyChild() override {
    only_ = node_.ChildCount() == 1 ? node_.FirstChild() : Node();
    return only_ ? &only_ : nullptr;
  }

 private:
  ResponseReader& r_;
  Node node_;
  Node only_;
};

// A fault's exception, built where it is thrown, never copied.
ERemotableException MakeFault(FaultParts f) {
  ERemotableException e(f.message_is_detail ? f.detail : std::move(f.message));
  e.FaultReasonLang = std::move(f.lang);
  e.FaultCode = std::move(f.code);
  e.FaultNode = std::move(f.node);
  e.FaultRole = std::move(f.role);
  e.FaultActor = std::move(f.actor);
  e.FaultDetail = std::move(f.detail);
  return e;
}

void ResponseReader::Read(std::string_view reply, const TIntfMetaData& intf,
                          const TIntfMethEntry& method, TInvContext& ctx) {
  if (std::optional<FaultParts> fault = ReadEnvelope(reply, intf, method, ctx)) {
    throw MakeFault(std::move(*fault));
  }
}

std::optional<FaultParts> ResponseReader::ReadEnvelope(std::string_view reply,
                                                       const TIntfMetaData& intf,
                                                       const TIntfMethEntry& method,
                                                       TInvContext& ctx) {
  // A reply that would cost the parser too much is refused before it is parsed.
  if (auto breach = xml::ReplyLimitBreach(reply)) throw ESOAPDomConvertError(*breach);
  const xml::Document doc = xml::Document::Parse(reply);
  const Node env = doc.DocumentElement();
  if (!env) throw ESOAPDomConvertError("Invalid SOAP Response");
  const std::string_view expected =
      options_.Has(TSOAPConvertOption::soSOAP12) ? kSoap12EnvelopeNS : kSoap11EnvelopeNS;
  const std::string env_ns = env.NamespaceURI();
  if (env.LocalName() != "Envelope" ||
      (env_ns != kSoap11EnvelopeNS && env_ns != kSoap12EnvelopeNS)) {
    throw ESOAPDomConvertError(FormatMessage("DocumentElement %s:%s expected, %s:%s found",
                                             {expected, "Envelope", env_ns, env.LocalName()}));
  }
  if (!HasContent(env)) throw ESOAPDomConvertError("Invalid SOAP request");
  bool seen_header = false;
  bool seen_body = false;
  for (Node child : env.Children()) {
    if (child.Kind() != NodeKind::Element) continue;
    const std::string name = child.LocalName();
    if (name == "Header") {
      if (seen_header) throw ESOAPDomConvertError("Invalid SOAP response");
      seen_header = true;  // no header classes are registered: nothing claims the entries
    } else if (name == "Body") {
      if (seen_body) throw ESOAPDomConvertError("Invalid SOAP response");
      seen_body = true;
      const Node msg = child.FirstElementChild();
      if (!msg) continue;
      if (msg.LocalName() == "Fault") return ReadFault(msg);
      ProcessSuccess(msg, intf, method, ctx);
    }
  }
  return std::nullopt;
}

Node ResponseReader::FindResultElement(Node msg, const InterfaceInfo& info,
                                       const std::string& return_name) {
  if (!return_name.empty()) {
    for (Node c : msg.Children()) {
      if (c.Kind() == NodeKind::Element && EqualsIgnoreCase(c.LocalName(), return_name)) {
        return c;
      }
    }
  }
  if (msg.FirstElementChild() && !msg.FirstElementChild().NextElementSibling()) {
    return msg.FirstElementChild();
  }
  const std::string names = InvRegistry().GetReturnParamNames(info);
  std::vector<std::string> list;
  size_t start = 0;
  for (size_t i = 0; i <= names.size(); ++i) {
    if (i == names.size() || names[i] == ';' || names[i] == ',') {
      if (i > start) list.push_back(names.substr(start, i - start));
      start = i + 1;
    }
  }
  for (Node c = msg.FirstElementChild(); c; c = c.NextElementSibling()) {
    for (const std::string& n : list) {
      if (EqualsIgnoreCase(c.LocalName(), n)) return c;
    }
  }
  return Node();
}

void ResponseReader::ProcessSuccess(Node msg, const TIntfMetaData& intf,
                                    const TIntfMethEntry& method, TInvContext& ctx) {
  const auto minfo = InvRegistry().GetMethodInfo(*intf.Info, method.Name);
  std::string return_name = minfo.return_name;
  if (IsOptionText(minfo.return_name)) {
    if (!GetRegInfo(minfo.return_name, "ReturnName", return_name)) return_name.clear();
  }
  const TypeInfo* result_type = method.ResultInfo;
  if (result_type == nullptr || ctx.result == nullptr) return;
  const bool class_or_variant =
      result_type->kind == TypeKind::Class || result_type->kind == TypeKind::Variant;
  const Node found = FindResultElement(msg, *intf.Info, return_name);
  if (!found) {
    if (class_or_variant) return;
    throw ESOAPDomConvertError(FormatMessage(
        "SOAP Response Packet: element matching function return not found, received \"%s\"",
        {msg.Xml()}));
  }
  ReadResult(found, result_type, *ctx.result);
}

void ResponseReader::ReadResult(Node node, const TypeInfo* type, InvResult& result) {
  switch (type->kind) {
    case TypeKind::Class:
      result.object = ReadObject(node, *type->class_info);
      break;
    case TypeKind::DynArray:
      result.array = ReadArray(node, type);
      break;
    case TypeKind::Variant:
      result.value = ReadVariant(node);
      break;
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
    case TypeKind::ClassRef: {
      // Kinds without a text form are refused by the conversion.
      NativeValue v;
      if (!CastSoapToNative(type, node.Text(), IsNil(node, true), v)) {
        throw ESOAPDomConvertError(FormatMessage("Type mismatch in parameter %s", {node.Name()}));
      }
      result.value = std::move(v);
      break;
    }
  }
  result.written = true;
}

std::optional<std::string> ResponseReader::TypeAttribute(Node node) const {
  if (auto value = node.GetAttribute("type", kXMLSchemaInstanceNS)) return value;
  if (options_.Has(TSOAPConvertOption::soTryAllSchema)) {
    for (std::string_view ns : kOlderInstanceNS) {
      if (auto value = node.GetAttribute("type", ns)) return value;
    }
  }
  return node.GetAttribute("type", "");
}

const ClassInfo* ResponseReader::TypeAttributeClass(Node node) {
  const std::optional<std::string> type = TypeAttribute(node);
  if (!type) return nullptr;
  const std::string& value = *type;
  std::string uri = node.NamespaceURI();
  std::string name = value;
  if (const size_t colon = value.find(':'); colon != std::string::npos) {
    uri = node.LookupNamespaceURI(value.substr(0, colon));
    name = value.substr(colon + 1);
  }
  return RemTypeRegistry().URIToClass(uri, name);
}

std::unique_ptr<TRemotable> ResponseReader::ReadObject(Node node, const ClassInfo& declared) {
  if (IsNil(node, false)) return nullptr;
  const ClassInfo* cls = &declared;
  if (const ClassInfo* typed = TypeAttributeClass(node);
      typed != nullptr && typed->InheritsFrom(declared) && typed->create != nullptr) {
    cls = typed;
  }
  if (cls->create == nullptr) return nullptr;
  std::unique_ptr<TRemotable> obj = cls->NewInstance();
  ObjectReaderContext ctx(*this, node);
  obj->SOAPToObject(ctx);
  return obj;
}

void ResponseReader::ReadObjectProperties(TRemotable& obj, Node node) {
  const ClassInfo& cls = obj.ClassType();
  const std::shared_ptr<const WirePlan> plan = RemTypeRegistry().WirePlanOf(cls);
  const SerializationOptions so = plan->options | obj.FSerializationOptions;
  if (so.Has(SerializationOption::xoSimpleTypeWrapper) && plan->props.size() == 1) {
    SetObjectPropFromText(obj, *plan->props.front().prop, node.Text());
    return;
  }
  std::vector<Node> children;
  for (Node c : node.Children()) {
    if (!IsBlankText(c)) children.push_back(c);
  }
  std::vector<bool> consumed(children.size(), false);

  for (const WireProperty& wire : plan->props) {
    const PropInfo& prop = *wire.prop;
    if (prop.flags & IS_TEXT) {
      SetObjectPropFromText(obj, prop, node.Text());
      if (children.size() == 1) consumed[0] = true;
      continue;
    }
    const std::string& xml_name = wire.xml_name;
    if (prop.IsAttribute()) {
      if (const auto value = node.GetAttribute(xml_name, ""))
        SetObjectPropFromText(obj, prop, *value);
      continue;
    }
    Node el;
    for (size_t i = 0; i < children.size(); ++i) {
      if (!consumed[i] && children[i].Kind() == NodeKind::Element &&
          children[i].LocalName() == xml_name) {
        consumed[i] = true;
        el = children[i];
        break;
      }
    }
    if (!el) continue;  // missing elements keep their initial values
    switch (prop.type->kind) {
      case TypeKind::Class:
        // A nil element leaves the property null and its setter uncalled.
        if (auto child = ReadObject(el, *prop.type->class_info)) {
          prop.access->SetObject(obj, std::move(child));
        }
        break;
      case TypeKind::DynArray:
        prop.access->SetArray(obj, ReadArray(el, prop.type));
        break;
      case TypeKind::Variant:
        prop.access->SetVariant(obj, ReadVariant(el));
        break;
      case TypeKind::Integer:
      case TypeKind::Int64:
      case TypeKind::Float:
        SetObjectPropFromText(obj, prop, IsNil(el, true) ? std::string("0") : el.Text());
        break;
      case TypeKind::Unknown:
      case TypeKind::Char:
      case TypeKind::Enumeration:
      case TypeKind::String:
      case TypeKind::Set:
      case TypeKind::Method:
      case TypeKind::Array:
      case TypeKind::Record:
      case TypeKind::Interface:
      case TypeKind::ClassRef:
        SetObjectPropFromText(obj, prop, IsNil(el, true) ? std::string() : el.Text());
        break;
    }
  }
}

ArrayValue ResponseReader::ReadArray(Node node, const TypeInfo* type) {
  ArrayValue out;
  if (type->IsByteArray()) {
    out.bytes = DecodeBase64(node.Text());
    return out;
  }
  const TypeInfo* elem = type->element;
  assert(elem != nullptr && "an array type names its element type");
  for (Node item = node.FirstElementChild(); item; item = item.NextElementSibling()) {
    switch (ArrayEntryOf(elem->kind)) {
      case ArrayEntry::Object:
        out.objects.push_back(ReadObject(item, *elem->class_info));
        break;
      case ArrayEntry::Variant:
        out.variants.push_back(ReadVariant(item));
        break;
      case ArrayEntry::Float:
      case ArrayEntry::String:
      case ArrayEntry::Ordinal: {
        NativeValue v;
        CastSoapToNative(elem, SingleNodeText(item), IsNil(item, true), v);
        if (auto* s = std::get_if<std::string>(&v)) {
          out.strings.push_back(std::move(*s));
        } else if (auto* d = std::get_if<double>(&v)) {
          out.floats.push_back(*d);
        } else if (auto* i = std::get_if<int64_t>(&v)) {
          out.ords.push_back(*i);
        } else if (elem->kind == TypeKind::String) {
          out.strings.emplace_back();
        } else if (elem->kind == TypeKind::Float) {
          out.floats.push_back(0);
        } else {
          out.ords.push_back(0);
        }
        break;
      }
    }
  }
  return out;
}

Variant ResponseReader::ReadVariant(Node node) {
  if (IsNil(node, true)) return Variant::Null();
  size_t children = 0;
  for (Node c : node.Children()) children += IsBlankText(c) ? 0 : 1;
  if (children >= 2) {
    std::vector<Variant> items;
    for (Node c = node.FirstElementChild(); c; c = c.NextElementSibling()) {
      items.push_back(ReadVariant(c));
    }
    return Variant::FromArray(std::move(items));
  }
  // The type attribute is looked for as for objects, older schema
  // namespaces included.
  if (const std::optional<std::string> type = TypeAttribute(node)) {
    const size_t colon = type->find(':');
    const std::string local = colon == std::string::npos ? *type : type->substr(colon + 1);
    if (local == "dateTime" || local == "date" || local == "time") {
      return Variant::FromDateTime(node.Text());
    }
  }
  return Variant::FromString(node.Text());
}

FaultParts ResponseReader::ReadFault(Node fault) const {
  const bool soap12 = options_.Has(TSOAPConvertOption::soSOAP12);
  Node code, reason, detail, actor, node_el, role;
  for (Node c = fault.FirstElementChild(); c; c = c.NextElementSibling()) {
    const std::string n = c.LocalName();
    if (soap12) {
      if (EqualsIgnoreCase(n, "Code")) code = c;
      if (EqualsIgnoreCase(n, "Reason")) reason = c;
      if (EqualsIgnoreCase(n, "Detail")) detail = c;
      if (EqualsIgnoreCase(n, "Node")) node_el = c;
      if (EqualsIgnoreCase(n, "Role")) role = c;
    } else {
      if (EqualsIgnoreCase(n, "faultcode")) code = c;
      if (EqualsIgnoreCase(n, "faultstring")) reason = c;
      if (EqualsIgnoreCase(n, "detail")) detail = c;
      if (EqualsIgnoreCase(n, "faultactor")) actor = c;
    }
  }
  // SOAP 1.1 has no language, node or role; SOAP 1.2 no actor.
  FaultParts f;
  if (reason && soap12) {
    for (Node t = reason.FirstElementChild(); t; t = t.NextElementSibling()) {
      if (EqualsIgnoreCase(t.LocalName(), "Text")) {
        f.message = SingleNodeText(t);
        f.lang = t.GetAttribute("lang", xml::kXmlNamespace).value_or("");
        break;
      }
    }
  } else if (reason) {
    f.message = SingleNodeText(reason);
  }
  if (detail) f.detail = StandaloneXml(detail);
  if (f.message.empty()) {
    if (detail) {
      f.message_is_detail = true;
    } else {
      f.message = fault.Xml();
    }
  }
  if (soap12) {
    if (code) f.code = code.Xml();
    if (node_el) f.node = node_el.Text();
    if (role) f.role = role.Text();
  } else {
    if (actor) f.actor = actor.Text();
    if (code) f.code = code.Text();
  }
  return f;
}

}  // namespace

void TOPToSoapDomConvert::ProcessResponse(std::string_view reply, const TIntfMetaData& intf,
                                          const TIntfMethEntry& method, TInvContext& ctx) {
  ResponseReader reader(Options);
  reader.Read(reply, intf, method, ctx);
}

}  // namespace vorn
