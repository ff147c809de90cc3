#include "src/report/LibStrs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Variant.h"

namespace {

// Byte offset of the first whole-character occurrence of Sub in S at or after
// From; npos when there is none. A trail byte of a double-byte character
// (GBK allows "\" and letters there) never starts or ends a match.
size_t FindWhole(const AnsiString& S, const AnsiString& Sub, size_t From = 0) {
  if (Sub.empty() || Sub.size() > S.size()) return AnsiString::npos;
  for (size_t i = 0; i < S.size(); i += CharSizeAt(S, i)) {
    if (i < From || S.compare(i, Sub.size(), Sub) != 0) continue;
    size_t end = i;
    while (end < i + Sub.size()) end += CharSizeAt(S, end);
    if (end == i + Sub.size()) return i;
  }
  return AnsiString::npos;
}

}  // namespace

// ---- Separator-delimited texts ----------------------------------------------

AnsiString GetToken(const AnsiString& S, const AnsiString& Separator, int N) {
  if (N < 1) return AnsiString();
  AnsiString rest = S;
  for (int field = 1; field < N; ++field) {
    const size_t at = FindWhole(rest, Separator);
    if (at == AnsiString::npos) return AnsiString();
    rest.erase(0, at + Separator.size());
  }
  const size_t at = FindWhole(rest, Separator);
  return at == AnsiString::npos ? rest : rest.substr(0, at);
}

int TokenCount(const AnsiString& S, const AnsiString& Separator) {
  if (S.empty()) return 0;
  int count = 1;
  for (size_t at = FindWhole(S, Separator); at != AnsiString::npos;
       at = FindWhole(S, Separator, at + Separator.size()))
    ++count;
  return count;
}

AnsiString SplitFirst(AnsiString& S, const AnsiString& Separator) {
  const size_t at = FindWhole(S, Separator);
  AnsiString head;
  if (at == AnsiString::npos) {
    head.swap(S);
  } else {
    head = S.substr(0, at);
    S.erase(0, at + Separator.size());
  }
  return head;
}

// ---- Padding and replacement --------------------------------------------------

AnsiString PadLeftStr(const AnsiString& S, int Width, char Pad) {
  if (Width <= 0 || S.size() >= static_cast<size_t>(Width)) return S;
  return AnsiString(Width - S.size(), Pad) + S;
}

AnsiString ZeroPadInt(int Width, int64_t Value) {
  return Format("%.*d", {Width < 0 ? 0 : Width, static_cast<long long>(Value)});
}

AnsiString ReplaceAllText(const AnsiString& S, const AnsiString& Old, const AnsiString& New,
                          bool TrimResult) {
  AnsiString result = S;
  if (!Old.empty() && AnsiUpperCase(Old) != AnsiUpperCase(New)) {
    if (FindWhole(New, Old) != AnsiString::npos) {
      result = StringReplace(result, Old, New, {rfReplaceAll});
    } else {
      // Replacements cascade: a new occurrence can only overlap the text just
      // inserted, so the search resumes a little before it. A shorter New ends
      // after at most one step per byte; a New as long as Old or longer could
      // in principle keep feeding itself, which the step and size limits stop
      // long after any real cascade has finished.
      const size_t limit = S.size() + New.size() + 16;
      size_t steps = limit * limit;
      for (size_t at = FindWhole(result, Old);
           at != AnsiString::npos && steps > 0 && result.size() <= 64 * limit; --steps) {
        result.replace(at, Old.size(), New);
        const size_t from = at + 1 >= Old.size() ? at + 1 - Old.size() : 0;
        at = FindWhole(result, Old, from);
      }
    }
  }
  return TrimResult ? Trim(result) : result;
}

// ---- Numbers ----------------------------------------------------------------------

namespace {

double RoundTo15Digits(double X) {
  if (!std::isfinite(X)) return X;
  char buffer[40];
  auto written = std::to_chars(buffer, buffer + sizeof buffer, X, std::chars_format::general, 15);
  double rounded = X;
  std::from_chars(buffer, written.ptr, rounded);
  return rounded;
}

}  // namespace

int CompareFloat(double A, double B) {
  const double a = RoundTo15Digits(A);
  const double b = RoundTo15Digits(B);
  if (std::fabs(a - b) < 1e-10) return 0;
  return a < b ? -1 : 1;
}

double StrToFloatOr(const AnsiString& S, double Default) {
  // [sign] digits [. digits] [e [sign] digits], blanks around allowed.
  const AnsiString text = Trim(S);
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t numberStart = !text.empty() && text[0] == '+' ? 1 : 0;
  size_t digits = 0;
  auto isDigit = [&](size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
  while (isDigit(i)) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (isDigit(i)) ++i, ++digits;
  }
  if (digits == 0) return Default;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!isDigit(i)) return Default;
    while (isDigit(i)) ++i;
  }
  if (i != text.size()) return Default;
  double value = 0;
  auto parsed = std::from_chars(text.data() + numberStart, text.data() + text.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) return Default;
  return value;
}

// ---- Variants -----------------------------------------------------------------------

Variant VarIIf(bool Flag, const Variant& A, const Variant& B) { return Flag ? A : B; }

bool VarIsBlank(const Variant& V) { return VarIsEmpty(V) || VarIsNull(V); }

bool LookupSwitch(const Variant& Table, const AnsiString& Name) {
  try {
    if (!VarIsArray(Table) || VarArrayDimCount(Table) != 2) return false;
    const AnsiString wanted = AnsiUpperCase(Name);
    const int high = VarArrayHighBound(Table, 2);
    for (int column = VarArrayLowBound(Table, 2); column <= high; ++column) {
      if (AnsiUpperCase(VarToStr(Table.GetElement({0, column}))) != wanted) continue;
      return Table.GetElement({1, column}).AsBoolean();
    }
    return true;
  } catch (const Exception&) {
    return false;
  }
}

WideString JoinVarList(const WideString& Prefix, const Variant& List) {
  const char16_t mark = u'\x03';
  int count = 0;
  if (VarIsArray(List) && VarArrayDimCount(List) == 1 && VarArrayHighBound(List, 1) >= 0) {
    try {
      count = List.GetElement({0}).AsInteger();
    } catch (const Exception&) {
      count = 0;
    }
    if (count > VarArrayHighBound(List, 1)) count = VarArrayHighBound(List, 1);
    if (count < 0) count = 0;
  }
  WideString result = Prefix + mark + AnsiToWide(IntToStr(count)) + mark;
  for (int i = 1; i <= count; ++i) result += VarToWideStr(List.GetElement({i})) + mark;
  return result;
}

WideString JoinVarList(const AnsiString& Prefix, const Variant& List) {
  return JoinVarList(AnsiToWide(Prefix), List);
}

// ---- Environment ----------------------------------------------------------------------

bool IsLocalHost(const AnsiString& Address) { return Address == "127.0.0.1"; }

AnsiString GetClientInstallPath() {
  try {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly("Software\\KWE\\Tandril")) return AnsiString();
    AnsiString path = registry.ReadString("ClientPath");
    if (path.empty()) path = registry.ReadString("ServerPath");
    return path;
  } catch (const Exception&) {
    return AnsiString();
  }
}

AnsiString AlertLogFolder() {
  AnsiString base = GetClientInstallPath();
  if (base.empty()) base = ExtractFilePath(GetExecutablePath());
  return IncludeTrailingPathDelimiter(NormalizePath(base)) + "Log";
}

bool WriteAlertLog(const AnsiString& LogName, const AnsiString& Text, const AnsiString& Period) {
  const TDateTime now = Now();
  const AnsiString stamp = FormatDateTime(Period == "M" ? "yyyymm" : Period == "Y" ? "yyyy"
                                                                                   : "yyyymmdd",
                                          now);
  const AnsiString folder = AlertLogFolder();
  if (!ForceDirectories(folder)) return false;
  AnsiString fileName = folder + "/Alert_" + LogName + "_" + stamp;
  if (LogName.find('.') == AnsiString::npos) fileName += ".log";

  // The separators are quoted so that the line keeps its shape whatever the
  // date and time separators of the settings are.
  const AnsiString line =
      "[" + FormatDateTime("yyyy'/'mm'/'dd hh':'nn':'ss':'zzz", now) + "] " + Text + "\r\n";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      std::fopen(ToSystemPath(fileName).c_str(), "ab"), &std::fclose);
  if (!file) return false;
  const bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  return std::fclose(file.release()) == 0 && written;
}

// ---- Code pages -------------------------------------------------------------------------

WideString AnsiToWideCP(const AnsiString& S, unsigned CodePage) {
  WideString result;
  if (CodePage == CP_ACP || IsValidCodePage(CodePage)) result = AnsiToWide(S, CodePage);
  if (result.empty() && !S.empty()) result = AnsiToWide(S, GetACP());
  return result;
}

namespace {

bool IsWideText(const Variant& V) { return VarType(V) == varOleStr; }

Variant Redecode(const Variant& V, unsigned CodePage) {
  const AnsiString bytes = IsWideText(V) ? WideToAnsi(V.AsWideString(), GetACP()) : V.AsString();
  return Variant(AnsiToWideCP(bytes, CodePage));
}

Variant ConvertArray(const Variant& V, unsigned CodePage) {
  Variant result = V;
  const int dims = VarArrayDimCount(V);
  if (dims == 1) {
    const int high = VarArrayHighBound(V, 1);
    for (int i = VarArrayLowBound(V, 1); i <= high; ++i) {
      const Variant element = V.GetElement({i});
      if (VarIsArray(element))
        result.PutElement({i}, ConvertArray(element, CodePage));
      else if (IsWideText(element))
        result.PutElement({i}, Redecode(element, CodePage));
    }
  } else if (dims == 2) {
    const int high1 = VarArrayHighBound(V, 1), high2 = VarArrayHighBound(V, 2);
    for (int i = VarArrayLowBound(V, 1); i <= high1; ++i)
      for (int j = VarArrayLowBound(V, 2); j <= high2; ++j) {
        const Variant element = V.GetElement({i, j});
        if (IsWideText(element)) result.PutElement({i, j}, Redecode(element, CodePage));
      }
  }
  return result;
}

}  // namespace

Variant ConvertVarCodePage(const Variant& V, unsigned CodePage) {
  if (VarIsEmpty(V) || VarIsNull(V)) return V;
  try {
    if (VarIsArray(V)) return ConvertArray(V, CodePage);
    if (VarIsStr(V)) return Redecode(V, CodePage);
    return V;
  } catch (const Exception& E) {
    WriteAlertLog("libstrs", "LINE[115] " + E.Message, "D");
    return V;
  }
}

// ---- Captions -----------------------------------------------------------------------------

AnsiString ButtonCaption(const AnsiString& Name) {
  struct TCaption {
    const char* Name;
    const AnsiString& Caption;
  };
  static const TCaption kCaptions[] = {
      {"Yes", GB("是(&Y)")},        {"No", GB("否(&N)")},         {"OK", GB("确定")},
      {"Cancel", GB("取消")},        {"Abort", GB("中断(&A)")},    {"Retry", GB("重试(&R)")},
      {"Ignore", GB("忽略(&I)")},    {"All", GB("全部(&A)")},      {"NoToAll", GB("全否(&o)")},
      {"YesToAll", GB("全是(&A)")},  {"Help", GB("帮助(&H)")},
  };
  for (const TCaption& entry : kCaptions)
    if (Name == entry.Name) return entry.Caption;
  return Name;
}
