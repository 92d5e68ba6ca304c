// vorn [OPTION]... USERNAME PASSWORD INVOICE [PA [InviaSdi [CodiceTrasmittente
//      [ProgressivoInvio]]]]
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_errors.h"
#include "cli/console.h"
#include "cli/driver.h"
#include "cli/hub_binding.h"
#include "service/service.h"

int main(int argc, char** argv) {
  const std::string program = argc > 0 ? argv[0] : "vorn";
  try {
    std::setlocale(LC_ALL, "");
    // A closed standard output must surface as a write error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    vorn::RegisterServiceContract();

    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const char* env_url = std::getenv("VORN_URL");
    vorn::Console out(1);
    const vorn::DriverIo io{out, 0, 2, program, ""};
    return vorn::RunDriver(std::move(args), io,
                           vorn::HubService(env_url != nullptr ? env_url : ""));
  } catch (...) {
    // Only a failure before the driver runs comes here.
    vorn::WriteFatalDiagnostic(2, vorn::CurrentError(), program);
    return vorn::kExitError;
  }
}
