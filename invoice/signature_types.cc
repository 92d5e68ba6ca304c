#include "invoice/signature_types.h"

namespace vorn {

// clang-format off
VORN_DESCRIBE(SignatureType2, kInvoiceUnit,
              VORN_FIELD(idField, IS_NLBL),
              VORN_FIELD(keyInfoField, IS_NLBL),
              VORN_ARRAY(objectField, "ObjectType", IS_NLBL),
              VORN_FIELD(signatureValueField, IS_NLBL),
              VORN_FIELD(signedInfoField, IS_NLBL));

VORN_DESCRIBE(SignedInfoType2, kInvoiceUnit,
              VORN_FIELD(canonicalizationMethodField, IS_NLBL),
              VORN_FIELD(idField, IS_NLBL),
              VORN_ARRAY(referenceField, "ReferenceType", IS_NLBL),
              VORN_FIELD(signatureMethodField, IS_NLBL));

VORN_DESCRIBE(CanonicalizationMethodType2, kInvoiceUnit,
              VORN_FIELD(algorithmField, IS_NLBL),
              VORN_FIELD(anyField, IS_NLBL));

VORN_DESCRIBE(SignatureMethodType2, kInvoiceUnit,
              VORN_FIELD(algorithmField, IS_NLBL),
              VORN_FIELD(anyField, IS_NLBL),
              VORN_FIELD(hMACOutputLengthField, IS_NLBL));

VORN_DESCRIBE(DigestMethodType2, kInvoiceUnit,
              VORN_FIELD(algorithmField, IS_NLBL),
              VORN_FIELD(anyField, IS_NLBL));

VORN_DESCRIBE(ReferenceType2, kInvoiceUnit,
              VORN_FIELD(digestMethodField, IS_NLBL),
              VORN_FIELD(digestValueField, IS_NLBL),
              VORN_FIELD(idField, IS_NLBL),
              VORN_ARRAY(transformsField, "TransformType", IS_NLBL),
              VORN_FIELD(typeField, IS_NLBL),
              VORN_FIELD(uRIField, IS_NLBL));

VORN_DESCRIBE(TransformType2, kInvoiceUnit,
              VORN_FIELD(algorithmField, IS_NLBL),
              VORN_ARRAY(itemsField, "anyType", IS_NLBL),
              VORN_ARRAY(textField, "string", IS_NLBL));

VORN_DESCRIBE(SignatureValueType2, kInvoiceUnit,
              VORN_FIELD(idField, IS_NLBL),
              VORN_FIELD(valueField, IS_NLBL));

VORN_DESCRIBE(KeyInfoType2, kInvoiceUnit,
              VORN_FIELD(idField, IS_NLBL),
              VORN_ARRAY(itemsElementNameField, "ItemsChoiceType4", IS_NLBL),
              VORN_ARRAY(itemsField, "anyType", IS_NLBL),
              VORN_ARRAY(textField, "string", IS_NLBL));

VORN_DESCRIBE(ObjectType2, kInvoiceUnit,
              VORN_FIELD(anyField, IS_NLBL),
              VORN_FIELD(encodingField, IS_NLBL),
              VORN_FIELD(idField, IS_NLBL),
              VORN_FIELD(mimeTypeField, IS_NLBL));
// clang-format on

}  // namespace vorn
