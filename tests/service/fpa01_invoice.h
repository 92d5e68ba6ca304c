// The official sample invoice IT01234567890_FPA01 (tests/data/fatturapa/)
// built in code as a model tree, for the envelope and end-to-end tests.
#pragma once

#include <memory>

#include "service/messages.h"

namespace vorn::test {

// The sample's whole content as a tree: one body with one line, no
// signature.
std::unique_ptr<FatturaElettronicaType2> Fpa01Invoice();

// An InviaDocumento request carrying Fpa01Invoice() with a user name and a
// password.
std::unique_ptr<InviaDocumentoRequest2> Fpa01Request();

}  // namespace vorn::test
