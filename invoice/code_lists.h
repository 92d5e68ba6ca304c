// The code lists of the invoice model: each an enumeration of its own whose
// identifiers are its XML texts, in the listed order (not sorted: RF19 comes
// before RF18). The same text in two lists names two unrelated values. A new
// value holds ordinal 0, the list's first identifier.
#pragma once

#include <cstdint>
#include <vector>

#include "invoice/namespaces.h"
#include "service/registry/code_list.h"

namespace vorn {

// clang-format off
VORN_CODE_LIST(NaturaType, kInvoiceUnit, N1, N2, N3, N4, N5, N6, N7);
VORN_CODE_LIST(RitenutaType, kInvoiceUnit, SI);
VORN_CODE_LIST(EsigibilitaIVAType, kInvoiceUnit, D, I, S);
VORN_CODE_LIST(TipoCessionePrestazioneType, kInvoiceUnit, SC, PR, AB, AC);
VORN_CODE_LIST(TipoScontoMaggiorazioneType, kInvoiceUnit, SC, MG);
VORN_CODE_LIST(FormatoTrasmissioneType, kInvoiceUnit, FPA12, FPR12);
VORN_CODE_LIST(Art73Type, kInvoiceUnit, SI);
VORN_CODE_LIST(StatoLiquidazioneType, kInvoiceUnit, LS, LN);
VORN_CODE_LIST(SocioUnicoType, kInvoiceUnit, SU, SM);
VORN_CODE_LIST(ItemsChoiceType1, kInvoiceUnit, Cognome, Denominazione, Nome);
VORN_CODE_LIST(SoggettoEmittenteType, kInvoiceUnit, CC, TZ);
VORN_CODE_LIST(RegimeFiscaleType, kInvoiceUnit, RF01, RF02, RF04, RF05, RF06, RF07, RF08, RF09, RF10, RF11, RF12, RF13, RF14, RF15, RF16, RF17, RF19, RF18);
VORN_CODE_LIST(ItemsChoiceType4, kInvoiceUnit, Item, KeyName, KeyValue, MgmtData, PGPData, RetrievalMethod, SPKIData, X509Data);
VORN_CODE_LIST(TipoRitenutaType, kInvoiceUnit, RT01, RT02);
VORN_CODE_LIST(CausalePagamentoType, kInvoiceUnit, A, B, C, D, E, G, H, I, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z, L1, M1, O1, V1);
VORN_CODE_LIST(TipoCassaType, kInvoiceUnit, TC01, TC02, TC03, TC04, TC05, TC06, TC07, TC08, TC09, TC10, TC11, TC12, TC13, TC14, TC15, TC16, TC17, TC18, TC19, TC20, TC21, TC22);
VORN_CODE_LIST(BolloVirtualeType, kInvoiceUnit, SI);
VORN_CODE_LIST(TipoDocumentoType, kInvoiceUnit, TD01, TD02, TD03, TD04, TD05, TD06);
VORN_CODE_LIST(ModalitaPagamentoType, kInvoiceUnit, MP01, MP02, MP03, MP04, MP05, MP06, MP07, MP08, MP09, MP10, MP11, MP12, MP13, MP14, MP15, MP16, MP17, MP18, MP19, MP20, MP21, MP22);
VORN_CODE_LIST(ItemsChoiceType, kInvoiceUnit, Cognome, Denominazione, Nome);
VORN_CODE_LIST(CondizioniPagamentoType, kInvoiceUnit, TP01, TP02, TP03);
// clang-format on

// The lists that name the elements of the choice arrays.
VORN_ARRAY_TYPE(ArrayOfItemsChoiceType, ItemsChoiceType, kInvoiceUnit);
VORN_ARRAY_TYPE(ArrayOfItemsChoiceType1, ItemsChoiceType1, kInvoiceUnit);
VORN_ARRAY_TYPE(ArrayOfItemsChoiceType4, ItemsChoiceType4, kInvoiceUnit);

}  // namespace vorn
