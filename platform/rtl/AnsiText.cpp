#include "platform/rtl/AnsiText.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"

namespace {

constexpr std::size_t npos = AnsiString::npos;

std::size_t ToSize(int Value) { return Value <= 0 ? 0 : static_cast<std::size_t>(Value); }
int ToInt(std::size_t Value) { return Value > INT_MAX ? INT_MAX : static_cast<int>(Value); }

// True when Offset is where a character starts (or the end of S).
bool IsBoundary(std::string_view S, std::size_t Offset, unsigned CodePage) {
  if (Offset == 0 || Offset >= S.size()) return true;
  if (!IsDBCSCodePage(CodePage)) return true;
  std::size_t pos = 0;
  while (pos < Offset) pos += CharSizeAt(S, pos, CodePage);
  return pos == Offset;
}

// 0-based offset of the first whole-character occurrence of Sub in S at or
// after From (which must be a character boundary).
std::size_t FindWholeChars(std::string_view S, std::string_view Sub, std::size_t From,
                           unsigned CodePage) {
  if (Sub.empty()) return npos;
  if (!IsDBCSCodePage(CodePage)) return S.find(Sub, From);
  std::size_t pos = From;
  for (;;) {
    std::size_t hit = S.find(Sub, pos);
    if (hit == npos) return npos;
    while (pos < hit) pos += CharSizeAt(S, pos, CodePage);
    if (pos != hit) continue;  // the hit starts on a trail byte
    std::size_t end = hit;
    while (end < hit + Sub.size()) end += CharSizeAt(S, end, CodePage);
    if (end == hit + Sub.size()) return hit;
    // The hit ends on the first byte of a double-byte character.
    pos = hit + CharSizeAt(S, hit, CodePage);
  }
}

// ---- Case tables -----------------------------------------------------------

// Per code page: the other case of every single-byte character and of the
// double-byte characters that have one. Built once from the code page's
// mapping so that the rules hold for whatever letters the page contains.
struct TCaseMap {
  unsigned char Upper[256];
  unsigned char Lower[256];
  std::unordered_map<std::uint16_t, std::uint16_t> UpperDouble;
  std::unordered_map<std::uint16_t, std::uint16_t> LowerDouble;
};

// The character's other case in the same code page with the same byte
// length, when it exists and maps back to that character exactly.
std::optional<AnsiString> OtherCase(const AnsiString& Bytes, char16_t Char, bool ToUpper,
                                    unsigned CodePage) {
  UChar32 mapped = ToUpper ? u_toupper(Char) : u_tolower(Char);
  if (mapped == Char || mapped > 0xFFFF) return std::nullopt;
  WideString wide(1, static_cast<char16_t>(mapped));
  int replacements = 0;
  AnsiString back = WideToAnsi(wide, CodePage, replacements);
  if (replacements != 0 || back.size() != Bytes.size()) return std::nullopt;
  if (AnsiToWide(back, CodePage, replacements) != wide || replacements != 0) return std::nullopt;
  return back;
}

std::unique_ptr<TCaseMap> BuildCaseMap(unsigned CodePage) {
  auto map = std::make_unique<TCaseMap>();
  for (int b = 0; b < 256; ++b) {
    map->Upper[b] = static_cast<unsigned char>(b);
    map->Lower[b] = static_cast<unsigned char>(b);
  }
  auto consider = [&](const AnsiString& bytes) {
    int replacements = 0;
    WideString wide = AnsiToWide(bytes, CodePage, replacements);
    if (replacements != 0 || wide.size() != 1) return;
    for (bool toUpper : {true, false}) {
      std::optional<AnsiString> other = OtherCase(bytes, wide[0], toUpper, CodePage);
      if (!other) continue;
      if (bytes.size() == 1) {
        (toUpper ? map->Upper : map->Lower)[static_cast<unsigned char>(bytes[0])] =
            static_cast<unsigned char>((*other)[0]);
      } else {
        auto key = [](const AnsiString& s) {
          return static_cast<std::uint16_t>((static_cast<unsigned char>(s[0]) << 8) |
                                            static_cast<unsigned char>(s[1]));
        };
        (toUpper ? map->UpperDouble : map->LowerDouble)[key(bytes)] = key(*other);
      }
    }
  };
  for (int b = 0; b < 256; ++b)
    if (!IsDBCSLeadByte(static_cast<unsigned char>(b), CodePage))
      consider(AnsiString(1, static_cast<char>(b)));
  if (IsDBCSCodePage(CodePage)) {
    for (int lead = 0x81; lead <= 0xFE; ++lead)
      for (int trail = 0x40; trail <= 0xFE; ++trail)
        if (trail != 0x7F) consider(AnsiString{static_cast<char>(lead), static_cast<char>(trail)});
  }
  return map;
}

const TCaseMap& CaseMapFor(unsigned CodePage) {
  static const unsigned kPages[] = {936, 950, 1252};  // the possible process code pages
  static std::once_flag once[std::size(kPages)];
  static std::unique_ptr<TCaseMap> maps[std::size(kPages)];
  for (std::size_t i = 0; i < std::size(kPages); ++i) {
    if (kPages[i] != CodePage) continue;
    std::call_once(once[i], [&] { maps[i] = BuildCaseMap(CodePage); });
    return *maps[i];
  }
  throw EConvertError("Code page " + std::to_string(CodePage) + " is not supported");
}

AnsiString ApplyCase(const AnsiString& S, bool ToUpper) {
  const unsigned codePage = GetACP();
  if (codePage == CP_UTF8) {
    // UTF-8 characters are not double-byte ones; only ASCII letters change.
    return ToUpper ? UpperCase(S) : LowerCase(S);
  }
  const TCaseMap& map = CaseMapFor(codePage);
  const unsigned char* single = ToUpper ? map.Upper : map.Lower;
  const auto& doubles = ToUpper ? map.UpperDouble : map.LowerDouble;
  AnsiString result = S;
  for (std::size_t i = 0; i < result.size();) {
    std::size_t size = CharSizeAt(result, i, codePage);
    if (size == 2) {
      auto key = static_cast<std::uint16_t>((static_cast<unsigned char>(result[i]) << 8) |
                                            static_cast<unsigned char>(result[i + 1]));
      auto it = doubles.find(key);
      if (it != doubles.end()) {
        result[i] = static_cast<char>(it->second >> 8);
        result[i + 1] = static_cast<char>(it->second & 0xFF);
      }
    } else {
      result[i] = static_cast<char>(single[static_cast<unsigned char>(result[i])]);
    }
    i += size;
  }
  return result;
}

AnsiString ApplyAsciiCase(const AnsiString& S, bool ToUpper) {
  const unsigned codePage = GetACP();
  const char from = ToUpper ? 'a' : 'A';
  const char to = ToUpper ? 'A' : 'a';
  AnsiString result = S;
  for (std::size_t i = 0; i < result.size();) {
    std::size_t size = CharSizeAt(result, i, codePage);
    if (size == 1 && result[i] >= from && result[i] <= from + 25)
      result[i] = static_cast<char>(result[i] - from + to);
    i += size;
  }
  return result;
}

// ---- Collation -------------------------------------------------------------

const char* CollationLocale(unsigned CodePage) {
  switch (CodePage) {
    case 936:
      return "zh";  // pinyin
    case 950:
      return "zh_TW";  // stroke count
    default:
      return "en_US";
  }
}

// Collators are opened per thread: a shared one would need locking around
// every comparison of a sort.
class TCollatorCache {
 public:
  ~TCollatorCache() {
    for (auto& entry : Entries) ucol_close(entry.second);
  }
  UCollator* Get(unsigned CodePage) {
    for (auto& entry : Entries)
      if (entry.first == CodePage) return entry.second;
    UErrorCode err = U_ZERO_ERROR;
    UCollator* collator = ucol_open(CollationLocale(CodePage), &err);
    if (U_FAILURE(err) || collator == nullptr)
      throw EConvertError(std::string("Cannot open the collation for ") +
                          CollationLocale(CodePage) + ": " + u_errorName(err));
    // Latin before Han, as Windows sorts; the Chinese tailorings put Han first.
    const int32_t noReordering = UCOL_REORDER_CODE_NONE;
    ucol_setReorderCodes(collator, &noReordering, 1, &err);
    if (U_FAILURE(err)) {
      ucol_close(collator);
      throw EConvertError(std::string("Cannot set up the collation: ") + u_errorName(err));
    }
    Entries.emplace_back(CodePage, collator);
    return collator;
  }

 private:
  std::vector<std::pair<unsigned, UCollator*>> Entries;
};

int Collate(const WideString& A, const WideString& B) {
  thread_local TCollatorCache cache;
  UCollator* collator = cache.Get(GetACP());
  UCollationResult result = ucol_strcoll(collator, A.data(), static_cast<int32_t>(A.size()),
                                         B.data(), static_cast<int32_t>(B.size()));
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

WideString FoldCase(const WideString& S) {
  if (S.empty()) return S;
  WideString folded(S.size() * 3, u'\0');  // full folding expands a character to at most three
  UErrorCode err = U_ZERO_ERROR;
  int32_t length = u_strFoldCase(folded.data(), static_cast<int32_t>(folded.size()), S.data(),
                                 static_cast<int32_t>(S.size()), U_FOLD_CASE_DEFAULT, &err);
  if (U_FAILURE(err)) return S;
  folded.resize(static_cast<std::size_t>(length));
  return folded;
}

int Sign(int Value) { return Value < 0 ? -1 : Value > 0 ? 1 : 0; }

// Offsets of every character start.
std::vector<std::size_t> CharStarts(std::string_view S, unsigned CodePage) {
  std::vector<std::size_t> starts;
  starts.reserve(S.size());
  for (std::size_t i = 0; i < S.size(); i += CharSizeAt(S, i, CodePage)) starts.push_back(i);
  return starts;
}

}  // namespace

// ---- Case ------------------------------------------------------------------

AnsiString AnsiUpperCase(const AnsiString& S) { return ApplyCase(S, true); }
AnsiString AnsiLowerCase(const AnsiString& S) { return ApplyCase(S, false); }
AnsiString UpperCase(const AnsiString& S) { return ApplyAsciiCase(S, true); }
AnsiString LowerCase(const AnsiString& S) { return ApplyAsciiCase(S, false); }

// ---- Comparison ------------------------------------------------------------

int CompareStr(const AnsiString& S1, const AnsiString& S2) {
  std::size_t common = std::min(S1.size(), S2.size());
  for (std::size_t i = 0; i < common; ++i) {
    int a = static_cast<unsigned char>(S1[i]);
    int b = static_cast<unsigned char>(S2[i]);
    if (a != b) return a - b;
  }
  return S1.size() < S2.size() ? -1 : S1.size() > S2.size() ? 1 : 0;
}

int CompareText(const AnsiString& S1, const AnsiString& S2) {
  return CompareStr(UpperCase(S1), UpperCase(S2));
}

bool SameText(const AnsiString& S1, const AnsiString& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

int AnsiCompareStr(const AnsiString& S1, const AnsiString& S2) {
  if (S1 == S2) return 0;
  int result = Collate(AnsiToWide(S1), AnsiToWide(S2));
  // Texts the collation cannot tell apart (ignorable or undecodable bytes)
  // still differ; keep the order total.
  return result != 0 ? result : Sign(CompareStr(S1, S2));
}

int AnsiCompareText(const AnsiString& S1, const AnsiString& S2) {
  if (S1 == S2) return 0;
  int result = Collate(FoldCase(AnsiToWide(S1)), FoldCase(AnsiToWide(S2)));
  return result != 0 ? result : Sign(CompareStr(AnsiUpperCase(S1), AnsiUpperCase(S2)));
}

bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2) { return S1 == S2; }

bool AnsiSameText(const AnsiString& S1, const AnsiString& S2) {
  return S1.size() == S2.size() && AnsiUpperCase(S1) == AnsiUpperCase(S2);
}

// ---- Trimming and pieces ---------------------------------------------------

AnsiString Trim(const AnsiString& S) { return TrimLeft(TrimRight(S)); }

AnsiString TrimLeft(const AnsiString& S) {
  std::size_t i = 0;
  while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  return S.substr(i);
}

AnsiString TrimRight(const AnsiString& S) {
  std::size_t n = S.size();
  while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(0, n);
}

AnsiString Copy(const AnsiString& S, int Index, int Count) {
  if (Count <= 0) return {};
  std::size_t start = Index < 1 ? 0 : static_cast<std::size_t>(Index) - 1;
  if (start >= S.size()) return {};
  return S.substr(start, static_cast<std::size_t>(Count));
}

void Delete(AnsiString& S, int Index, int Count) {
  if (Index < 1 || static_cast<std::size_t>(Index) > S.size() || Count <= 0) return;
  S.erase(static_cast<std::size_t>(Index) - 1, static_cast<std::size_t>(Count));
}

void Insert(const AnsiString& Source, AnsiString& S, int Index) {
  std::size_t at = Index < 1 ? 0 : std::min(static_cast<std::size_t>(Index) - 1, S.size());
  S.insert(at, Source);
}

AnsiString LeftStr(const AnsiString& S, int Count) { return Copy(S, 1, Count); }

AnsiString RightStr(const AnsiString& S, int Count) {
  std::size_t count = ToSize(Count);
  if (count >= S.size()) return S;
  return S.substr(S.size() - count);
}

AnsiString MidStr(const AnsiString& S, int Start, int Count) { return Copy(S, Start, Count); }

AnsiString AnsiLeftStr(const AnsiString& S, int Count) {
  return S.substr(0, ToSize(CharToByteLen(S, Count)));
}

AnsiString AnsiRightStr(const AnsiString& S, int Count) {
  std::vector<std::size_t> starts = CharStarts(S, GetACP());
  std::size_t count = ToSize(Count);
  if (count == 0) return {};
  if (count >= starts.size()) return S;
  return S.substr(starts[starts.size() - count]);
}

AnsiString AnsiMidStr(const AnsiString& S, int Start, int Count) {
  if (Count <= 0) return {};
  std::vector<std::size_t> starts = CharStarts(S, GetACP());
  std::size_t first = Start < 1 ? 0 : static_cast<std::size_t>(Start) - 1;
  if (first >= starts.size()) return {};
  std::size_t last = first + static_cast<std::size_t>(Count);
  std::size_t end = last >= starts.size() ? S.size() : starts[last];
  return S.substr(starts[first], end - starts[first]);
}

AnsiString TruncateBytes(const AnsiString& S, int MaxBytes) {
  const unsigned codePage = GetACP();
  std::size_t limit = ToSize(MaxBytes);
  if (limit >= S.size()) return S;
  std::size_t end = 0;
  for (;;) {
    std::size_t size = CharSizeAt(S, end, codePage);
    if (end + size > limit) break;
    end += size;
  }
  return S.substr(0, end);
}

int ByteToCharLen(const AnsiString& S, int MaxLen) {
  if (MaxLen <= 0) return 0;
  return ByteToCharIndex(S, std::min(MaxLen, ToInt(S.size())));
}

int ByteToCharIndex(const AnsiString& S, int Index) {
  if (Index < 1 || static_cast<std::size_t>(Index) > S.size()) return 0;
  const unsigned codePage = GetACP();
  int chars = 0;
  for (std::size_t pos = 0; pos < static_cast<std::size_t>(Index);
       pos += CharSizeAt(S, pos, codePage))
    ++chars;
  return chars;
}

int CharToByteLen(const AnsiString& S, int MaxLen) {
  const unsigned codePage = GetACP();
  std::size_t pos = 0;
  for (int chars = 0; chars < MaxLen && pos < S.size(); ++chars)
    pos += CharSizeAt(S, pos, codePage);
  return ToInt(pos);
}

int CharToByteIndex(const AnsiString& S, int Index) {
  if (Index < 1) return 0;
  const unsigned codePage = GetACP();
  std::size_t pos = 0;
  for (int chars = 1; chars < Index; ++chars) {
    if (pos >= S.size()) return 0;
    pos += CharSizeAt(S, pos, codePage);
  }
  return pos < S.size() ? ToInt(pos + 1) : 0;
}

const char* AnsiLastChar(const AnsiString& S) {
  if (S.empty()) return nullptr;
  std::vector<std::size_t> starts = CharStarts(S, GetACP());
  return S.data() + starts.back();
}

const char* AnsiStrLastChar(const char* P) {
  if (P == nullptr || *P == '\0') return nullptr;
  std::string_view text(P);
  const unsigned codePage = GetACP();
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharSizeAt(text, pos, codePage)) last = pos;
  return P + last;
}

// ---- Searching -------------------------------------------------------------

int Pos(const AnsiString& SubStr, const AnsiString& S) { return PosEx(SubStr, S, 1); }

int PosEx(const AnsiString& SubStr, const AnsiString& S, int Offset) {
  if (SubStr.empty() || Offset < 1 || static_cast<std::size_t>(Offset) > S.size()) return 0;
  std::size_t hit = S.find(SubStr, static_cast<std::size_t>(Offset) - 1);
  return hit == npos ? 0 : ToInt(hit + 1);
}

int AnsiPos(const AnsiString& SubStr, const AnsiString& S) {
  std::size_t hit = FindWholeChars(S, SubStr, 0, GetACP());
  return hit == npos ? 0 : ToInt(hit + 1);
}

bool IsDelimiter(const AnsiString& Delimiters, const AnsiString& S, int Index) {
  if (Index < 1 || static_cast<std::size_t>(Index) > S.size()) return false;
  if (ByteType(S, Index) != mbSingleByte) return false;
  return Delimiters.find(S[static_cast<std::size_t>(Index) - 1]) != npos;
}

int LastDelimiter(const AnsiString& Delimiters, const AnsiString& S) {
  const unsigned codePage = GetACP();
  int last = 0;
  for (std::size_t pos = 0; pos < S.size();) {
    std::size_t size = CharSizeAt(S, pos, codePage);
    if (size == 1 && Delimiters.find(S[pos]) != npos) last = ToInt(pos + 1);
    pos += size;
  }
  return last;
}

bool AnsiStartsStr(const AnsiString& SubText, const AnsiString& Text) {
  return Text.size() >= SubText.size() && Text.compare(0, SubText.size(), SubText) == 0 &&
         IsBoundary(Text, SubText.size(), GetACP());
}

bool AnsiStartsText(const AnsiString& SubText, const AnsiString& Text) {
  return Text.size() >= SubText.size() && IsBoundary(Text, SubText.size(), GetACP()) &&
         AnsiSameText(SubText, Text.substr(0, SubText.size()));
}

bool AnsiEndsStr(const AnsiString& SubText, const AnsiString& Text) {
  if (Text.size() < SubText.size()) return false;
  std::size_t start = Text.size() - SubText.size();
  return Text.compare(start, SubText.size(), SubText) == 0 && IsBoundary(Text, start, GetACP());
}

bool AnsiEndsText(const AnsiString& SubText, const AnsiString& Text) {
  if (Text.size() < SubText.size()) return false;
  std::size_t start = Text.size() - SubText.size();
  return IsBoundary(Text, start, GetACP()) && AnsiSameText(SubText, Text.substr(start));
}

bool AnsiContainsStr(const AnsiString& Text, const AnsiString& SubText) {
  return AnsiPos(SubText, Text) > 0;
}

bool AnsiContainsText(const AnsiString& Text, const AnsiString& SubText) {
  return AnsiPos(AnsiUpperCase(SubText), AnsiUpperCase(Text)) > 0;
}

int AnsiIndexStr(const AnsiString& Text, const std::vector<AnsiString>& Values) {
  for (std::size_t i = 0; i < Values.size(); ++i)
    if (AnsiSameStr(Text, Values[i])) return ToInt(i);
  return -1;
}

int AnsiIndexText(const AnsiString& Text, const std::vector<AnsiString>& Values) {
  for (std::size_t i = 0; i < Values.size(); ++i)
    if (AnsiSameText(Text, Values[i])) return ToInt(i);
  return -1;
}

// ---- Replacing and building ------------------------------------------------

AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern,
                         const AnsiString& NewPattern, TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const unsigned codePage = GetACP();
  const bool ignoreCase = Flags.Contains(rfIgnoreCase);
  // Case conversion keeps every character's byte length, so offsets found in
  // the converted text are offsets in S.
  const AnsiString searched = ignoreCase ? AnsiUpperCase(S) : AnsiString();
  const AnsiString pattern = ignoreCase ? AnsiUpperCase(OldPattern) : AnsiString();
  std::string_view in = ignoreCase ? std::string_view(searched) : std::string_view(S);
  std::string_view what = ignoreCase ? std::string_view(pattern) : std::string_view(OldPattern);

  AnsiString result;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = FindWholeChars(in, what, pos, codePage);
    if (hit == npos) break;
    result.append(S, pos, hit - pos);
    result += NewPattern;
    pos = hit + OldPattern.size();
    if (!Flags.Contains(rfReplaceAll)) break;
  }
  result.append(S, pos, npos);
  return result;
}

AnsiString AnsiReplaceStr(const AnsiString& Text, const AnsiString& FromText,
                          const AnsiString& ToText) {
  return StringReplace(Text, FromText, ToText, {rfReplaceAll});
}

AnsiString AnsiReplaceText(const AnsiString& Text, const AnsiString& FromText,
                           const AnsiString& ToText) {
  return StringReplace(Text, FromText, ToText, {rfReplaceAll, rfIgnoreCase});
}

AnsiString QuotedStr(const AnsiString& S) { return AnsiQuotedStr(S, '\''); }

AnsiString AnsiQuotedStr(const AnsiString& S, char Quote) {
  const unsigned codePage = GetACP();
  AnsiString result;
  result.reserve(S.size() + 2);
  result += Quote;
  for (std::size_t pos = 0; pos < S.size();) {
    std::size_t size = CharSizeAt(S, pos, codePage);
    if (size == 1 && S[pos] == Quote) result += Quote;
    result.append(S, pos, size);
    pos += size;
  }
  result += Quote;
  return result;
}

AnsiString AnsiExtractQuotedStr(std::string_view& Src, char Quote) {
  if (Src.empty() || Src.front() != Quote) return {};
  const unsigned codePage = GetACP();
  AnsiString result;
  std::size_t pos = 1;
  while (pos < Src.size()) {
    std::size_t size = CharSizeAt(Src, pos, codePage);
    if (size == 1 && Src[pos] == Quote) {
      if (pos + 1 < Src.size() && Src[pos + 1] == Quote) {
        result += Quote;
        pos += 2;
        continue;
      }
      ++pos;  // the closing quote
      break;
    }
    result.append(Src.substr(pos, size));
    pos += size;
  }
  Src.remove_prefix(pos);
  return result;
}

AnsiString AnsiDequotedStr(const AnsiString& S, char Quote) {
  std::string_view rest(S);
  AnsiString result = AnsiExtractQuotedStr(rest, Quote);
  const char* last = AnsiLastChar(S);
  bool quotedBothEnds =
      !S.empty() && S.front() == Quote && last == S.data() + S.size() - 1 && *last == Quote;
  // Not a quoted text (no opening or no closing quote): S as it is. A quoted
  // text followed by more keeps only the quoted part, as "'a'b" gives "a".
  if ((result.empty() || rest.empty()) && !S.empty() && !quotedBothEnds) return S;
  return result;
}

AnsiString StringOfChar(char Ch, int Count) { return AnsiString(ToSize(Count), Ch); }

AnsiString DupeString(const AnsiString& S, int Count) {
  AnsiString result;
  std::size_t count = ToSize(Count);
  result.reserve(S.size() * count);
  for (std::size_t i = 0; i < count; ++i) result += S;
  return result;
}

AnsiString ReverseString(const AnsiString& S) {
  std::vector<std::size_t> starts = CharStarts(S, GetACP());
  AnsiString result;
  result.reserve(S.size());
  std::size_t end = S.size();
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    result.append(S, *it, end - *it);
    end = *it;
  }
  return result;
}

AnsiString AnsiReverseString(const AnsiString& S) { return ReverseString(S); }

AnsiString AdjustLineBreaks(const AnsiString& S, TTextLineBreakStyle Style) {
  const unsigned codePage = GetACP();
  AnsiString result;
  result.reserve(S.size() + S.size() / 8);
  for (std::size_t pos = 0; pos < S.size();) {
    char c = S[pos];
    if (c == '\r' || c == '\n') {
      if (Style == tlbsCRLF) result += '\r';
      result += '\n';
      ++pos;
      // CR LF and LF CR are one break each.
      char partner = c == '\r' ? '\n' : '\r';
      if (pos < S.size() && S[pos] == partner) ++pos;
      continue;
    }
    std::size_t size = CharSizeAt(S, pos, codePage);
    result.append(S, pos, size);
    pos += size;
  }
  return result;
}
