// The generic walk over property descriptors, on a small invoice-shaped
// class pair held in data members: nested objects, value classes, wrapped
// arrays, enumerations, nil objects, type attributes and cycles, written and
// read back through the same descriptors.
#include <gtest/gtest.h>

#include <array>

#include "service/registry/class_table.h"
#include "service/registry/invoke_registry.h"
#include "service/registry/type_registry.h"
#include "service/registry/xml_data.h"
#include "service/registry/xs_datetime.h"
#include "service/registry/xs_decimal.h"
#include "soap/converter.h"
#include "soap/soap_errors.h"
#include "soap/xml/xml_document.h"

namespace vorn {

enum class TipoRiga { SC, PR, AB };

template <>
struct EnumTraits<TipoRiga> {
  static constexpr std::string_view kName = "TipoRiga";
  static constexpr std::string_view kUnit = "WalkTest";
  static constexpr std::array<std::string_view, 3> kIdentifiers = {"SC", "PR", "AB"};
};

class RigaType2 : public TRemotable {
  VORN_TYPE_CLASS(RigaType2);
  std::string descrizioneField;
  Owned<TXSDecimal> prezzoField;
  TipoRiga tipoField = TipoRiga::SC;
};
using RigaType = ElementForm<RigaType2>;

template <>
struct DynArrayTraits<std::unique_ptr<RigaType2>> {
  static constexpr std::string_view kName = "ArrayOfRigaType";
  static constexpr std::string_view kUnit = "WalkTest";
};

class DocType2 : public TRemotable {
  VORN_TYPE_CLASS(DocType2);
  Owned<TXMLData> anyField;
  std::vector<std::string> causaleField;
  Owned<TXSDateTime> dataField;
  Owned<TXSDecimal> importoField;
  std::vector<std::unique_ptr<RigaType2>> lineeField;
  Owned<DocType2> precedenteField;
  bool urgenteField = false;
  ArrayOfanyType valoriField;
};
using DocType = ElementForm<DocType2>;

// clang-format off
VORN_DESCRIBE(RigaType2, "WalkTest",
              VORN_FIELD(descrizioneField, IS_NLBL),
              VORN_FIELD(prezzoField, IS_NLBL),
              VORN_FIELD(tipoField));

VORN_DESCRIBE(DocType2, "WalkTest",
              VORN_FIELD(anyField, IS_NLBL),
              VORN_ARRAY(causaleField, "string", IS_NLBL),
              VORN_FIELD(dataField, IS_NLBL),
              VORN_FIELD(importoField, IS_NLBL),
              VORN_ARRAY(lineeField, "RigaType", IS_NLBL),
              VORN_FIELD(precedenteField, IS_NLBL),
              VORN_FIELD(urgenteField),
              VORN_ARRAY(valoriField, "anyType", IS_NLBL));
// clang-format on

namespace {

constexpr std::string_view kInvNS = "urn:walk:invoice";
constexpr std::string_view kSvcNS = "urn:walk:svc";

const InterfaceInfo& WalkService() {
  static const InterfaceInfo info{
      .name = "IWalk",
      .unit = "WalkTest",
      .guid = Guid::Parse("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"),
      .methods = {{.name = "Send",
                   .params = {{.name = "doc", .type = TypeInfoOf<std::unique_ptr<DocType2>>()}},
                   .result = TypeInfoOf<std::unique_ptr<DocType2>>()}}};
  return info;
}

class ObjectWalk : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TInvokableClassRegistry& r = InvRegistry();
    r.RegisterInterface(WalkService(), kSvcNS);
    r.RegisterInvokeOptions(WalkService(), InvokeOption::ioDocument);
    r.RegisterMethodInfo(WalkService(), "Send", "", "[ReturnName=\"SendResult\"]");
    TRemotableTypeRegistry& t = RemTypeRegistry();
    t.RegisterXSInfo(TypeInfoOf<TipoRiga>(), kInvNS);
    RegisterClassPair<RigaType2>(t, kInvNS);
    RegisterClassPair<DocType2>(t, kInvNS);
  }

  ObjectWalk() { converter.Options.Add(TSOAPConvertOption::soDocument); }

  std::string Write(const DocType2* doc) {
    TInvContext ctx;
    ctx.method = intf.MDA[3];
    ctx.args = {InvArg{.object = doc}};
    return converter.InvContextToMsg(intf, 3, ctx);
  }

  // Reads the request's "doc" element back as the result of a reply.
  std::unique_ptr<DocType2> ReadBack(const std::string& request) {
    const xml::Document req = xml::Document::Parse(request);
    const xml::Node doc =
        req.DocumentElement().FirstElementChild().FirstElementChild().FirstElementChild();
    std::string inner = doc.Xml();
    inner.replace(1, 3, "SendResult");  // <doc ... -> <SendResult ...
    inner.replace(inner.size() - 4, 3, "SendResult");
    return ReadReply(inner);
  }

  // Reads `result` (a SendResult element) as the result of a reply.
  std::unique_ptr<DocType2> ReadReply(const std::string& send_result) {
    const std::string reply =
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:NS1=\"urn:walk:invoice\"><s:Body><SendResponse>" +
        send_result + "</SendResponse></s:Body></s:Envelope>";
    TInvContext ctx;
    ctx.method = intf.MDA[3];
    InvResult result;
    ctx.result = &result;
    converter.ProcessResponse(reply, intf, ctx.method, ctx);
    return std::unique_ptr<DocType2>(static_cast<DocType2*>(result.object.release()));
  }

  static std::unique_ptr<DocType2> Sample() {
    auto doc = std::make_unique<DocType2>();
    doc->causaleField = {"Fornitura", "caffè"};
    doc->dataField.Set(std::make_unique<TXSDateTime>());
    doc->dataField->XSToNative("2026-12-01");
    doc->importoField.Set(std::make_unique<TXSDecimal>());
    doc->importoField->DecimalString = "183.00";
    for (auto [d, p, t] : {std::tuple{"Miscela", "12.50", TipoRiga::PR},
                           std::tuple{"Tazzine", "1.0417", TipoRiga::AB}}) {
      auto riga = std::make_unique<RigaType2>();
      riga->descrizioneField = d;
      riga->prezzoField.Set(std::make_unique<TXSDecimal>());
      riga->prezzoField->DecimalString = p;
      riga->tipoField = t;
      doc->lineeField.push_back(std::move(riga));
    }
    doc->urgenteField = true;
    return doc;
  }

  TIntfMetaData intf = TIntfMetaData::FromInterface(WalkService());
  TOPToSoapDomConvert converter;
};

TEST_F(ObjectWalk, WritesEveryKindThroughTheDescriptors) {
  const auto doc = Sample();
  const std::string bytes = Write(doc.get());
  const std::string inv = " xmlns=\"urn:walk:invoice\"";
  EXPECT_NE(bytes.find("<doc><anyField" + inv + " xsi:nil=\"true\"/><causaleField" + inv +
                       "><string>Fornitura</string><string>caffè"
                       "</string></causaleField><dataField" +
                       inv +
                       ">2026-12-01</dataField>"
                       "<importoField" +
                       inv + ">183.00</importoField><lineeField" + inv +
                       ">"
                       "<RigaType><descrizioneField>Miscela</descrizioneField><prezzoField>"
                       "12.50</prezzoField><tipoField>PR</tipoField></RigaType><RigaType>"),
            std::string::npos)
      << bytes;
  // A null object property is a nil element in its namespace.
  EXPECT_NE(bytes.find("<precedenteField" + inv + " xsi:nil=\"true\"/><urgenteField" + inv +
                       ">true</urgenteField><valoriField" + inv + "/></doc>"),
            std::string::npos)
      << bytes;
}

TEST_F(ObjectWalk, ReadsBackWhatItWrote) {
  const auto doc = Sample();
  auto back = ReadBack(Write(doc.get()));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->causaleField, doc->causaleField);
  EXPECT_EQ(back->dataField->NativeToXS(), "2026-12-01");
  EXPECT_EQ(back->importoField->AsBcd(), doc->importoField->AsBcd());
  ASSERT_EQ(back->lineeField.size(), 2u);
  EXPECT_EQ(back->lineeField[1]->descrizioneField, "Tazzine");
  EXPECT_EQ(back->lineeField[1]->prezzoField->DecimalString, "1.0417");
  EXPECT_EQ(back->lineeField[1]->tipoField, TipoRiga::AB);
  EXPECT_EQ(back->precedenteField, nullptr);
  EXPECT_TRUE(back->urgenteField);
}

TEST_F(ObjectWalk, ElementFormGetsATypeAttributeInTheNamespaceInScope) {
  auto doc = std::make_unique<DocType2>();
  doc->precedenteField.Set(std::make_unique<DocType>());
  doc->precedenteField->causaleField = {"x"};
  const std::string bytes = Write(doc.get());
  // The element is in the class's namespace, declared as its default: the
  // type name needs no prefix, and nothing is declared on the body.
  EXPECT_NE(
      bytes.find("<precedenteField xmlns=\"urn:walk:invoice\" xsi:type=\"DocType\">"
                 "<anyField xsi:nil=\"true\"/><causaleField><string>x</string></causaleField>"),
      std::string::npos)
      << bytes;
  EXPECT_NE(bytes.find("<SOAP-ENV:Body>"), std::string::npos) << bytes;
  // Both classes answer to "DocType"; the reader takes the type class.
  auto back = ReadBack(bytes);
  ASSERT_NE(back->precedenteField, nullptr);
  EXPECT_EQ(&back->precedenteField->ClassType(), &DocType2::StaticClass());
  EXPECT_EQ(back->precedenteField->causaleField, std::vector<std::string>{"x"});
}

TEST_F(ObjectWalk, EmptyArrayIsAnEmptyWrapperAndNullEntryANilItem) {
  auto doc = std::make_unique<DocType2>();
  doc->lineeField.push_back(nullptr);
  const std::string bytes = Write(doc.get());
  EXPECT_NE(bytes.find("<causaleField xmlns=\"urn:walk:invoice\"/>"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("<RigaType xmlns=\"\" xsi:nil=\"true\"/>"), std::string::npos) << bytes;
  auto back = ReadBack(bytes);
  ASSERT_EQ(back->lineeField.size(), 1u);
  EXPECT_EQ(back->lineeField[0], nullptr);
}

TEST_F(ObjectWalk, ObjectHeldTwiceIsWrittenTwiceButACycleIsRefused) {
  auto doc = std::make_unique<DocType2>();
  auto* riga = new RigaType2;
  riga->descrizioneField = "twice";
  doc->lineeField.emplace_back(riga);
  doc->lineeField.emplace_back(riga);
  const std::string bytes = Write(doc.get());
  const size_t first = bytes.find(">twice<");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(bytes.find(">twice<", first + 1), std::string::npos) << bytes;
  (void)doc->lineeField.back().release();  // one owner only

  (void)doc->precedenteField.Set(std::unique_ptr<DocType2>(doc.get()));
  try {
    Write(doc.get());
    ADD_FAILURE();
  } catch (const ESOAPDomConvertError& e) {
    EXPECT_EQ(e.Message(),
              "Must enable multiref output for objects when serializing a graph of objects - "
              "(DocType2)");
  }
  (void)doc->precedenteField.Release().release();
}

TEST_F(ObjectWalk, FragmentIsCopiedIntoTheMessageAndBackIntoItsOwnDocument) {
  auto doc = std::make_unique<DocType2>();
  auto fragment = std::make_unique<TXMLData>();
  fragment->LoadFromXML(
      "<ds:Transform xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\" Algorithm=\"a&amp;b\" "
      "ds:Id=\"t1\">x<!--c--><ds:XPath>not(ancestor-or-self::ds:Signature)</ds:XPath></"
      "ds:Transform>");
  (void)doc->anyField.Set(std::move(fragment));
  const std::string bytes = Write(doc.get());
  EXPECT_NE(bytes.find("<anyField xmlns=\"urn:walk:invoice\"><ds:Transform "
                       "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\" Algorithm=\"a&amp;b\" "
                       "ds:Id=\"t1\">x<!--c--><ds:XPath>not(ancestor-or-self::ds:Signature)"
                       "</ds:XPath></ds:Transform></anyField>"),
            std::string::npos)
      << bytes;

  auto back = ReadBack(bytes);
  ASSERT_NE(back->anyField, nullptr);
  const xml::Node held = back->anyField->XMLNode();
  ASSERT_TRUE(held);
  EXPECT_EQ(held.LocalName(), "Transform");
  EXPECT_EQ(held.NamespaceURI(), "http://www.w3.org/2000/09/xmldsig#");
  // The copy stands alone: it declares the prefix that it uses.
  EXPECT_EQ(back->anyField->XML(), doc->anyField->XML());

  // An element with no child, or with several, leaves the holder as it was.
  auto empty = ReadBack(Write(std::make_unique<DocType2>().get()));
  EXPECT_EQ(empty->anyField, nullptr);  // nil: no holder made
}

TEST_F(ObjectWalk, VariantEntriesTakeTheirTypeFromOlderSchemaNamespacesToo) {
  auto doc = ReadReply(
      "<SendResult xmlns:old=\"http://www.w3.org/1999/XMLSchema-instance\"><valoriField "
      "xmlns=\"urn:walk:invoice\"><anyType old:type=\"xsd:dateTime\">2026-12-01T10:00:00"
      "</anyType><anyType xsi:type=\"xsd:dateTime\">2026-12-02</anyType><anyType>7</anyType>"
      "<anyType xsi:nil=\"true\"/></valoriField></SendResult>");
  ASSERT_EQ(doc->valoriField.size(), 4u);
  EXPECT_EQ(doc->valoriField[0], Variant::FromDateTime("2026-12-01T10:00:00"));
  EXPECT_EQ(doc->valoriField[1], Variant::FromDateTime("2026-12-02"));
  EXPECT_EQ(doc->valoriField[2], Variant::FromString("7"));
  EXPECT_EQ(doc->valoriField[3], Variant::Null());
}

}  // namespace
}  // namespace vorn
