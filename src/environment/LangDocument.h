#pragma once
// The XML documents behind language files, as the language controller and its
// readers see them: load from a file or from text, the parse error's code and
// reason, the document element, the first node an XPath selects, and a node's
// name, text, type and attributes. Names and texts come back in the process
// code page, as the rest of the program holds its texts.
//
// Nodes belong to their document: a node pointer is valid while a reference to
// the document is held.

#include <memory>

#include "platform/rtl/AnsiStrings.h"

struct _xmlDoc;
struct _xmlNode;

// Any node of a language document (an element or an attribute).
using TLangNode = _xmlNode;

// Node types as the DOM numbers them.
inline constexpr int NODE_ELEMENT = 1;
inline constexpr int NODE_ATTRIBUTE = 2;

class TLangDocument {
 public:
  // A document whose ParseErrorCode() is not 0 when the file is missing or
  // not well-formed. Entities are not expanded and nothing is fetched from
  // the network.
  static std::shared_ptr<TLangDocument> LoadFromFile(const AnsiString& FileName);
  // Text in the process code page; a declared encoding is ignored, because
  // the text has already been decoded.
  static std::shared_ptr<TLangDocument> LoadFromText(const AnsiString& Text);

  ~TLangDocument();
  TLangDocument(const TLangDocument&) = delete;
  TLangDocument& operator=(const TLangDocument&) = delete;

  int ParseErrorCode() const { return FErrorCode; }
  const AnsiString& ParseErrorReason() const { return FErrorReason; }
  // Null when the document did not parse.
  TLangNode* DocumentElement() const;
  // The first node in document order that the XPath selects; null for none and
  // for an expression that does not compile.
  TLangNode* SelectSingleNode(const AnsiString& XPath) const;

 private:
  TLangDocument() = default;
  _xmlDoc* FDoc = nullptr;
  int FErrorCode = 0;
  AnsiString FErrorReason;
};

int NodeType(const TLangNode* Node);
AnsiString NodeName(const TLangNode* Node);
// The text content (an attribute's value).
AnsiString NodeText(const TLangNode* Node);
// An element's attributes; 0 / null for other nodes.
int AttributeCount(const TLangNode* Element);
TLangNode* AttributeItem(const TLangNode* Element, int Index);
TLangNode* NamedAttribute(const TLangNode* Element, const AnsiString& Name);
