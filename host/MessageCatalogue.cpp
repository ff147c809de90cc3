#include "host/MessageCatalogue.h"

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Numbers.h"

// Defined in the source generated from host/messages/messages.txt.
extern const char* const KwHostMessageCatalogueText;

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

std::string Unescape(std::string_view Text, const AnsiString& Where) {
  std::string out;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\\') {
      out += Text[i];
      continue;
    }
    if (i + 1 == Text.size()) throw EMessageCatalogueError(Where + ": a backslash ends the text");
    switch (Text[++i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case '\\': out += '\\'; break;
      default: throw EMessageCatalogueError(Where + ": unknown escape \\" + AnsiString(1, Text[i]));
    }
  }
  return out;
}

}  // namespace

bool TMessageCatalogue::NormalizeKey(const AnsiString& Type, const AnsiString& Number, AnsiString& KeyType,
                                     AnsiString& KeyNumber) {
  if (Type.size() != 1 || !((Type[0] >= 'A' && Type[0] <= 'Z') || (Type[0] >= 'a' && Type[0] <= 'z'))) return false;
  if (Number.empty() || Number.size() > 6) return false;
  for (char c : Number)
    if (c < '0' || c > '9') return false;
  KeyType = UpperCase(Type);
  KeyNumber = AnsiString(6 - Number.size(), '0') + Number;
  return true;
}

TMessageCatalogue TMessageCatalogue::Parse(std::string_view Utf8, const AnsiString& SourceName) {
  TMessageCatalogue catalogue;
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= Utf8.size()) {
    size_t end = Utf8.find('\n', pos);
    if (end == std::string_view::npos) end = Utf8.size();
    std::string_view line = Utf8.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    while (!line.empty() && (line.back() == '\r' || IsBlank(line.back()))) line.remove_suffix(1);
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size() || line[first] == '#') continue;
    const AnsiString where = SourceName + " line " + IntToStr(lineNo);

    // TYPE blank NUMBER blank TEXT
    size_t typeEnd = first;
    while (typeEnd < line.size() && !IsBlank(line[typeEnd])) ++typeEnd;
    size_t numStart = typeEnd;
    while (numStart < line.size() && IsBlank(line[numStart])) ++numStart;
    size_t numEnd = numStart;
    while (numEnd < line.size() && !IsBlank(line[numEnd])) ++numEnd;
    size_t textStart = numEnd;
    while (textStart < line.size() && IsBlank(line[textStart])) ++textStart;

    const AnsiString type(line.substr(first, typeEnd - first));
    const AnsiString number(line.substr(numStart, numEnd - numStart));
    AnsiString keyType, keyNumber;
    if (!NormalizeKey(type, number, keyType, keyNumber) || number.size() != 6)
      throw EMessageCatalogueError(where + ": expected a type letter and a six-digit number, found \"" +
                                   AnsiString(line.substr(first, numEnd - first)) + "\"");
    if (textStart == line.size()) throw EMessageCatalogueError(where + ": the message " + keyType + " " + keyNumber + " has no text");
    std::string text = Unescape(line.substr(textStart), where);
    if (!catalogue.FTexts.emplace(std::make_pair(keyType, keyNumber), std::move(text)).second)
      throw EMessageCatalogueError(where + ": the message " + keyType + " " + keyNumber + " is given twice");
    if (end == Utf8.size()) break;
  }
  return catalogue;
}

TMessageCatalogue TMessageCatalogue::LoadFromFile(const AnsiString& FileName) {
  AnsiString bytes;
  if (!ReadFileBytes(FileName, bytes)) throw EMessageCatalogueError("Cannot read the message catalogue " + FileName);
  return Parse(bytes, FileName);
}

const TMessageCatalogue& TMessageCatalogue::BuiltIn() {
  static const TMessageCatalogue catalogue = Parse(KwHostMessageCatalogueText, "messages.txt");
  return catalogue;
}

const std::string* TMessageCatalogue::Find(const AnsiString& Type, const AnsiString& Number) const {
  AnsiString keyType, keyNumber;
  if (!NormalizeKey(Type, Number, keyType, keyNumber)) return nullptr;
  auto it = FTexts.find({keyType, keyNumber});
  return it == FTexts.end() ? nullptr : &it->second;
}

AnsiString TMessageCatalogue::Text(const AnsiString& Type, const AnsiString& Number, unsigned CodePage) const {
  if (const std::string* text = Find(Type, Number)) return Utf8ToAnsi(*text, CodePage);
  // Name what was asked for, but only as far as it is printable ASCII, and
  // with every "%" doubled: the caller formats this text with its arguments.
  auto shown = [](const AnsiString& S) {
    AnsiString out;
    for (char c : S.substr(0, 20)) {
      if (c == '%')
        out += "%%";
      else if (c >= ' ' && c < 0x7F)
        out += c;
      else
        out += '?';
    }
    return out;
  };
  return Utf8ToAnsi("信息库中没有此信息（类型 " + std::string(shown(Type)) + "，编号 " + std::string(shown(Number)) + "）",
                    CodePage);
}

std::vector<std::pair<AnsiString, AnsiString>> TMessageCatalogue::Keys() const {
  std::vector<std::pair<AnsiString, AnsiString>> keys;
  for (const auto& entry : FTexts) keys.push_back(entry.first);
  return keys;
}
