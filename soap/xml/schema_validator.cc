#include "soap/xml/schema_validator.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "soap/xml/library.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

// libxml2's message as one line: line breaks become blanks, and trailing
// blanks go.
std::string OneLine(const char* message) {
  std::string text = message != nullptr ? message : "";
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// --- No file, no network ----------------------------------------------------
// libxml2 reads every other document through one process-wide loader. While
// a schema compiles or a text is checked, the loader is ours: it answers the
// locations of the given sources from memory and refuses everything else.
// The mutex keeps one such use at a time.

std::mutex g_loader_mutex;
const std::vector<SchemaSource>* g_sources = nullptr;  // guarded by g_loader_mutex

xmlParserInputPtr LoadFromSources(const char* url, const char*, xmlParserCtxtPtr ctxt) {
  if (url == nullptr || g_sources == nullptr) return nullptr;
  for (const SchemaSource& source : *g_sources) {
    if (source.location != url || source.bytes.size() > static_cast<size_t>(INT_MAX)) continue;
    xmlParserInputBufferPtr buffer = xmlParserInputBufferCreateMem(
        source.bytes.data(), static_cast<int>(source.bytes.size()), XML_CHAR_ENCODING_NONE);
    if (buffer == nullptr) return nullptr;
    xmlParserInputPtr input = xmlNewIOInputStream(ctxt, buffer, XML_CHAR_ENCODING_NONE);
    if (input == nullptr) {
      xmlFreeParserInputBuffer(buffer);
      return nullptr;
    }
    input->filename = C(xmlStrdup(X(url)));
    return input;
  }
  return nullptr;
}

// Also keeps libxml2's own error printing off standard error: errors raised
// without a context of ours go to `on_error`.
class LoaderScope {
 public:
  LoaderScope(const std::vector<SchemaSource>* sources, void* context,
              xmlStructuredErrorFunc on_error)
      : lock_(g_loader_mutex),
        previous_loader_(xmlGetExternalEntityLoader()),
        previous_handler_(xmlStructuredError),
        previous_context_(xmlStructuredErrorContext) {
    g_sources = sources;
    xmlSetExternalEntityLoader(LoadFromSources);
    xmlSetStructuredErrorFunc(context, on_error);
  }
  ~LoaderScope() {
    xmlSetStructuredErrorFunc(previous_context_, previous_handler_);
    xmlSetExternalEntityLoader(previous_loader_);
    g_sources = nullptr;
  }
  LoaderScope(const LoaderScope&) = delete;
  LoaderScope& operator=(const LoaderScope&) = delete;

 private:
  std::lock_guard<std::mutex> lock_;
  xmlExternalEntityLoader previous_loader_;
  xmlStructuredErrorFunc previous_handler_;
  void* previous_context_;
};

void KeepFirstError(void* first, xmlErrorPtr error) {
  auto* text = static_cast<std::string*>(first);
  if (error != nullptr && error->level >= XML_ERR_ERROR && text->empty()) {
    *text = OneLine(error->message);
  }
}

struct SchemaFree {
  void operator()(xmlSchemaPtr s) const { xmlSchemaFree(s); }
};
struct SchemaParserFree {
  void operator()(xmlSchemaParserCtxtPtr c) const { xmlSchemaFreeParserCtxt(c); }
};
struct ValidFree {
  void operator()(xmlSchemaValidCtxtPtr c) const { xmlSchemaFreeValidCtxt(c); }
};
struct ParserFree {
  void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
};
struct DocFree {
  void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};

}  // namespace

// --- Checked documents ------------------------------------------------------

struct CheckedDocument::Impl {
  std::string text;
  std::unique_ptr<xmlDoc, DocFree> doc;
  bool well_formed = false;
  std::vector<Finding> findings;
  // Where each element's start tag ends: the offset of its ">" or "/>".
  std::unordered_map<const xmlNode*, size_t> tag_ends;
  mutable std::vector<size_t> line_starts;  // offsets; filled on first use

  TextPosition PositionOf(size_t offset) const {
    if (line_starts.empty()) {
      line_starts.push_back(0);
      // Lines end as XML ends them: at CR LF, LF or a lone CR.
      for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
          line_starts.push_back(i + 1);
        }
      }
    }
    offset = std::min(offset, text.size());
    const auto next = std::upper_bound(line_starts.begin(), line_starts.end(), offset);
    const size_t line = static_cast<size_t>(next - line_starts.begin());
    size_t begin = *(next - 1);
    if (begin == 0 && text.starts_with("\xEF\xBB\xBF")) begin = std::min<size_t>(3, offset);
    int column = 1;
    for (size_t i = begin; i < offset; ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
    }
    return {static_cast<int>(line), column};
  }

  // The offset of the character at `at`, for a place inside the text.
  size_t OffsetOf(TextPosition at) const {
    PositionOf(0);  // fills line_starts
    if (at.line < 1 || static_cast<size_t>(at.line) > line_starts.size()) return text.size();
    size_t offset = line_starts[static_cast<size_t>(at.line) - 1];
    if (offset == 0 && text.starts_with("\xEF\xBB\xBF")) offset = 3;
    for (int column = 1; column < at.column && offset < text.size(); ++offset) {
      if ((static_cast<unsigned char>(text[offset + 1]) & 0xC0) != 0x80) ++column;
    }
    return offset;
  }

  // The offset of an element's "<"; attribute values hold no "<", so it is
  // the last one before the end of its start tag.
  std::optional<size_t> StartOf(const xmlNode* element) const {
    const auto it = tag_ends.find(element);
    if (it == tag_ends.end()) return std::nullopt;
    const size_t at = text.rfind('<', it->second);
    if (at == std::string::npos) return std::nullopt;
    return at;
  }

  // The offset of an attribute's name inside its element's start tag.
  std::optional<size_t> StartOf(const xmlAttr* attribute) const {
    const std::optional<size_t> tag = StartOf(attribute->parent);
    if (!tag) return std::nullopt;
    std::string name = C(attribute->name);
    if (attribute->ns != nullptr && attribute->ns->prefix != nullptr) {
      name = std::string(C(attribute->ns->prefix)) + ":" + name;
    }
    const size_t end = tag_ends.at(attribute->parent);
    for (size_t at = text.find(name, *tag); at != std::string::npos && at < end;
         at = text.find(name, at + 1)) {
      const char before = text[at - 1];
      size_t after = at + name.size();
      while (after < end && (text[after] == ' ' || text[after] == '\t' || text[after] == '\r' ||
                             text[after] == '\n')) {
        ++after;
      }
      if ((before == ' ' || before == '\t' || before == '\r' || before == '\n') && after < end &&
          text[after] == '=') {
        return at;
      }
    }
    return tag;
  }

  // Where a validity error is: at the attribute it is about, else at its
  // element, else at the line and column that libxml2 gives. The error
  // carries the element; libxml2 names the attribute in its message
  // ("Element 'e', attribute 'a': ..."), which is where it is found.
  TextPosition PositionOf(const xmlError& error) const {
    const auto* node = static_cast<const xmlNode*>(error.node);
    std::optional<size_t> at;
    if (node != nullptr && node->type == XML_ELEMENT_NODE) {
      at = StartOf(node);
      const std::string_view message = error.message != nullptr ? error.message : "";
      constexpr std::string_view kAttribute = "', attribute '";
      const size_t begin = message.find(kAttribute);
      if (at && begin != std::string_view::npos) {
        std::string_view name = message.substr(begin + kAttribute.size());
        name = name.substr(0, name.find('\''));
        if (name.starts_with('{')) name.remove_prefix(std::min(name.find('}') + 1, name.size()));
        for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
          if (std::string_view(C(a->name)) == name) {
            at = StartOf(a);
            break;
          }
        }
      }
    }
    if (at) return PositionOf(*at);
    return {std::max(error.line, 1), std::max(error.int2, 1)};
  }
};

CheckedDocument::CheckedDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CheckedDocument::CheckedDocument(CheckedDocument&&) noexcept = default;
CheckedDocument& CheckedDocument::operator=(CheckedDocument&&) noexcept = default;
CheckedDocument::~CheckedDocument() = default;

bool CheckedDocument::WellFormed() const { return impl_->well_formed; }

const std::vector<Finding>& CheckedDocument::Findings() const { return impl_->findings; }

std::optional<LocatedText> CheckedDocument::Element(
    std::initializer_list<std::string_view> path) const {
  if (!impl_->doc) return std::nullopt;
  xmlNode* node = xmlDocGetRootElement(impl_->doc.get());
  for (std::string_view name : path) {
    xmlNode* child = node != nullptr ? node->children : nullptr;
    while (child != nullptr &&
           (child->type != XML_ELEMENT_NODE || std::string_view(C(child->name)) != name)) {
      child = child->next;
    }
    node = child;
  }
  if (node == nullptr) return std::nullopt;
  const std::optional<size_t> at = impl_->StartOf(node);
  if (!at) return std::nullopt;
  xmlChar* content = xmlNodeGetContent(node);
  LocatedText located{impl_->PositionOf(*at), content != nullptr ? C(content) : ""};
  xmlFree(content);
  return located;
}

std::optional<LocatedText> CheckedDocument::RootAttribute(std::string_view local_name) const {
  if (!impl_->doc) return std::nullopt;
  const xmlNode* root = xmlDocGetRootElement(impl_->doc.get());
  if (root == nullptr) return std::nullopt;
  for (const xmlAttr* a = root->properties; a != nullptr; a = a->next) {
    if (a->ns != nullptr || std::string_view(C(a->name)) != local_name) continue;
    const std::optional<size_t> at = impl_->StartOf(a);
    if (!at) return std::nullopt;
    xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
    LocatedText located{impl_->PositionOf(*at), value != nullptr ? C(value) : ""};
    xmlFree(value);
    return located;
  }
  return std::nullopt;
}

// --- Compiling and checking -------------------------------------------------

struct Schema::Compiled {
  std::unique_ptr<xmlSchema, SchemaFree> schema;
};

namespace {

using Impl = CheckedDocument::Impl;

// Notes where each element's start tag ends, as the parser builds it.
void RecordElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                   int nb_namespaces, const xmlChar** namespaces, int nb_attributes,
                   int nb_defaulted, const xmlChar** attributes) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  xmlNodePtr parent = ctxt->node;
  xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes,
                        nb_defaulted, attributes);
  if (ctxt->node == nullptr || ctxt->node == parent || ctxt->input == nullptr) return;
  const size_t end =
      ctxt->input->consumed + static_cast<size_t>(ctxt->input->cur - ctxt->input->base);
  static_cast<Impl*>(ctxt->_private)->tag_ends.emplace(ctxt->node, end);
}

// The first error that makes the text not well-formed.
void RecordParseError(Impl* impl, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR || !impl->findings.empty()) return;
  TextPosition at{std::max(error->line, 1), std::max(error->int2, 1)};
  if (error->code == XML_ERR_TAG_NAME_MISMATCH) {
    // libxml2 stands after the end tag; the finding stands at its "</".
    const size_t offset = impl->OffsetOf(at);
    const size_t tag = impl->text.rfind("</", offset);
    if (tag != std::string::npos && impl->PositionOf(tag).line == at.line)
      at = impl->PositionOf(tag);
  }
  impl->findings.push_back({at, OneLine(error->message)});
}

void OnParseError(void* user_data, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(user_data);
  RecordParseError(static_cast<Impl*>(ctxt->_private), error);
}

void OnGlobalError(void* impl, xmlErrorPtr error) {
  RecordParseError(static_cast<Impl*>(impl), error);
}

void OnValidityError(void* impl, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR) return;
  auto* checked = static_cast<Impl*>(impl);
  checked->findings.push_back({checked->PositionOf(*error), OneLine(error->message)});
}

}  // namespace

Schema Schema::Compile(std::string_view main, const std::vector<SchemaSource>& sources) {
  InitLibrary();
  if (main.size() > static_cast<size_t>(INT_MAX)) {
    throw DOMException("The schema does not compile: it is too large");
  }
  std::string first_error;
  auto compiled = std::make_shared<Compiled>();
  {
    LoaderScope scope(&sources, &first_error, KeepFirstError);
    std::unique_ptr<xmlSchemaParserCtxt, SchemaParserFree> parser(
        xmlSchemaNewMemParserCtxt(main.data(), static_cast<int>(main.size())));
    if (!parser) throw EOutOfMemory();
    xmlSchemaSetParserStructuredErrors(parser.get(), KeepFirstError, &first_error);
    compiled->schema.reset(xmlSchemaParse(parser.get()));
  }
  if (!compiled->schema) {
    throw DOMException("The schema does not compile: " +
                       (first_error.empty() ? std::string("unknown reason") : first_error));
  }
  return Schema(std::move(compiled));
}

CheckedDocument Schema::Check(std::string_view utf8) const {
  InitLibrary();
  auto impl = std::make_unique<Impl>();
  impl->text.assign(utf8);
  if (impl->text.size() > static_cast<size_t>(INT_MAX)) {
    impl->findings.push_back({{1, 1}, "The document is too large to be checked"});
    return CheckedDocument(std::move(impl));
  }
  if (impl->text.empty()) {  // libxml2 makes no parser for no bytes
    impl->findings.push_back({{1, 1}, "Document is empty"});
    return CheckedDocument(std::move(impl));
  }
  LoaderScope scope(nullptr, impl.get(), OnGlobalError);
  std::unique_ptr<xmlParserCtxt, ParserFree> ctxt(
      xmlCreateMemoryParserCtxt(impl->text.data(), static_cast<int>(impl->text.size())));
  if (!ctxt) throw EOutOfMemory();
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_IGNORE_ENC | XML_PARSE_BIG_LINES);
  // UTF-8 whatever the first bytes look like: the parser would otherwise
  // take a UTF-16 mark, or a "<" followed by 0 bytes, as another encoding.
  // The UTF-8 mark is stepped over here.
  xmlSwitchEncoding(ctxt.get(), XML_CHAR_ENCODING_UTF8);
  ctxt->encoding = xmlStrdup(X("UTF-8"));
  ctxt->_private = impl.get();
  ctxt->sax->serror = OnParseError;
  ctxt->sax->startElementNs = RecordElement;
  xmlParseDocument(ctxt.get());
  impl->doc.reset(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  if (!ctxt->wellFormed || !ctxt->nsWellFormed || !impl->doc || !impl->findings.empty()) {
    if (impl->findings.empty()) impl->findings.push_back({{1, 1}, "Invalid XML document"});
    impl->doc.reset();
    return CheckedDocument(std::move(impl));
  }
  impl->well_formed = true;
  std::unique_ptr<xmlSchemaValidCtxt, ValidFree> valid(
      xmlSchemaNewValidCtxt(compiled_->schema.get()));
  if (!valid) throw EOutOfMemory();
  xmlSchemaSetValidStructuredErrors(valid.get(), OnValidityError, impl.get());
  const int result = xmlSchemaValidateDoc(valid.get(), impl->doc.get());
  if (result != 0 && impl->findings.empty()) {
    impl->findings.push_back({{1, 1}, "The document could not be validated"});
  }
  return CheckedDocument(std::move(impl));
}

}  // namespace vorn::xml
