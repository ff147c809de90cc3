#include "platform/rtl/IniFile.h"

#include <sys/stat.h>

#include <unordered_map>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/StringList.h"

namespace {

enum class TLineKind : unsigned char { Other, Header, BrokenHeader, Key };

struct TIniLine {
  AnsiString Raw;
  TLineKind Kind = TLineKind::Other;
  AnsiString Name;   // section or key name, trimmed
  AnsiString Value;  // key value as written, trimmed
};

struct TSectionIndex {
  size_t Header = 0;               // line of the first header with this name
  size_t End = 0;                  // one past the last line of that occurrence
  std::vector<size_t> Keys;        // key lines of that occurrence, in file order
  std::unordered_map<AnsiString, size_t> KeyByName;  // folded name -> first line
};

// Names compare ignoring case as the code page's upper case makes them equal.
AnsiString Fold(const AnsiString& Name) { return AnsiUpperCase(Name); }

bool HasLineBreak(const AnsiString& S) { return S.find_first_of("\r\n") != AnsiString::npos; }

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

bool IsQuote(char C) { return C == '"' || C == '\''; }

AnsiString Unquote(const AnsiString& Value) {
  if (Value.size() >= 2 && IsQuote(Value.front()) && Value.back() == Value.front())
    return Value.substr(1, Value.size() - 2);
  return Value;
}

// Quotes a value whose outer blanks would be trimmed or whose outer quotes
// would be taken away on reading.
AnsiString Quote(const AnsiString& Value) {
  if (Value.empty()) return Value;
  if (IsBlank(Value.front()) || IsBlank(Value.back()) ||
      (Value.size() >= 2 && IsQuote(Value.front()) && Value.back() == Value.front()))
    return '"' + Value + '"';
  return Value;
}

TIniLine ClassifyLine(AnsiString Raw) {
  TIniLine line;
  const AnsiString text = Trim(Raw);
  line.Raw = std::move(Raw);
  if (text.empty() || text[0] == ';') return line;
  if (text[0] == '[') {
    // The name ends at the first "]" that is a character of its own.
    int close = AnsiPos("]", text);
    if (close == 0) {
      line.Kind = TLineKind::BrokenHeader;
      return line;
    }
    line.Kind = TLineKind::Header;
    line.Name = Trim(text.substr(1, static_cast<size_t>(close) - 2));
    return line;
  }
  size_t eq = text.find('=');
  if (eq == AnsiString::npos) return line;
  AnsiString name = Trim(text.substr(0, eq));
  if (name.empty()) return line;
  line.Kind = TLineKind::Key;
  line.Name = std::move(name);
  line.Value = Trim(text.substr(eq + 1));
  return line;
}

[[noreturn]] void InvalidName(const AnsiString& What, const AnsiString& Name, const AnsiString& FileName) {
  throw EIniFileException("Invalid " + What + " \"" + Name + "\" for " + FileName);
}

}  // namespace

struct TIniFileSignature {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  long long ModifiedSeconds = 0;
  long ModifiedNanoseconds = 0;

  bool operator==(const TIniFileSignature&) const = default;

  static TIniFileSignature Of(const AnsiString& FileName) {
    TIniFileSignature sig;
    struct stat st;
    if (::stat(ToSystemPath(FileName).c_str(), &st) == 0) {
      sig.Exists = true;
      sig.Device = st.st_dev;
      sig.Inode = st.st_ino;
      sig.Size = st.st_size;
      sig.ModifiedSeconds = st.st_mtim.tv_sec;
      sig.ModifiedNanoseconds = st.st_mtim.tv_nsec;
    }
    return sig;
  }
};

struct TIniContent {
  std::vector<TIniLine> Lines;
  std::vector<TSectionIndex> Sections;                 // first occurrences, in file order
  std::unordered_map<AnsiString, size_t> SectionByName;  // folded name -> index in Sections
  AnsiString LineBreak = "\r\n";
  TIniFileSignature Signature;  // of the file as last read or written
  bool Loaded = false;

  void Parse(const AnsiString& Bytes) {
    Lines.clear();
    LineBreak = "\r\n";
    bool breakSeen = false;
    size_t start = 0;
    const size_t n = Bytes.size();
    while (start < n) {
      size_t end = start;
      while (end < n && Bytes[end] != '\r' && Bytes[end] != '\n') ++end;
      Lines.push_back(ClassifyLine(Bytes.substr(start, end - start)));
      size_t next = end;
      if (next < n && Bytes[next] == '\r') ++next;
      if (next < n && Bytes[next] == '\n') ++next;
      // New lines follow the file's own line breaks.
      if (!breakSeen && next > end) {
        LineBreak = Bytes.substr(end, next - end);
        breakSeen = true;
      }
      start = next;
    }
    Reindex();
  }

  AnsiString Serialize() const {
    AnsiString bytes;
    for (const TIniLine& line : Lines) {
      bytes += line.Raw;
      bytes += LineBreak;
    }
    return bytes;
  }

  void Reindex() {
    Sections.clear();
    SectionByName.clear();
    TSectionIndex* current = nullptr;  // the section that lines belong to, if any
    for (size_t i = 0; i < Lines.size(); ++i) {
      const TIniLine& line = Lines[i];
      switch (line.Kind) {
        case TLineKind::Header:
        case TLineKind::BrokenHeader:
          if (current) current->End = i;
          current = nullptr;
          if (line.Kind == TLineKind::Header) {
            auto [it, added] = SectionByName.try_emplace(Fold(line.Name), Sections.size());
            if (added) {
              Sections.emplace_back();
              Sections.back().Header = i;
              current = &Sections.back();
            }
          }
          break;
        case TLineKind::Key:
          if (current) {
            current->Keys.push_back(i);
            current->KeyByName.try_emplace(Fold(line.Name), i);
          }
          break;
        case TLineKind::Other:
          break;
      }
    }
    if (current) current->End = Lines.size();
  }

  const TSectionIndex* FindSection(const AnsiString& Section) const {
    auto it = SectionByName.find(Fold(Trim(Section)));
    return it == SectionByName.end() ? nullptr : &Sections[it->second];
  }

  const TIniLine* FindKey(const AnsiString& Section, const AnsiString& Ident) const {
    const TSectionIndex* section = FindSection(Section);
    if (!section) return nullptr;
    auto it = section->KeyByName.find(Fold(Trim(Ident)));
    return it == section->KeyByName.end() ? nullptr : &Lines[it->second];
  }

  bool AddSection(const AnsiString& Section) {
    if (FindSection(Section)) return false;
    if (!Lines.empty() && !Trim(Lines.back().Raw).empty()) Lines.push_back(ClassifyLine(""));
    Lines.push_back(ClassifyLine("[" + Trim(Section) + "]"));
    Reindex();
    return true;
  }

  void Write(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
    const AnsiString raw = Trim(Ident) + "=" + Quote(Value);
    const TSectionIndex* section = FindSection(Section);
    if (!section) {
      AddSection(Section);
      Lines.push_back(ClassifyLine(raw));
    } else if (auto it = section->KeyByName.find(Fold(Trim(Ident))); it != section->KeyByName.end()) {
      // Keep the name as the file spells it.
      TIniLine& line = Lines[it->second];
      line = ClassifyLine(line.Name + "=" + Quote(Value));
    } else {
      // After the section's last entry, so that blank lines and the comments
      // heading the next section stay where they are.
      size_t after = section->Keys.empty() ? section->Header : section->Keys.back();
      Lines.insert(Lines.begin() + static_cast<long>(after) + 1, ClassifyLine(raw));
    }
    Reindex();
  }

  // Each occurrence goes from its header through its last key; the blank
  // lines and comments after that usually head the next section and stay.
  bool EraseSection(const AnsiString& Section) {
    const AnsiString folded = Fold(Trim(Section));
    std::vector<bool> doomed(Lines.size(), false);
    bool erased = false;
    for (size_t i = 0; i < Lines.size(); ++i) {
      if (Lines[i].Kind != TLineKind::Header || Fold(Lines[i].Name) != folded) continue;
      size_t last = i;
      for (size_t j = i + 1; j < Lines.size(); ++j) {
        if (Lines[j].Kind == TLineKind::Header || Lines[j].Kind == TLineKind::BrokenHeader) break;
        if (Lines[j].Kind == TLineKind::Key) last = j;
      }
      for (size_t j = i; j <= last; ++j) doomed[j] = true;
      erased = true;
      i = last;
    }
    if (!erased) return false;
    std::vector<TIniLine> kept;
    for (size_t i = 0; i < Lines.size(); ++i)
      if (!doomed[i]) kept.push_back(std::move(Lines[i]));
    Lines = std::move(kept);
    Reindex();
    return true;
  }

  bool DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
    const TSectionIndex* section = FindSection(Section);
    if (!section) return false;
    const AnsiString folded = Fold(Trim(Ident));
    std::vector<size_t> doomed;
    for (size_t i : section->Keys)
      if (Fold(Lines[i].Name) == folded) doomed.push_back(i);
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) Lines.erase(Lines.begin() + static_cast<long>(*it));
    Reindex();
    return !doomed.empty();
  }
};

// ---- TCustomIniFile ----

TCustomIniFile::TCustomIniFile(const AnsiString& FileName) : FFileName(FileName) {}

TCustomIniFile::~TCustomIniFile() = default;

void TCustomIniFile::LoadContent(TIniContent& Content) const {
  // Take the signature first: a change made while reading is then seen as a
  // change on the next check.
  Content.Signature = TIniFileSignature::Of(FFileName);
  AnsiString bytes;
  if (!Content.Signature.Exists || !ReadFileBytes(FFileName, bytes)) bytes.clear();
  Content.Parse(bytes);
  Content.Loaded = true;
}

void TCustomIniFile::SaveContent(const TIniContent& Content) const {
  if (!WriteFileBytes(FFileName, Content.Serialize()))
    throw EIniFileException("Unable to write to " + FFileName + ": " + SysErrorMessage(GetLastOSError()));
}

AnsiString TCustomIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                      const AnsiString& Default) const {
  const TIniLine* line = ContentForReading().FindKey(Section, Ident);
  return line ? Unquote(line->Value) : Default;
}

int TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const {
  AnsiString text = ReadString(Section, Ident, {});
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = "$" + text.substr(2);
  return StrToIntDef(text, Default);
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) const {
  double value = 0;
  return TryStrToFloat(ReadString(Section, Ident, {}), value) ? value : Default;
}

TDateTime TCustomIniFile::ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) const {
  TDateTime value;
  return TryStrToDate(ReadString(Section, Ident, {}), value) ? value : Default;
}

TDateTime TCustomIniFile::ReadDateTime(const AnsiString& Section, const AnsiString& Ident,
                                       TDateTime Default) const {
  TDateTime value;
  return TryStrToDateTime(ReadString(Section, Ident, {}), value) ? value : Default;
}

TDateTime TCustomIniFile::ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) const {
  TDateTime value;
  return TryStrToTime(ReadString(Section, Ident, {}), value) ? value : Default;
}

void TCustomIniFile::CheckSectionName(const AnsiString& Section) const {
  const AnsiString section = Trim(Section);
  if (section.empty() || HasLineBreak(section) || AnsiPos("]", section) != 0)
    InvalidName("section name", Section, FFileName);
}

void TCustomIniFile::AddSection(const AnsiString& Section) {
  CheckSectionName(Section);
  if (ContentForWriting().AddSection(Section)) ContentChanged();
}

void TCustomIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  CheckSectionName(Section);
  const AnsiString ident = Trim(Ident);
  if (ident.empty() || HasLineBreak(ident) || ident.find('=') != AnsiString::npos || ident[0] == ';' ||
      ident[0] == '[')
    InvalidName("key name", Ident, FFileName);
  if (HasLineBreak(Value)) InvalidName("value of key", Ident, FFileName);
  ContentForWriting().Write(Section, ident, Value);
  ContentChanged();
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

void TCustomIniFile::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, DateTimeToStr(Value));
}

void TCustomIniFile::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, TimeToStr(Value));
}

void TCustomIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) const {
  if (!Strings) return;
  const TIniContent& content = ContentForReading();
  Strings->BeginUpdate();
  Strings->Clear();
  if (const TSectionIndex* section = content.FindSection(Section))
    for (size_t i : section->Keys) Strings->Add(content.Lines[i].Name);
  Strings->EndUpdate();
}

void TCustomIniFile::ReadSections(TStrings* Strings) const {
  if (!Strings) return;
  const TIniContent& content = ContentForReading();
  Strings->BeginUpdate();
  Strings->Clear();
  for (const TSectionIndex& section : content.Sections) Strings->Add(content.Lines[section.Header].Name);
  Strings->EndUpdate();
}

void TCustomIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) const {
  if (!Strings) return;
  const TIniContent& content = ContentForReading();
  Strings->BeginUpdate();
  Strings->Clear();
  if (const TSectionIndex* section = content.FindSection(Section))
    for (size_t i : section->Keys) Strings->Add(content.Lines[i].Name + "=" + Unquote(content.Lines[i].Value));
  Strings->EndUpdate();
}

bool TCustomIniFile::SectionExists(const AnsiString& Section) const {
  return ContentForReading().FindSection(Section) != nullptr;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) const {
  return ContentForReading().FindKey(Section, Ident) != nullptr;
}

void TCustomIniFile::EraseSection(const AnsiString& Section) {
  if (ContentForWriting().EraseSection(Section)) ContentChanged();
}

void TCustomIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  if (ContentForWriting().DeleteKey(Section, Ident)) ContentChanged();
}

// ---- TMemIniFile ----

TMemIniFile::TMemIniFile(const AnsiString& FileName)
    : TCustomIniFile(FileName), FContent(std::make_unique<TIniContent>()) {
  LoadContent(*FContent);
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::UpdateFile() {
  SaveContent(*FContent);
  FModified = false;
}

void TMemIniFile::Reload() {
  LoadContent(*FContent);
  FModified = false;
}

const TIniContent& TMemIniFile::ContentForReading() const { return *FContent; }

TIniContent& TMemIniFile::ContentForWriting() { return *FContent; }

void TMemIniFile::ContentChanged() { FModified = true; }

// ---- TIniFile ----

TIniFile::TIniFile(const AnsiString& FileName) : TCustomIniFile(FileName), FContent(std::make_unique<TIniContent>()) {
  LoadContent(*FContent);
}

TIniFile::~TIniFile() = default;

void TIniFile::Refresh() const {
  if (!FContent->Loaded || TIniFileSignature::Of(FileName()) != FContent->Signature) LoadContent(*FContent);
}

const TIniContent& TIniFile::ContentForReading() const {
  Refresh();
  return *FContent;
}

TIniContent& TIniFile::ContentForWriting() {
  Refresh();
  return *FContent;
}

void TIniFile::ContentChanged() {
  try {
    SaveContent(*FContent);
  } catch (...) {
    // The change did not reach the file: read the file again next time
    // rather than show a value that is not there.
    FContent->Loaded = false;
    throw;
  }
  FContent->Signature = TIniFileSignature::Of(FileName());
}
