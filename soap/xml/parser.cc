// Parsing reply bytes into a document, and the parse errors.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "base/exception.h"
#include "base/utf8.h"
#include "soap/xml/library.h"
#include "soap/xml/xml_document.h"
#include "soap/xml/xml_errors.h"

namespace vorn::xml {
namespace {

// Keeps libxml2's own error printing off standard error while a call runs.
class QuietErrors {
 public:
  QuietErrors(void* context, xmlStructuredErrorFunc handler)
      : old_handler_(xmlStructuredError), old_context_(xmlStructuredErrorContext) {
    xmlSetStructuredErrorFunc(context, handler);
  }
  ~QuietErrors() { xmlSetStructuredErrorFunc(old_context_, old_handler_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  xmlStructuredErrorFunc old_handler_;
  void* old_context_;
};

// Without entity substitution the parser keeps every "&" of a namespace
// declaration's value as the text "&#38;" (and only there: attribute and
// text values are decoded). Puts the "&" back so namespace names are the
// declared ones. Every literal "&" became "&#38;", so the replacement is exact.
void RestoreAmpersands(xmlNode* node) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    for (xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
      if (ns->href == nullptr || std::strstr(C(ns->href), "&#38;") == nullptr) continue;
      std::string href(C(ns->href));
      for (size_t at = href.find("&#38;"); at != std::string::npos;
           at = href.find("&#38;", at + 1)) {
        href.replace(at, 5, "&");
      }
      xmlChar* copy = xmlStrdup(X(href.c_str()));
      if (copy == nullptr) throw EOutOfMemory();
      xmlFree(const_cast<xmlChar*>(ns->href));
      ns->href = copy;
    }
    RestoreAmpersands(node->children);
  }
}

struct ParseState {
  xmlParserCtxtPtr ctxt = nullptr;
  bool failed = false;
  std::string reason;
  int line = 0;
  int column = 0;
  std::string encoding;  // the parser's decoder when the failure was met

  void Fail(std::string why, int at_line, int at_column) {
    if (failed) return;  // the first error is the one reported
    failed = true;
    reason = std::move(why);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    xmlParserInputPtr in = ctxt->input;
    line = at_line > 0 ? at_line : (in != nullptr ? in->line : 0);
    column = at_column > 0 ? at_column : (in != nullptr ? in->col : 0);
    if (in != nullptr && in->buf != nullptr && in->buf->encoder != nullptr) {
      encoding = in->buf->encoder->name;
    }
  }
};

void RecordError(ParseState* state, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR) return;
  state->Fail(error->message != nullptr ? error->message : "Invalid XML document", error->line,
              error->int2);
}

// Errors raised with the parser context (most of them).
void OnParserError(void* user_data, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(user_data);
  RecordError(static_cast<ParseState*>(ctxt->_private), error);
}

// Errors raised without it (input decoding).
void OnGlobalError(void* state, xmlErrorPtr error) {
  RecordError(static_cast<ParseState*>(state), error);
}

// A document type declaration ends the parse before its internal subset is
// read, so entity declarations cost nothing.
void RefuseDoctype(void* user_data, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(user_data);
  static_cast<ParseState*>(ctxt->_private)->Fail("DTD is prohibited", 0, 0);
  xmlStopParser(ctxt);
}

// The input decoded to UTF-8 with the decoder the parser used; as much as
// decodes. Used only to quote the failing line.
std::string DecodeInput(std::string_view bytes, const std::string& encoding) {
  if (encoding.empty() || encoding == "UTF-8") return std::string(bytes);
  xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding.c_str());
  if (handler == nullptr) return std::string(bytes);
  std::string text;
  xmlBufferPtr in = xmlBufferCreateSize(bytes.size() + 1);
  xmlBufferPtr out = xmlBufferCreateSize(bytes.size() * 2 + 16);
  if (in != nullptr && out != nullptr &&
      xmlBufferAdd(in, X(bytes.data()), static_cast<int>(bytes.size())) == 0) {
    xmlCharEncInFunc(handler, out, in);  // a decoding error keeps what came before it
    text.assign(C(xmlBufferContent(out)), static_cast<size_t>(xmlBufferLength(out)));
  }
  xmlBufferFree(in);
  xmlBufferFree(out);
  xmlCharEncCloseFunc(handler);
  return text;
}

// The first `count` characters of line `line` (1-based) of `text`; an
// invalid byte counts as one character and becomes U+FFFD.
std::string LineStart(std::string_view text, int line, size_t count) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  for (int l = 1; l < line; ++l) {
    size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return "";
    text.remove_prefix(nl + 1);
  }
  text = text.substr(0, text.find('\n'));
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return ReplaceInvalidUtf8(text, "\xEF\xBF\xBD", count);
}

[[noreturn]] void ThrowParseError(const ParseState& state, std::string_view bytes) {
  std::string src = LineStart(DecodeInput(bytes, state.encoding), state.line, 40);
  std::string message = state.reason + "\r\nLine: " + std::to_string(state.line) + "\r\n" + src;
  throw EDOMParseError(std::move(message), state.reason, state.line, state.column, std::move(src));
}

struct CtxtFree {
  void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
};

}  // namespace

Document Document::Parse(std::string_view bytes) {
  InitLibrary();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    throw DOMException("The XML document is too large to be parsed");
  }
  std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
  if (ctxt == nullptr) throw EOutOfMemory();
  ParseState state;
  state.ctxt = ctxt.get();
  ctxt->_private = &state;
  ctxt->sax->serror = OnParserError;
  ctxt->sax->internalSubset = RefuseDoctype;
  QuietErrors quiet(&state, OnGlobalError);
  xmlDocPtr parsed =
      xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                        XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_BIG_LINES);
  Document doc(Wrap(parsed).Handle());
  if (parsed == nullptr && !state.failed) state.Fail("Invalid XML document", 0, 0);
  if (state.failed) ThrowParseError(state, bytes);
  RestoreAmpersands(xmlDocGetRootElement(parsed));
  return doc;
}

}  // namespace vorn::xml
