#include "cli/cli_errors.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <typeinfo>

namespace vorn {
namespace {

// The readable name of a C++ type ("std::length_error").
std::string TypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

}  // namespace

EUnexpectedError CurrentError() {
  try {
    throw;
  } catch (const Exception& e) {
    return EUnexpectedError(e.ClassName(), e.Message());
  } catch (const std::bad_alloc&) {
    const EOutOfMemory e;
    return EUnexpectedError(e.ClassName(), e.Message());
  } catch (const std::exception& e) {
    return EUnexpectedError(TypeName(typeid(e)), e.what());
  } catch (...) {
    return EUnexpectedError("Exception", "Unknown exception");
  }
}

std::string CurrentErrorReport() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Report();
  } catch (...) {
    return CurrentError().Report();
  }
}

}  // namespace vorn
