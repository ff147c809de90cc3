#include "platform/vcl/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"

#ifndef KW_FONTS_CONF
#define KW_FONTS_CONF "fonts/kw-fonts.conf"
#endif

unsigned CodePageOfCharset(TFontCharset Charset) {
  switch (Charset) {
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case DEFAULT_CHARSET: return GetACP();
    default: return 1252;
  }
}

namespace {

const char* LanguageOf(unsigned CodePage) {
  if (CodePage == 936) return "zh-cn";
  if (CodePage == 950) return "zh-tw";
  return "en";
}

// The Song face of a language: what characters missing from a Western face
// are drawn with.
const char* LinkFamilyOf(const std::string& Lang) {
  return Lang == "zh-tw" ? "新細明體" : "宋体";
}

struct TFaceRec {
  TFaceInfo Info;
  FT_Face Face = nullptr;
  int Id = 0;
  bool Embolden = false;  // bold asked of a face without a bold design
  bool Oblique = false;   // italic asked of a face without an italic design
  int CurrentPpem = -1;
  int UnitsPerEM = 1000;
  // Font units above and below the baseline of the character cell.
  int CellAscent = 800;
  int CellDescent = 200;
};

bool HasReplacement(const std::string& Utf8) { return Utf8.find("\xEF\xBF\xBD") != std::string::npos; }

// Family names compare as fontconfig compares them: ignoring ASCII case and
// blanks.
bool SameFamily(const std::string& A, const std::string& B) {
  auto fold = [](const std::string& S) {
    std::string r;
    for (char c : S)
      if (c != ' ') r += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return r;
  };
  return fold(A) == fold(B);
}

int RoundDiv(double V) { return static_cast<int>(std::lround(V)); }

}  // namespace

struct TFontEngine::TImpl {
  std::mutex Mutex;
  FT_Library Library = nullptr;
  FcConfig* Config = nullptr;
  std::vector<std::unique_ptr<TFaceRec>> Faces;
  std::map<std::tuple<std::string, int, int>, int> FacesByFile;  // file, index, synthesis
  // Font name bytes, charset and style to the face: spares decoding the name
  // on every text.
  std::map<std::tuple<std::string, int, int>, std::pair<TFaceRec*, std::string>> FacesByFont;
  std::map<std::tuple<std::string, int, std::string>, TFaceRec*> Resolved;  // name, style, lang
  std::unordered_map<uint64_t, std::unique_ptr<TGlyphImage>> Glyphs;
  std::set<std::string> Reported;

  TFaceRec* Resolve(const std::string& NameUtf8, bool Bold, bool Italic, const std::string& Lang);
  TFaceRec* OpenFace(const TFaceInfo& Info, bool Embolden, bool Oblique);
  void SetPpem(TFaceRec& Rec, int Ppem);
  const TGlyphImage* Glyph(TFaceRec& Rec, int Ppem, unsigned GlyphIndex);
  TFaceRec* FaceOf(const TFont& Font, std::string& Lang);
  TFaceRec* FaceOfName(const TFont& Font, unsigned CodePage, std::string& Lang);
  int PpemOf(const TFaceRec& Rec, const TFont& Font, int PixelsPerInch) const;
  TFontMetrics MetricsOf(const TFaceRec& Rec, int Ppem);
};

TFontEngine& TFontEngine::Instance() {
  static TFontEngine engine;
  return engine;
}

AnsiString TFontEngine::ConfigFile() {
  if (const char* env = std::getenv("KW_FONTS_CONF"); env && *env) return env;
  return KW_FONTS_CONF;
}

TFontEngine::TFontEngine() : FImpl(std::make_unique<TImpl>()) {
  if (FT_Init_FreeType(&FImpl->Library) != 0) throw Exception("The font rasteriser cannot start");
  FImpl->Config = FcConfigCreate();
  AnsiString file = ConfigFile();
  if (!FImpl->Config ||
      !FcConfigParseAndLoad(FImpl->Config, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue))
    throw Exception("The font configuration \"" + file + "\" cannot be read");
  FcConfigBuildFonts(FImpl->Config);
}

TFontEngine::~TFontEngine() {
  for (auto& f : FImpl->Faces)
    if (f->Face) FT_Done_Face(f->Face);
  if (FImpl->Library) FT_Done_FreeType(FImpl->Library);
  if (FImpl->Config) FcConfigDestroy(FImpl->Config);
}

TFaceRec* TFontEngine::TImpl::OpenFace(const TFaceInfo& Info, bool Embolden, bool Oblique) {
  auto key = std::make_tuple(std::string(Info.File), Info.Index, (Embolden ? 1 : 0) | (Oblique ? 2 : 0));
  if (auto it = FacesByFile.find(key); it != FacesByFile.end()) {
    // Same file, but the fallback flag belongs to the request.
    TFaceRec* shared = Faces[it->second].get();
    if (shared->Info.Fallback == Info.Fallback) return shared;
  }
  auto rec = std::make_unique<TFaceRec>();
  rec->Info = Info;
  rec->Embolden = Embolden;
  rec->Oblique = Oblique;
  rec->Id = static_cast<int>(Faces.size());
  if (!Info.File.empty() && FT_New_Face(Library, Info.File.c_str(), Info.Index, &rec->Face) != 0)
    rec->Face = nullptr;
  if (rec->Face) {
    rec->UnitsPerEM = rec->Face->units_per_EM ? rec->Face->units_per_EM : 1000;
    // The character cell: the horizontal header's ascender and descender,
    // unless they reach far beyond the em (CJK faces keep room for accents
    // there), where the typographic ones match the desktop's Song faces,
    // whose cell is one em.
    int asc = rec->Face->ascender;
    int desc = -rec->Face->descender;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(rec->Face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && asc + desc > rec->UnitsPerEM * 13 / 10 &&
        os2->sTypoAscender > 0)
    {
      asc = os2->sTypoAscender;
      desc = -os2->sTypoDescender;
    }
    rec->CellAscent = asc;
    rec->CellDescent = desc;
  }
  FacesByFile[key] = rec->Id;
  Faces.push_back(std::move(rec));
  return Faces.back().get();
}

TFaceRec* TFontEngine::TImpl::Resolve(const std::string& NameUtf8, bool Bold, bool Italic,
                                      const std::string& Lang) {
  int styleKey = (Bold ? 1 : 0) | (Italic ? 2 : 0);
  auto key = std::make_tuple(NameUtf8, styleKey, Lang);
  if (auto it = Resolved.find(key); it != Resolved.end()) return it->second;

  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(NameUtf8.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(Lang.c_str()));
  FcConfigSubstitute(Config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  // Our configuration adds no generic families, so the families the pattern
  // holds now are exactly the name and what it is mapped to.
  std::vector<std::string> expected;
  FcChar8* s = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &s) == FcResultMatch; ++i)
    expected.emplace_back(reinterpret_cast<const char*>(s));

  FcResult result;
  FcPattern* match = FcFontMatch(Config, pattern, &result);
  TFaceInfo info;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  bool known = false;
  if (match) {
    if (FcPatternGetString(match, FC_FILE, 0, &s) == FcResultMatch)
      info.File = reinterpret_cast<const char*>(s);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
      info.Index = index & 0xFFFF;  // the upper bits name a variable-font instance
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &s) == FcResultMatch; ++i) {
      if (i == 0) info.Family = reinterpret_cast<const char*>(s);
      for (const auto& e : expected)
        if (SameFamily(reinterpret_cast<const char*>(s), e)) known = true;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  info.Fallback = !known;
  // A name nobody maps gets the language's own face, as the desktop's font
  // mapper picks by charset; fontconfig's own choice may be a face with
  // another country's glyph forms.
  std::string standIn = Lang == "en" ? "Tahoma" : LinkFamilyOf(Lang);
  if (info.Fallback && !SameFamily(NameUtf8, standIn)) {
    TFaceRec* lang = Resolve(standIn, Bold, Italic, Lang);
    if (!lang->Info.Fallback) {
      info.File = lang->Info.File;
      info.Index = lang->Info.Index;
      info.Family = lang->Info.Family;
      weight = lang->Embolden ? FC_WEIGHT_REGULAR : (Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
      slant = lang->Oblique ? FC_SLANT_ROMAN : (Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    }
  }
  if (info.Fallback && Reported.insert(NameUtf8 + "\n" + Lang).second)
    std::fprintf(stderr, "Font \"%s\" (%s) is not installed; drawing with \"%s\".\n",
                 NameUtf8.c_str(), Lang.c_str(),
                 info.Family.empty() ? "nothing" : info.Family.c_str());

  TFaceRec* rec =
      OpenFace(info, Bold && weight < FC_WEIGHT_DEMIBOLD, Italic && slant == FC_SLANT_ROMAN);
  Resolved[key] = rec;
  return rec;
}

void TFontEngine::TImpl::SetPpem(TFaceRec& Rec, int Ppem) {
  if (!Rec.Face || Rec.CurrentPpem == Ppem) return;
  FT_Set_Pixel_Sizes(Rec.Face, 0, static_cast<FT_UInt>(Ppem));
  Rec.CurrentPpem = Ppem;
}

const TGlyphImage* TFontEngine::TImpl::Glyph(TFaceRec& Rec, int Ppem, unsigned GlyphIndex) {
  uint64_t key = (static_cast<uint64_t>(Rec.Id) << 48) |
                 (static_cast<uint64_t>(Ppem & 0xFFFF) << 32) | GlyphIndex;
  auto& slot = Glyphs[key];
  if (slot) return slot.get();
  slot = std::make_unique<TGlyphImage>();
  TGlyphImage& g = *slot;
  if (!Rec.Face) return &g;
  SetPpem(Rec, Ppem);
  // Unhinted outlines: the hinter pushes CJK strokes a pixel beyond the em
  // box (out of a one-em cell), and unhinted advances scale linearly with the
  // resolution, so a page measures alike on screen and on paper.
  if (FT_Load_Glyph(Rec.Face, GlyphIndex, FT_LOAD_NO_HINTING) != 0) return &g;
  FT_GlyphSlot gs = Rec.Face->glyph;
  if (Rec.Oblique) FT_GlyphSlot_Oblique(gs);
  if (Rec.Embolden) FT_GlyphSlot_Embolden(gs);
  g.Advance = static_cast<int>((gs->advance.x + 32) >> 6);
  if (FT_Render_Glyph(gs, FT_RENDER_MODE_NORMAL) != 0) return &g;
  const FT_Bitmap& bm = gs->bitmap;
  g.Left = gs->bitmap_left;
  g.Top = gs->bitmap_top;
  g.Width = static_cast<int>(bm.width);
  g.Rows = static_cast<int>(bm.rows);
  g.Coverage.assign(static_cast<size_t>(g.Width) * g.Rows, 0);
  for (int y = 0; y < g.Rows; ++y) {
    const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    for (int x = 0; x < g.Width; ++x) {
      uint8_t v;
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      else
        v = row[x];
      g.Coverage[static_cast<size_t>(y) * g.Width + x] = v;
    }
  }
  return &g;
}

TFaceRec* TFontEngine::TImpl::FaceOf(const TFont& Font, std::string& Lang) {
  unsigned cp = CodePageOfCharset(Font.Charset());
  int styleBits = (Font.Style().Contains(fsBold) ? 1 : 0) | (Font.Style().Contains(fsItalic) ? 2 : 0);
  // The code page, not the charset, so DEFAULT_CHARSET follows SetACP.
  auto key = std::make_tuple(std::string(Font.Name()), static_cast<int>(cp), styleBits);
  if (auto it = FacesByFont.find(key); it != FacesByFont.end()) {
    Lang = it->second.second;
    return it->second.first;
  }
  TFaceRec* rec = FaceOfName(Font, cp, Lang);
  FacesByFont[key] = {rec, Lang};
  return rec;
}

TFaceRec* TFontEngine::TImpl::FaceOfName(const TFont& Font, unsigned cp, std::string& Lang) {
  Lang = LanguageOf(cp);
  std::string name = AnsiToUtf8(Font.Name(), cp);
  // A name stored in the other Chinese code page still finds its face.
  for (unsigned other : {936u, 950u}) {
    if (!HasReplacement(name)) break;
    name = AnsiToUtf8(Font.Name(), other);
  }
  return Resolve(name, Font.Style().Contains(fsBold), Font.Style().Contains(fsItalic), Lang);
}

int TFontEngine::TImpl::PpemOf(const TFaceRec& Rec, const TFont& Font, int PixelsPerInch) const {
  int fontPpi = Font.PixelsPerInch() > 0 ? Font.PixelsPerInch() : 96;
  if (PixelsPerInch <= 0) PixelsPerInch = 96;
  double height = static_cast<double>(Font.Height()) * PixelsPerInch / fontPpi;
  int ppem;
  if (height < 0)
    ppem = RoundDiv(-height);
  else if (height > 0)
    // A cell height: the em is the part of it the face's cell gives the em.
    ppem = RoundDiv(height * Rec.UnitsPerEM / std::max(1, Rec.CellAscent + Rec.CellDescent));
  else
    ppem = RoundDiv(12.0 * PixelsPerInch / 96);  // the desktop's default size
  return std::clamp(ppem, 1, 0xFFFF);
}

TFontMetrics TFontEngine::TImpl::MetricsOf(const TFaceRec& Rec, int Ppem) {
  TFontMetrics m;
  double scale = static_cast<double>(Ppem) / Rec.UnitsPerEM;
  m.Height = static_cast<int>(std::lround((Rec.CellAscent + Rec.CellDescent) * scale));
  m.Ascent = std::min(m.Height, static_cast<int>(std::lround(Rec.CellAscent * scale)));
  m.Descent = m.Height - m.Ascent;
  m.InternalLeading = std::max(0, m.Height - Ppem);
  return m;
}

TFaceInfo TFontEngine::MatchFace(const AnsiString& Name, TFontStyles Style, TFontCharset Charset) {
  TFont font;
  font.SetName(Name);
  font.SetStyle(Style);
  font.SetCharset(Charset);
  std::lock_guard lock(FImpl->Mutex);
  std::string lang;
  return FImpl->FaceOf(font, lang)->Info;
}

bool TFontEngine::IsFallback(const AnsiString& Name, TFontStyles Style, TFontCharset Charset) {
  return MatchFace(Name, Style, Charset).Fallback;
}

void TFontEngine::Layout(const TFont& Font, const AnsiString& Text, int PixelsPerInch,
                         TTextLayout& Out) {
  Out.Glyphs.clear();
  Out.Width = 0;
  std::lock_guard lock(FImpl->Mutex);
  std::string lang;
  TFaceRec* face = FImpl->FaceOf(Font, lang);
  int ppem = FImpl->PpemOf(*face, Font, PixelsPerInch);
  Out.Metrics = FImpl->MetricsOf(*face, ppem);
  TFaceRec* link = nullptr;
  bool linkResolved = false;

  if (face->Face) {
    FT_UInt x = FT_Get_Char_Index(face->Face, 'x');
    Out.Metrics.AveCharWidth = x ? FImpl->Glyph(*face, ppem, x)->Advance : ppem / 2;
  }
  if (Text.empty()) return;

  WideString w = AnsiToWide(Text, CodePageOfCharset(Font.Charset()));
  int pen = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t c = w[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
    }
    TFaceRec* use = face;
    FT_UInt gi = face->Face ? FT_Get_Char_Index(face->Face, c) : 0;
    if (gi == 0) {
      if (!linkResolved) {
        link = FImpl->Resolve(LinkFamilyOf(lang), Font.Style().Contains(fsBold),
                              Font.Style().Contains(fsItalic), lang == "en" ? "zh-cn" : lang);
        linkResolved = true;
      }
      if (link && link != face && link->Face) {
        if (FT_UInt lg = FT_Get_Char_Index(link->Face, c)) {
          use = link;
          gi = lg;
        }
      }
    }
    const TGlyphImage* g = FImpl->Glyph(*use, ppem, gi);
    Out.Glyphs.push_back({g, pen});
    pen += g->Advance;
  }
  Out.Width = pen;
}

TFontMetrics TFontEngine::Metrics(const TFont& Font, int PixelsPerInch) {
  TTextLayout layout;
  Layout(Font, AnsiString(), PixelsPerInch, layout);
  return layout.Metrics;
}

TSize TFontEngine::TextExtent(const TFont& Font, const AnsiString& Text, int PixelsPerInch) {
  TTextLayout layout;
  Layout(Font, Text, PixelsPerInch, layout);
  return {layout.Width, layout.Metrics.Height};
}
