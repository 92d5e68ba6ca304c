// vorn username password file [PA [InviaSdi [CodiceTrasmittente [ProgressivoInvio]]]]
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/driver.h"
#include "service/service.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // A closed standard output must surface as a write error, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  vorn::RegisterServiceContract();

  const std::string program = argc > 0 ? argv[0] : "vorn";
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const char* env_url = std::getenv("VORN_URL");
  const std::string url = env_url != nullptr ? env_url : "";

  vorn::Console out(1);
  int status;
  try {
    status =
        vorn::RunDriver(std::move(args), out, [&url] { return vorn::GetIService(false, url); });
    out.Flush();
  } catch (const vorn::Exception& e) {
    // The report itself could not be written.
    vorn::WriteFatalDiagnostic(2, e, program);
    return vorn::kExitError;
  }
  return status;
}
