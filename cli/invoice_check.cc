#include "cli/invoice_check.h"

#include <algorithm>
#include <filesystem>

#include "cli/embedded_schemas.h"

namespace vorn {
namespace {

// Where the FatturaPA schema imports the signature schema from.
constexpr std::string_view kXmlDsigLocation =
    "http://www.w3.org/TR/2002/REC-xmldsig-core-20020212/xmldsig-core-schema.xsd";

std::string_view Embedded(std::string_view name) {
  for (const EmbeddedFile& file : EmbeddedSchemas()) {
    if (file.name == name) return file.bytes;
  }
  return {};
}

// Compiled once, at the first check.
const xml::Schema& FatturaPASchema() {
  static const xml::Schema schema =
      xml::Schema::Compile(Embedded("Schema_del_file_xml_FatturaPA_v1.2.2.xsd"),
                           {{std::string(kXmlDsigLocation), Embedded("xmldsig-core-schema.xsd")}});
  return schema;
}

bool IsAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The length of the run of letters and digits at the start of `s`.
size_t AlnumRun(std::string_view s) {
  return static_cast<size_t>(std::find_if_not(s.begin(), s.end(), IsAlnum) - s.begin());
}

constexpr xml::TextPosition kWholeFile{1, 1};

}  // namespace

bool FollowsNamingRule(std::string_view name) {
  constexpr std::string_view kExtension = ".xml";
  if (name.size() < 2 || !(name[0] >= 'A' && name[0] <= 'Z') ||
      !(name[1] >= 'A' && name[1] <= 'Z') || !name.ends_with(kExtension)) {
    return false;
  }
  name.remove_prefix(2);
  name.remove_suffix(kExtension.size());
  const size_t sender = AlnumRun(name);
  if (sender < 1 || sender > 28 || sender >= name.size() || name[sender] != '_') return false;
  const std::string_view progressive = name.substr(sender + 1);
  return !progressive.empty() && progressive.size() <= 5 &&
         AlnumRun(progressive) == progressive.size();
}

std::vector<xml::Finding> CheckInvoice(const std::string& path, std::string_view text,
                                       uint64_t file_size,
                                       std::optional<std::string_view> formato) {
  std::vector<xml::Finding> findings;
  const std::string name = std::filesystem::path(path).filename().string();
  if (!FollowsNamingRule(name)) {
    findings.push_back({kWholeFile, "The file name \"" + name +
                                        "\" does not follow the naming rule: country code, "
                                        "sender id, \"_\", a progressive of 1 to 5 letters or "
                                        "digits, \".xml\" (as in IT01234567890_FPA01.xml)"});
  }
  if (file_size > kMaxInvoiceBytes) {
    findings.push_back({kWholeFile, "The file is " + std::to_string(file_size) +
                                        " bytes long; at most " + std::to_string(kMaxInvoiceBytes) +
                                        " bytes (5 MiB) are accepted"});
  }
  const xml::CheckedDocument checked = FatturaPASchema().Check(text);
  findings.insert(findings.end(), checked.Findings().begin(), checked.Findings().end());

  const auto format =
      checked.Element({"FatturaElettronicaHeader", "DatiTrasmissione", "FormatoTrasmissione"});
  const auto version = checked.RootAttribute("versione");
  if (format && version && format->text != version->text) {
    findings.push_back({format->at, "FormatoTrasmissione " + format->text +
                                        " does not agree with the root element's versione " +
                                        version->text});
  }
  if (format && formato && format->text != *formato) {
    findings.push_back({format->at, "FormatoTrasmissione " + format->text +
                                        " does not agree with the PA argument, which sends " +
                                        std::string(*formato)});
  }
  std::stable_sort(findings.begin(), findings.end(), [](const auto& a, const auto& b) {
    return std::pair(a.at.line, a.at.column) < std::pair(b.at.line, b.at.column);
  });
  return findings;
}

std::string FindingLine(std::string_view file, const xml::Finding& finding) {
  return std::string(file) + ":" + std::to_string(finding.at.line) + ":" +
         std::to_string(finding.at.column) + ": " + finding.message;
}

}  // namespace vorn
