// The XML signature of an invoice. Four classes hold an open slot for any
// XML (TXMLData); KeyInfoType2 and TransformType2 hold lists of untyped
// values beside lists that name their elements.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "invoice/code_lists.h"
#include "service/registry/class_table.h"
#include "service/registry/variant.h"
#include "service/registry/xml_data.h"

namespace vorn {

class KeyInfoType2 : public TRemotable {
  VORN_TYPE_CLASS(KeyInfoType2);
  std::string idField;
  ArrayOfItemsChoiceType4 itemsElementNameField;
  ArrayOfanyType itemsField;
  ArrayOfstring textField;
};
using KeyInfoType = ElementForm<KeyInfoType2>;

class ObjectType2 : public TRemotable {
  VORN_TYPE_CLASS(ObjectType2);
  Owned<TXMLData> anyField;
  std::string encodingField;
  std::string idField;
  std::string mimeTypeField;
};
using ObjectType = ElementForm<ObjectType2>;
VORN_ARRAY_TYPE(ArrayOfObjectType, std::unique_ptr<ObjectType2>, kInvoiceUnit);

class SignatureValueType2 : public TRemotable {
  VORN_TYPE_CLASS(SignatureValueType2);
  std::string idField;
  TByteDynArray valueField;
};
using SignatureValueType = ElementForm<SignatureValueType2>;

class CanonicalizationMethodType2 : public TRemotable {
  VORN_TYPE_CLASS(CanonicalizationMethodType2);
  std::string algorithmField;
  Owned<TXMLData> anyField;
};
using CanonicalizationMethodType = ElementForm<CanonicalizationMethodType2>;

class DigestMethodType2 : public TRemotable {
  VORN_TYPE_CLASS(DigestMethodType2);
  std::string algorithmField;
  Owned<TXMLData> anyField;
};
using DigestMethodType = ElementForm<DigestMethodType2>;

class TransformType2 : public TRemotable {
  VORN_TYPE_CLASS(TransformType2);
  std::string algorithmField;
  ArrayOfanyType itemsField;
  ArrayOfstring textField;
};
using TransformType = ElementForm<TransformType2>;
VORN_ARRAY_TYPE(ArrayOfTransformType, std::unique_ptr<TransformType2>, kInvoiceUnit);

class ReferenceType2 : public TRemotable {
  VORN_TYPE_CLASS(ReferenceType2);
  Owned<DigestMethodType2> digestMethodField;
  TByteDynArray digestValueField;
  std::string idField;
  ArrayOfTransformType transformsField;
  std::string typeField;
  std::string uRIField;
};
using ReferenceType = ElementForm<ReferenceType2>;
VORN_ARRAY_TYPE(ArrayOfReferenceType, std::unique_ptr<ReferenceType2>, kInvoiceUnit);

class SignatureMethodType2 : public TRemotable {
  VORN_TYPE_CLASS(SignatureMethodType2);
  std::string algorithmField;
  Owned<TXMLData> anyField;
  std::string hMACOutputLengthField;
};
using SignatureMethodType = ElementForm<SignatureMethodType2>;

class SignedInfoType2 : public TRemotable {
  VORN_TYPE_CLASS(SignedInfoType2);
  Owned<CanonicalizationMethodType2> canonicalizationMethodField;
  std::string idField;
  ArrayOfReferenceType referenceField;
  Owned<SignatureMethodType2> signatureMethodField;
};
using SignedInfoType = ElementForm<SignedInfoType2>;

class SignatureType2 : public TRemotable {
  VORN_TYPE_CLASS(SignatureType2);
  std::string idField;
  Owned<KeyInfoType2> keyInfoField;
  ArrayOfObjectType objectField;
  Owned<SignatureValueType2> signatureValueField;
  Owned<SignedInfoType2> signedInfoField;
};
using SignatureType = ElementForm<SignatureType2>;

}  // namespace vorn
