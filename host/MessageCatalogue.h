#pragma once
// The host's message catalogue: texts by type letter and six-digit number,
// with Format placeholders where the caller passes arguments. The catalogue
// is a UTF-8 text (host/messages/messages.txt, compiled in); the host serves
// its texts in the company database's code page.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

// A catalogue text that cannot be read: Message names the source and line.
KW_DECLARE_EXCEPTION(EMessageCatalogueError, Exception)

class TMessageCatalogue {
 public:
  TMessageCatalogue() = default;

  // Reads the catalogue format (see messages.txt). SourceName appears in
  // error messages. Raises EMessageCatalogueError for a malformed line or a
  // type and number given twice.
  static TMessageCatalogue Parse(std::string_view Utf8, const AnsiString& SourceName);
  static TMessageCatalogue LoadFromFile(const AnsiString& FileName);
  // The catalogue compiled into the host.
  static const TMessageCatalogue& BuiltIn();

  // The key of a type and number as the host files it: the type in upper
  // case, the number as six digits ("15" and "000015" are the same number).
  // False when Type is not one letter or Number not one to six digits.
  static bool NormalizeKey(const AnsiString& Type, const AnsiString& Number, AnsiString& KeyType,
                           AnsiString& KeyNumber);

  // The UTF-8 text, or nullptr when the catalogue lacks it.
  const std::string* Find(const AnsiString& Type, const AnsiString& Number) const;
  // The text in CodePage. A type and number the catalogue lacks answer a text
  // that says so, naming them, with no placeholders (so that formatting it
  // with the caller's arguments cannot fail).
  AnsiString Text(const AnsiString& Type, const AnsiString& Number, unsigned CodePage) const;

  // Every (type, number) in the catalogue, sorted.
  std::vector<std::pair<AnsiString, AnsiString>> Keys() const;

 private:
  std::map<std::pair<AnsiString, AnsiString>, std::string> FTexts;
};
