#include "src/environment/LangDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include "platform/rtl/CodePages.h"

namespace {

// Network access off (language files are local) and no entity substitution,
// so a hostile file cannot make the parser read other files.
constexpr int ParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

AnsiString FromUtf8(const xmlChar* Text) {
  if (!Text) return AnsiString();
  return Utf8ToAnsi(reinterpret_cast<const char*>(Text));
}

// Keeps the first error of a parse (the one that made the document not
// well-formed; later ones are its consequences) and keeps the parser quiet.
struct TFirstError {
  int Code = 0;
  AnsiString Message;
};

void CaptureFirstError(void* Data, xmlErrorPtr Error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(Data);
  auto* first = ctxt ? static_cast<TFirstError*>(ctxt->_private) : nullptr;
  if (!first || !Error || first->Code != 0) return;
  if (Error->level < XML_ERR_ERROR) return;
  first->Code = Error->code ? Error->code : -1;
  first->Message = Error->message ? Error->message : "";
}

void IgnoreError(void*, xmlErrorPtr) {}

AnsiString ReasonOf(const AnsiString& Message) {
  AnsiString reason = Message;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
    reason.pop_back();
  return Utf8ToAnsi(reason);
}

}  // namespace

namespace {

template <class TRead>
void Parse(_xmlDoc*& Doc, int& ErrorCode, AnsiString& ErrorReason, TRead Read) {
  xmlInitParser();
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt) {
    ErrorCode = -1;
    ErrorReason = "Out of memory";
    return;
  }
  TFirstError first;
  ctxt->_private = &first;
  ctxt->userData = ctxt;
  ctxt->sax->serror = CaptureFirstError;
  Doc = Read(ctxt);
  if (!Doc || !ctxt->wellFormed || first.Code != 0) {
    const xmlError* last = xmlCtxtGetLastError(ctxt);
    ErrorCode = first.Code ? first.Code : (last && last->code ? last->code : -1);
    ErrorReason = ReasonOf(first.Code ? first.Message
                                      : (last && last->message ? AnsiString(last->message) : AnsiString()));
    if (ErrorReason.empty()) ErrorReason = "The document could not be read";
    if (Doc) xmlFreeDoc(Doc);
    Doc = nullptr;
  }
  xmlFreeParserCtxt(ctxt);
}

}  // namespace

std::shared_ptr<TLangDocument> TLangDocument::LoadFromFile(const AnsiString& FileName) {
  std::shared_ptr<TLangDocument> doc(new TLangDocument());
  Parse(doc->FDoc, doc->FErrorCode, doc->FErrorReason, [&](xmlParserCtxtPtr ctxt) {
    return xmlCtxtReadFile(ctxt, FileName.c_str(), nullptr, ParseOptions);
  });
  return doc;
}

std::shared_ptr<TLangDocument> TLangDocument::LoadFromText(const AnsiString& Text) {
  std::shared_ptr<TLangDocument> doc(new TLangDocument());
  const std::string utf8 = AnsiToUtf8(Text);
  Parse(doc->FDoc, doc->FErrorCode, doc->FErrorReason, [&](xmlParserCtxtPtr ctxt) {
    return xmlCtxtReadMemory(ctxt, utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8",
                             ParseOptions);
  });
  return doc;
}

TLangDocument::~TLangDocument() {
  if (FDoc) xmlFreeDoc(FDoc);
}

TLangNode* TLangDocument::DocumentElement() const {
  return FDoc ? xmlDocGetRootElement(FDoc) : nullptr;
}

TLangNode* TLangDocument::SelectSingleNode(const AnsiString& XPath) const {
  if (!FDoc) return nullptr;
  xmlXPathContextPtr context = xmlXPathNewContext(FDoc);
  if (!context) return nullptr;
  // A key that is no XPath step simply selects nothing.
  context->error = IgnoreError;
  const std::string expr = AnsiToUtf8(XPath);
  xmlXPathObjectPtr result =
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expr.c_str()), context);
  TLangNode* found = nullptr;
  if (result && result->type == XPATH_NODESET && result->nodesetval &&
      result->nodesetval->nodeNr > 0) {
    // "//" results come sorted in document order.
    found = result->nodesetval->nodeTab[0];
  }
  if (result) xmlXPathFreeObject(result);
  xmlXPathFreeContext(context);
  return found;
}

int NodeType(const TLangNode* Node) { return Node ? static_cast<int>(Node->type) : 0; }

AnsiString NodeName(const TLangNode* Node) { return Node ? FromUtf8(Node->name) : AnsiString(); }

AnsiString NodeText(const TLangNode* Node) {
  if (!Node) return AnsiString();
  xmlChar* content = xmlNodeGetContent(Node);
  AnsiString text = FromUtf8(content);
  if (content) xmlFree(content);
  return text;
}

int AttributeCount(const TLangNode* Element) {
  if (!Element || Element->type != XML_ELEMENT_NODE) return 0;
  int count = 0;
  for (xmlAttrPtr a = Element->properties; a; a = a->next) ++count;
  return count;
}

TLangNode* AttributeItem(const TLangNode* Element, int Index) {
  if (!Element || Element->type != XML_ELEMENT_NODE || Index < 0) return nullptr;
  for (xmlAttrPtr a = Element->properties; a; a = a->next)
    if (Index-- == 0) return reinterpret_cast<TLangNode*>(a);
  return nullptr;
}

TLangNode* NamedAttribute(const TLangNode* Element, const AnsiString& Name) {
  if (!Element || Element->type != XML_ELEMENT_NODE) return nullptr;
  const std::string name = AnsiToUtf8(Name);
  for (xmlAttrPtr a = Element->properties; a; a = a->next)
    if (a->name && name == reinterpret_cast<const char*>(a->name))
      return reinterpret_cast<TLangNode*>(a);
  return nullptr;
}
