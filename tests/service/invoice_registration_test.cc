// The invoice model as the service contract registers it: interleaved with
// the message types, and every code-list identifier through its text in
// both directions.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "invoice/namespaces.h"
#include "service/registry/type_registry.h"
#include "service/service.h"
#include "soap/value_text.h"

namespace vorn {
namespace {

const std::string kNs(kInvoiceSchemaNamespace);

std::vector<TRemRegEntry> ContractEntries() {
  RegisterServiceContract();
  return RemTypeRegistry().Entries();
}

size_t IndexOf(const std::vector<TRemRegEntry>& entries, const ClassInfo& cls) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].ClassType == &cls) return i;
  }
  ADD_FAILURE() << cls.name << " is not registered";
  return entries.size();
}

bool IsModelClass(const TRemRegEntry& e) { return e.URI == kNs && e.ClassType != nullptr; }

TEST(InvoiceRegistration, MessageTypesStandAmongTheModelsRegistrations) {
  const std::vector<TRemRegEntry> entries = ContractEntries();
  // The first two message classes follow the model's code lists, arrays and
  // first pair (the root's) directly.
  const size_t root_form = IndexOf(entries, FatturaElettronicaType::StaticClass());
  EXPECT_EQ(IndexOf(entries, FatturaElettronicaType2::StaticClass()) + 1, root_form);
  for (size_t i = 0; i < root_form; ++i) {
    if (IsModelClass(entries[i])) {
      EXPECT_EQ(i, root_form - 1) << entries[i].Name;
    }
  }
  EXPECT_EQ(IndexOf(entries, InviaDocumentoRequest2::StaticClass()), root_form + 1);
  EXPECT_EQ(IndexOf(entries, InviaDocumentoRawRequest2::StaticClass()), root_form + 2);

  // The response class, then the three element forms, each at a later place
  // among the model's registrations.
  const size_t response = IndexOf(entries, InviaDocumentoResponse2::StaticClass());
  const size_t raw_form = IndexOf(entries, InviaDocumentoRawRequest::StaticClass());
  EXPECT_EQ(IndexOf(entries, InviaDocumentoResponse::StaticClass()), raw_form + 1);
  EXPECT_EQ(IndexOf(entries, InviaDocumentoRequest::StaticClass()), raw_form + 2);
  const auto model_classes_between = [&](size_t from, size_t to) {
    size_t n = 0;
    for (size_t i = from + 1; i < to; ++i) n += IsModelClass(entries[i]);
    return n;
  };
  EXPECT_GT(model_classes_between(root_form + 2, response), 0u);
  EXPECT_GT(model_classes_between(response, raw_form), 0u);
  EXPECT_GT(model_classes_between(raw_form + 2, entries.size()), 0u);
  // The response's item name directly follows its class.
  const TRemRegEntry& r = entries[response];
  ASSERT_EQ(r.PropNameMap.size(), 1u);
  EXPECT_EQ(r.PropNameMap[0].Name, "Errors");

  // The model is registered once: 100 classes, and the item names of the
  // root's type class recorded once.
  size_t model_classes = 0;
  for (const TRemRegEntry& e : entries) {
    model_classes += IsModelClass(e) && e.ClassType != &TXMLData::StaticClass();
  }
  EXPECT_EQ(model_classes, 100u);
  EXPECT_EQ(entries[root_form - 1].PropNameMap.size(), 1u);
}

TEST(InvoiceRegistration, EveryCodeListIdentifierRoundTripsThroughItsText) {
  const std::map<std::string, size_t> sizes = {
      {"NaturaType", 7},
      {"RitenutaType", 1},
      {"EsigibilitaIVAType", 3},
      {"TipoCessionePrestazioneType", 4},
      {"TipoScontoMaggiorazioneType", 2},
      {"FormatoTrasmissioneType", 2},
      {"Art73Type", 1},
      {"StatoLiquidazioneType", 2},
      {"SocioUnicoType", 2},
      {"ItemsChoiceType1", 3},
      {"SoggettoEmittenteType", 2},
      {"RegimeFiscaleType", 18},
      {"ItemsChoiceType4", 8},
      {"TipoRitenutaType", 2},
      {"CausalePagamentoType", 27},
      {"TipoCassaType", 22},
      {"BolloVirtualeType", 1},
      {"TipoDocumentoType", 6},
      {"ModalitaPagamentoType", 22},
      {"ItemsChoiceType", 3},
      {"CondizioniPagamentoType", 3},
  };
  size_t lists = 0;
  for (const TRemRegEntry& e : ContractEntries()) {
    if (e.URI != kNs || e.Info->kind != TypeKind::Enumeration) continue;
    ++lists;
    const TypeInfo* t = e.Info;
    SCOPED_TRACE(std::string(t->name));
    ASSERT_TRUE(sizes.count(std::string(t->name)));
    EXPECT_EQ(t->identifiers.size(), sizes.at(std::string(t->name)));
    for (size_t i = 0; i < t->identifiers.size(); ++i) {
      const std::string text = CastNativeToSoap(t, int64_t(i));
      EXPECT_EQ(text, t->identifiers[i]);
      NativeValue back;
      ASSERT_TRUE(CastSoapToNative(t, text, false, back));
      EXPECT_EQ(std::get<int64_t>(back), int64_t(i)) << text;
    }
  }
  EXPECT_EQ(lists, 21u);

  // The listed order, not a sorted one, gives the ordinals.
  EXPECT_EQ(CastNativeToSoap(TypeInfoOf<RegimeFiscaleType>(), int64_t(16)), "RF19");
  EXPECT_EQ(CastNativeToSoap(TypeInfoOf<RegimeFiscaleType>(), int64_t(17)), "RF18");
  EXPECT_EQ(static_cast<int>(RegimeFiscaleType::RF19), 16);
  EXPECT_EQ(static_cast<int>(CausalePagamentoType::L1), 23);
  EXPECT_EQ(static_cast<int>(CausalePagamentoType::V1), 26);
}

// The writer and the reader use the property route: every code-list
// property of the model, with every identifier of its list.
TEST(InvoiceRegistration, EveryCodeListPropertyRoundTripsItsIdentifiers) {
  size_t properties = 0;
  for (const TRemRegEntry& e : ContractEntries()) {
    if (!IsModelClass(e) || e.ClassType->parent != &TRemotable::StaticClass()) continue;
    const ClassInfo& cls = *e.ClassType;
    if (&cls == &TXMLData::StaticClass()) continue;
    for (const PropInfo& p : cls.OwnProperties()) {
      if (p.type->kind != TypeKind::Enumeration || p.type->IsBoolean()) continue;
      ++properties;
      SCOPED_TRACE(std::string(cls.name) + "." + std::string(p.name));
      const std::unique_ptr<TRemotable> obj = cls.NewInstance();
      EXPECT_EQ(GetObjectPropAsText(*obj, p), p.type->identifiers[0]);  // a new value
      for (size_t i = p.type->identifiers.size(); i-- > 0;) {
        const std::string text(p.type->identifiers[i]);
        SetObjectPropFromText(*obj, p, text);
        EXPECT_EQ(p.access->GetOrd(*obj), int64_t(i));
        EXPECT_EQ(GetObjectPropAsText(*obj, p), text);
      }
    }
  }
  EXPECT_EQ(properties, 22u);
}

}  // namespace
}  // namespace vorn
