// The message classes: presence flags, descriptor lists and ownership.
#include <gtest/gtest.h>

#include "service/messages.h"

namespace vorn {
namespace {

struct Expected {
  std::string_view name;
  TypeKind kind;
  uint32_t flags;
};

void ExpectProperties(const ClassInfo& cls, const std::vector<Expected>& expected) {
  SCOPED_TRACE(std::string(cls.name));
  const PropList& props = cls.Properties();
  ASSERT_EQ(props.size(), expected.size());
  for (size_t i = 0; i < props.size(); ++i) {
    EXPECT_EQ(props[i].name, expected[i].name);
    EXPECT_EQ(props[i].type->kind, expected[i].kind) << props[i].name;
    EXPECT_EQ(props[i].flags, expected[i].flags) << props[i].name;
    EXPECT_EQ(props[i].stored, StoredKind::Function) << props[i].name;
    // The wire order is ascending order of the names.
    if (i > 0) {
      EXPECT_LT(props[i - 1].name, props[i].name);
    }
  }
}

constexpr uint32_t kOptNil = IS_OPTN | IS_NLBL;

TEST(Messages, DescriptorListsInWireOrder) {
  ExpectProperties(InviaDocumentoRawRequest2::StaticClass(),
                   {{"CodiceTrasmittente", TypeKind::String, kOptNil},
                    {"Documento", TypeKind::String, kOptNil},
                    {"DocumentoFirmato", TypeKind::DynArray, kOptNil},
                    {"Formato", TypeKind::String, kOptNil},
                    {"FormatoSdi", TypeKind::String, kOptNil},
                    {"InviaSdi", TypeKind::Enumeration, kOptNil},
                    {"NumeroDocumento", TypeKind::Integer, kOptNil},
                    {"Password", TypeKind::String, kOptNil},
                    {"ProgressivoInvio", TypeKind::Int64, kOptNil},
                    {"Sezionale", TypeKind::String, kOptNil},
                    {"Username", TypeKind::String, kOptNil}});
  ExpectProperties(InviaDocumentoRequest2::StaticClass(),
                   {{"CentroId", TypeKind::Integer, kOptNil},
                    {"Documento", TypeKind::Class, kOptNil},
                    {"DocumentoFirmato", TypeKind::DynArray, kOptNil},
                    {"InviaSdi", TypeKind::Enumeration, kOptNil},
                    {"NumeroDocumento", TypeKind::Integer, kOptNil},
                    {"Password", TypeKind::String, kOptNil},
                    {"Sezionale", TypeKind::String, kOptNil},
                    {"Username", TypeKind::String, kOptNil}});
  ExpectProperties(InviaDocumentoResponse2::StaticClass(),
                   {{"Errors", TypeKind::DynArray, kOptNil},
                    {"Filename", TypeKind::String, kOptNil},
                    {"Id", TypeKind::Integer, IS_OPTN},
                    {"Success", TypeKind::Enumeration, IS_OPTN},
                    {"Xml", TypeKind::String, kOptNil}});
  // Element forms add nothing.
  EXPECT_EQ(InviaDocumentoResponse::StaticClass().Properties().size(), 5u);
  EXPECT_EQ(InviaDocumentoResponse::StaticClass().parent, &InviaDocumentoResponse2::StaticClass());
}

TEST(Messages, SettersMarkPresenceThroughTheDescriptors) {
  InviaDocumentoRawRequest2 r;
  const PropList& props = r.ClassType().Properties();
  for (const PropInfo& p : props) EXPECT_FALSE(p.IsStored(r)) << p.name;
  r.SetFormato("");
  r.SetInviaSdi(false);
  r.SetProgressivoInvio(-1);
  for (const PropInfo& p : props) {
    const bool set = p.name == "Formato" || p.name == "InviaSdi" || p.name == "ProgressivoInvio";
    EXPECT_EQ(p.IsStored(r), set) << p.name;
  }
  // The codec writes through the same setters.
  const PropInfo& username = props.back();
  username.access->SetString(r, "mario");
  EXPECT_TRUE(r.Username_Specified());
  EXPECT_EQ(r.Username(), "mario");
  EXPECT_EQ(props[8].access->GetOrd(r), -1);  // ProgressivoInvio keeps 64 bits
}

TEST(Messages, ReplacingTheInvoiceHandsBackTheOldTree) {
  InviaDocumentoRequest2 r;
  EXPECT_EQ(r.SetDocumento(std::make_unique<FatturaElettronicaType2>()), nullptr);
  auto* second = new FatturaElettronicaType;
  auto first = r.SetDocumento(std::unique_ptr<FatturaElettronicaType2>(second));
  EXPECT_NE(first, nullptr);  // alive, and now the caller's
  EXPECT_EQ(r.Documento(), second);
  // Through the descriptor as well: the replaced object comes back.
  const PropInfo& documento = r.ClassType().Properties()[1];
  auto old = documento.access->SetObject(r, std::make_unique<FatturaElettronicaType2>());
  EXPECT_EQ(old.get(), second);
}

}  // namespace
}  // namespace vorn
