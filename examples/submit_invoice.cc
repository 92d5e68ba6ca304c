// The smallest client of the vorn library: sends one invoice file to a hub
// and prints the answer.
//
//   submit_invoice URL USERNAME PASSWORD INVOICE
//
// Prints "accepted", or "rejected" and the hub's errors, one per line.
// Exit status: 0 accepted, 3 rejected, 1 an error, 2 wrong usage.
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "base/exception.h"
#include "service/service.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: submit_invoice URL USERNAME PASSWORD INVOICE\n";
    return 2;
  }
  std::ifstream file(argv[4], std::ios::binary);
  if (!file) {
    std::cerr << "cannot read " << argv[4] << "\n";
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  try {
    vorn::RegisterServiceContract();
    auto request = std::make_unique<vorn::InviaDocumentoRawRequest2>();
    request->SetUsername(argv[2]);
    request->SetPassword(argv[3]);
    request->SetDocumento(text);
    vorn::InterfacePtr<vorn::IService> service = vorn::GetIService(false, argv[1]);
    const std::unique_ptr<vorn::InviaDocumentoResponse2> response =
        service->InviaDocumentoRaw(request.get());
    if (response == nullptr) {
      std::cerr << "the reply held no result\n";
      return 1;
    }
    if (response->Success()) {
      std::cout << "accepted\n";
      return 0;
    }
    std::cout << "rejected\n";
    for (const std::string& error : response->Errors()) std::cout << error << "\n";
    return 3;
  } catch (const vorn::Exception& e) {
    std::cerr << e.Report() << "\n";
    return 1;
  }
}
