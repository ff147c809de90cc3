#include "platform/vcl/WindowPicture.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

namespace {

struct TPainterRegistry {
  std::mutex Mutex;
  std::map<std::string, TControlPainter> Painters;
};

TPainterRegistry& Registry() {
  static TPainterRegistry registry;
  return registry;
}

// A colour a control may leave unset.
bool HasColor(TColor C) { return C != clNone && C != clDefault; }

void FillWith(TCanvas& Canvas, const TRect& R, TColor Color) {
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Brush()->SetColor(Color);
  Canvas.FillRect(R);
}

void UseFont(TCanvas& Canvas, const TControl& Control) {
  if (Control.Font()) Canvas.SetFont(Control.Font());
}

int LineHeightOf(TCanvas& Canvas, const TControl& Control) {
  UseFont(Canvas, Control);
  return Canvas.TextHeight("Ag");
}

// ---- The painters of the base classes ----------------------------------------

// A form's client area: its colour.
void PaintFormClient(TControl& Control, TCanvas& Canvas, const TRect& Bounds) {
  if (HasColor(Control.Color())) FillWith(Canvas, Bounds, Control.Color());
}

// A windowed control nobody told us about: its colour, a thin frame and the
// caption.
void PaintUnknownWindow(TControl& Control, TCanvas& Canvas, const TRect& Bounds) {
  if (HasColor(Control.Color())) FillWith(Canvas, Bounds, Control.Color());
  DrawFrame3D(Canvas, Bounds, clBtnShadow, clBtnShadow);
  DrawControlText(Canvas, Control, InflateRect(Bounds, -3, -2), Control.Caption(),
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

// A non-windowed control nobody told us about: a frame and the caption on
// the parent's background.
void PaintUnknownGraphic(TControl& Control, TCanvas& Canvas, const TRect& Bounds) {
  DrawFrame3D(Canvas, Bounds, clBtnShadow, clBtnShadow);
  DrawControlText(Canvas, Control, InflateRect(Bounds, -2, -1), Control.Caption(),
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

// Caption font of the desktop: the system's Chinese face on a Chinese
// system, Tahoma elsewhere.
void UseCaptionFont(TCanvas& Canvas) {
  TFont* f = Canvas.Font();
  unsigned acp = GetACP();
  if (acp == 936) {
    f->SetName(GB("宋体"));
    f->SetCharset(GB2312_CHARSET);
    f->SetSize(9);
  } else if (acp == 950) {
    f->SetName(Utf8ToAnsi("新細明體", 950));
    f->SetCharset(CHINESEBIG5_CHARSET);
    f->SetSize(9);
  } else {
    f->SetName("Tahoma");
    f->SetCharset(DEFAULT_CHARSET);
    f->SetSize(8);
  }
  f->SetStyle({fsBold});
  f->SetColor(clCaptionText);
}

TColor Mix(TColor A, TColor B, int Num, int Den) {
  int32_t a = ColorToRGB(A), b = ColorToRGB(B);
  auto ch = [&](int shift) {
    int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
    return (x + (y - x) * Num / std::max(1, Den)) << shift;
  };
  return ch(0) | ch(8) | ch(16);
}

// One of the little caption buttons: 0 close, 1 maximise, 2 minimise.
void DrawCaptionButton(TCanvas& Canvas, const TRect& R, int Kind) {
  FillWith(Canvas, R, clBtnFace);
  DrawEdge(Canvas, R, ekRaised);
  Canvas.Pen()->SetColor(clBtnText);
  Canvas.Pen()->SetWidth(1);
  int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  switch (Kind) {
    case 0:
      for (int d = 0; d < 2; ++d) {
        Canvas.MoveTo(cx - 4 + d, cy - 3);
        Canvas.LineTo(cx + 3 + d, cy + 4);
        Canvas.MoveTo(cx + 2 + d, cy - 3);
        Canvas.LineTo(cx - 5 + d, cy + 4);
      }
      break;
    case 1:
      Canvas.Brush()->SetColor(clBtnText);
      Canvas.FrameRect({cx - 5, cy - 4, cx + 4, cy + 4});
      Canvas.FillRect({cx - 5, cy - 3, cx + 4, cy - 2});
      break;
    default:
      Canvas.Brush()->SetColor(clBtnText);
      Canvas.FillRect({cx - 4, cy + 2, cx + 2, cy + 4});
      break;
  }
}

}  // namespace

// ---- Registry ------------------------------------------------------------------

void RegisterControlPainter(const TClassInfo& ClassInfo, TControlPainter Painter) {
  TPainterRegistry& r = Registry();
  std::lock_guard lock(r.Mutex);
  if (Painter)
    r.Painters[ClassInfo.Name] = Painter;
  else
    r.Painters.erase(ClassInfo.Name);
}

TControlPainter FindControlPainter(const TClassInfo& ClassInfo) {
  {
    TPainterRegistry& r = Registry();
    std::lock_guard lock(r.Mutex);
    for (const TClassInfo* c = &ClassInfo; c; c = c->Parent)
      if (auto it = r.Painters.find(c->Name); it != r.Painters.end()) return it->second;
  }
  if (ClassInfo.InheritsFrom(TCustomForm::StaticClass())) return PaintFormClient;
  if (ClassInfo.InheritsFrom(TWinControl::StaticClass())) return PaintUnknownWindow;
  return PaintUnknownGraphic;
}

// ---- Windows -------------------------------------------------------------------

namespace {
void PaintTree(TControl& Control, TCanvas& Canvas, int X, int Y, const TRect& ParentClip) {
  TRect clip = IntersectRect(ParentClip, Bounds(X, Y, Control.Width(), Control.Height()));
  if (clip.IsEmpty()) return;
  Canvas.SetOrigin({X, Y});
  Canvas.SetClipRect(clip);
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Brush()->SetColor(clBtnFace);
  Canvas.Pen()->SetColor(clBlack);
  Canvas.Pen()->SetWidth(1);
  Canvas.Pen()->SetStyle(psSolid);
  UseFont(Canvas, Control);
  FindControlPainter(Control.ClassType())(Control, Canvas, {0, 0, Control.Width(),
                                                            Control.Height()});
  auto* win = ObjectAs<TWinControl>(&Control);
  if (!win) return;
  // Windowed children lie above the parent's graphic controls.
  for (bool windowed : {false, true})
    for (int i = 0; i < win->ControlCount(); ++i) {
      TControl* child = win->Controls(i);
      if (!child || !child->Visible() || (ObjectAs<TWinControl>(child) != nullptr) != windowed)
        continue;
      PaintTree(*child, Canvas, X + child->Left(), Y + child->Top(), clip);
    }
}
}  // namespace

void PaintControlTree(TControl& Control, TCanvas& Canvas, int X, int Y) {
  TPoint origin = Canvas.Origin();
  TRect clip = Canvas.ClipRect();
  PaintTree(Control, Canvas, X + origin.X, Y + origin.Y, clip);
  Canvas.SetOrigin(origin);
  Canvas.SetClipRect(clip);
}

void DrawWindowToBitmap(TWinControl* Form, TBitmap& Out) {
  if (!Form) throw EInvalidOperation("No window to draw");
  auto* form = ObjectAs<TCustomForm>(Form);
  int border = 0, caption = 0;
  TFormBorderStyle style = form ? form->BorderStyle() : bsNone;
  if (style != bsNone) {
    border = (style == bsSizeable || style == bsSizeToolWin) ? 4 : 3;
    caption = (style == bsToolWindow || style == bsSizeToolWin) ? 16 : 19;
  }
  int w = std::max(1, Form->Width()), h = std::max(1, Form->Height());
  Out.SetPixelFormat(pf24bit);
  Out.SetSize(w + 2 * border, h + caption + 2 * border);
  TCanvas& c = *Out.Canvas();
  c.SetPixelsPerInch(96);
  c.SetOrigin({0, 0});
  c.ResetClip();
  TRect all{0, 0, Out.Width(), Out.Height()};
  FillWith(c, all, clBtnFace);
  if (border > 0) {
    DrawEdge(c, all, ekRaised);
    // The caption bar, shading from the active caption colour to its
    // gradient partner as the classic desktop draws it.
    TRect bar{border, border, border + w, border + caption - 1};
    for (int x = bar.Left; x < bar.Right; ++x) {
      c.Brush()->SetColor(Mix(clActiveCaption, clGradientActiveCaption, x - bar.Left, bar.Width()));
      c.FillRect({x, bar.Top, x + 1, bar.Bottom});
    }
    int buttonH = caption - 5, buttonW = buttonH + 2;
    int right = bar.Right - 2;
    if (!form || form->BorderIcons().Contains(biSystemMenu)) {
      DrawCaptionButton(c, {right - buttonW, bar.Top + 2, right, bar.Top + 2 + buttonH}, 0);
      right -= buttonW + 2;
      bool small = style == bsToolWindow || style == bsSizeToolWin || style == bsDialog;
      if (!small && form &&
          (form->BorderIcons().Contains(biMaximize) || form->BorderIcons().Contains(biMinimize))) {
        DrawCaptionButton(c, {right - buttonW, bar.Top + 2, right, bar.Top + 2 + buttonH}, 1);
        right -= buttonW;
        DrawCaptionButton(c, {right - buttonW, bar.Top + 2, right, bar.Top + 2 + buttonH}, 2);
        right -= buttonW + 2;
      }
    }
    UseCaptionFont(c);
    c.Brush()->SetStyle(bsClear);
    TRect text{bar.Left + 4, bar.Top, right - 2, bar.Bottom};
    c.DrawText(Form->Caption(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  PaintTree(*Form, c, border, border + caption, all);
  c.SetOrigin({0, 0});
  c.ResetClip();
}

void SaveWindowPicture(TWinControl* Form, const AnsiString& FileName) {
  TBitmap picture;
  DrawWindowToBitmap(Form, picture);
  picture.SaveToFile(FileName);
}

// ---- Building blocks -------------------------------------------------------------

void DrawFrame3D(TCanvas& Canvas, const TRect& R, TColor TopLeft, TColor BottomRight,
                 int Width) {
  TRect r = R;
  for (int i = 0; i < Width && !r.IsEmpty(); ++i) {
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(TopLeft);
    Canvas.FillRect({r.Left, r.Top, r.Right - 1, r.Top + 1});
    Canvas.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1});
    Canvas.Brush()->SetColor(BottomRight);
    Canvas.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
    Canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
    r = InflateRect(r, -1, -1);
  }
}

TRect DrawEdge(TCanvas& Canvas, const TRect& R, TEdgeKind Kind) {
  switch (Kind) {
    case ekRaised:
      DrawFrame3D(Canvas, R, cl3DLight, cl3DDkShadow);
      DrawFrame3D(Canvas, InflateRect(R, -1, -1), clBtnHighlight, clBtnShadow);
      return InflateRect(R, -2, -2);
    case ekSunken:
      DrawFrame3D(Canvas, R, clBtnShadow, clBtnHighlight);
      DrawFrame3D(Canvas, InflateRect(R, -1, -1), cl3DDkShadow, cl3DLight);
      return InflateRect(R, -2, -2);
    case ekEtched:
      DrawFrame3D(Canvas, R, clBtnShadow, clBtnHighlight);
      DrawFrame3D(Canvas, InflateRect(R, -1, -1), clBtnHighlight, clBtnShadow);
      return InflateRect(R, -2, -2);
    case ekRaisedInner:
      DrawFrame3D(Canvas, R, clBtnHighlight, clBtnShadow);
      return InflateRect(R, -1, -1);
    case ekSunkenInner:
      DrawFrame3D(Canvas, R, clBtnShadow, clBtnHighlight);
      return InflateRect(R, -1, -1);
  }
  return R;
}

void DrawControlText(TCanvas& Canvas, const TControl& Control, TRect R, const AnsiString& Text,
                     unsigned Flags) {
  if (Text.empty()) return;
  UseFont(Canvas, Control);
  Canvas.Brush()->SetStyle(bsClear);
  if (Control.Enabled()) {
    Canvas.DrawText(Text, R, Flags);
    return;
  }
  TColor saved = Canvas.Font()->Color();
  TRect shifted = OffsetRect(R, 1, 1);
  Canvas.Font()->SetColor(clBtnHighlight);
  Canvas.DrawText(Text, shifted, Flags);
  Canvas.Font()->SetColor(clBtnShadow);
  Canvas.DrawText(Text, R, Flags);
  Canvas.Font()->SetColor(saved);
}

void DrawPushButton(TCanvas& Canvas, const TControl& Control, const TRect& R,
                    const AnsiString& Caption, bool Down, bool IsDefault) {
  TRect r = R;
  FillWith(Canvas, r, clBtnFace);
  if (IsDefault) {
    DrawFrame3D(Canvas, r, cl3DDkShadow, cl3DDkShadow);
    r = InflateRect(r, -1, -1);
  }
  if (Down) {
    DrawFrame3D(Canvas, r, clBtnShadow, clBtnShadow);
    r = OffsetRect(InflateRect(r, -1, -1), 1, 1);
  } else {
    r = DrawEdge(Canvas, r, ekRaised);
  }
  DrawControlText(Canvas, Control, r, Caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawEditField(TCanvas& Canvas, const TControl& Control, const TRect& R,
                   const AnsiString& Text) {
  TRect inner = DrawEdge(Canvas, R, ekSunken);
  FillWith(Canvas, inner, Control.Enabled() && HasColor(Control.Color()) ? Control.Color()
                                                                        : clBtnFace);
  TRect text = InflateRect(inner, -2, 0);
  DrawControlText(Canvas, Control, text, Text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawComboField(TCanvas& Canvas, const TControl& Control, const TRect& R,
                    const AnsiString& Text) {
  TRect inner = DrawEdge(Canvas, R, ekSunken);
  FillWith(Canvas, inner, Control.Enabled() && HasColor(Control.Color()) ? Control.Color()
                                                                        : clBtnFace);
  int bw = std::min(16, inner.Width());
  TRect button{inner.Right - bw, inner.Top, inner.Right, inner.Bottom};
  FillWith(Canvas, button, clBtnFace);
  DrawEdge(Canvas, button, ekRaised);
  // The arrow: a small triangle pointing down.
  int cx = (button.Left + button.Right) / 2, cy = (button.Top + button.Bottom) / 2;
  Canvas.Brush()->SetColor(Control.Enabled() ? clBtnText : clGrayText);
  for (int i = 0; i < 4; ++i) Canvas.FillRect({cx - 3 + i, cy - 1 + i, cx + 4 - i, cy + i});
  TRect text{inner.Left + 2, inner.Top, button.Left - 1, inner.Bottom};
  DrawControlText(Canvas, Control, text, Text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawCheckControl(TCanvas& Canvas, const TControl& Control, const TRect& R,
                      const AnsiString& Caption, int State, bool Radio) {
  const int size = 13;
  int top = R.Top + (R.Height() - size) / 2;
  TRect box{R.Left, top, R.Left + size, top + size};
  TColor inside = (State == 2 || !Control.Enabled()) ? clBtnFace : clWindow;
  TColor mark = Control.Enabled() && State != 2 ? clWindowText : clBtnShadow;
  if (Radio) {
    // A 12-pixel circle by rows: the span of each row of the disc.
    static const int spans[12][2] = {{4, 8}, {2, 10}, {1, 11}, {1, 11}, {0, 12}, {0, 12},
                                     {0, 12}, {0, 12}, {1, 11}, {1, 11}, {2, 10}, {4, 8}};
    for (int y = 0; y < 12; ++y) {
      int x1 = box.Left + spans[y][0], x2 = box.Left + spans[y][1];
      bool upper = y < 6;
      FillWith(Canvas, {x1, box.Top + y, x2, box.Top + y + 1}, inside);
      Canvas.SetPixel(x1, box.Top + y, upper ? clBtnShadow : clBtnHighlight);
      Canvas.SetPixel(x2 - 1, box.Top + y, upper ? clBtnShadow : clBtnHighlight);
    }
    FillWith(Canvas, {box.Left + 4, box.Top, box.Left + 8, box.Top + 1}, clBtnShadow);
    FillWith(Canvas, {box.Left + 4, box.Top + 11, box.Left + 8, box.Top + 12}, clBtnHighlight);
    if (State == 1) {
      FillWith(Canvas, {box.Left + 4, box.Top + 5, box.Left + 8, box.Top + 7}, mark);
      FillWith(Canvas, {box.Left + 5, box.Top + 4, box.Left + 7, box.Top + 8}, mark);
    }
  } else {
    TRect inner = DrawEdge(Canvas, box, ekSunken);
    FillWith(Canvas, inner, inside);
    if (State != 0) {
      // The classic tick: seven columns, three pixels high.
      static const int rows[7] = {2, 3, 4, 3, 2, 1, 0};
      for (int i = 0; i < 7; ++i) {
        int x = inner.Left + 1 + i, y = inner.Top + 2 + rows[i];
        FillWith(Canvas, {x, y, x + 1, y + 3}, mark);
      }
    }
  }
  TRect text{box.Right + 4, R.Top, R.Right, R.Bottom};
  DrawControlText(Canvas, Control, text, Caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void DrawGroupFrame(TCanvas& Canvas, const TControl& Control, const TRect& R,
                    const AnsiString& Caption) {
  int line = LineHeightOf(Canvas, Control);
  if (HasColor(Control.Color())) FillWith(Canvas, R, Control.Color());
  DrawEdge(Canvas, {R.Left, R.Top + line / 2, R.Right, R.Bottom}, ekEtched);
  if (Caption.empty()) return;
  UseFont(Canvas, Control);
  int w = Canvas.TextWidth(Caption);
  TRect text{R.Left + 8, R.Top, R.Left + 8 + w + 4, R.Top + line};
  FillWith(Canvas, text, HasColor(Control.Color()) ? Control.Color() : clBtnFace);
  DrawControlText(Canvas, Control, {text.Left + 2, text.Top, text.Right, text.Bottom}, Caption,
                  DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void DrawListView(TCanvas& Canvas, const TControl& Control, const TRect& R,
                  const TListViewPicture& List) {
  TRect inner = DrawEdge(Canvas, R, ekSunken);
  FillWith(Canvas, inner, HasColor(Control.Color()) ? Control.Color() : clWindow);
  int line = LineHeightOf(Canvas, Control);
  std::vector<int> widths = List.ColumnWidths;
  size_t columns = std::max<size_t>(1, List.Columns.size());
  if (List.Columns.empty()) widths = {inner.Width()};
  widths.resize(columns, 64);

  int top = inner.Top;
  if (!List.Columns.empty()) {
    int headerH = line + 6, x = inner.Left;
    for (size_t i = 0; i < columns; ++i) {
      TRect cell{x, top, x + widths[i], top + headerH};
      FillWith(Canvas, cell, clBtnFace);
      DrawFrame3D(Canvas, cell, clBtnHighlight, cl3DDkShadow);
      DrawFrame3D(Canvas, InflateRect(cell, -1, -1), clBtnFace, clBtnShadow);
      DrawControlText(Canvas, Control, {cell.Left + 6, cell.Top, cell.Right - 4, cell.Bottom},
                      List.Columns[i], DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      x += widths[i];
    }
    // The rest of the header is an empty button.
    if (x < inner.Right) {
      TRect rest{x, top, inner.Right, top + headerH};
      FillWith(Canvas, rest, clBtnFace);
      DrawFrame3D(Canvas, rest, clBtnHighlight, cl3DDkShadow);
    }
    top += headerH;
  }
  int rowH = line + 2;
  for (size_t r = 0; r < List.Rows.size() && top < inner.Bottom; ++r, top += rowH) {
    bool selected = r < List.Selected.size() && List.Selected[r];
    TListRowStyle style;
    if (List.BeforeRow) {
      List.BeforeRow(r, {inner.Left, top, inner.Right, top + rowH}, style);
      if (!style.DefaultDraw) continue;
      if (HasColor(style.Back)) FillWith(Canvas, {inner.Left, top, inner.Right, top + rowH}, style.Back);
    }
    int x = inner.Left;
    for (size_t i = 0; i < columns && i < List.Rows[r].size(); ++i) {
      TRect cell{x + 2, top, x + widths[i] - 2, top + rowH};
      if (i == 0 && selected) {
        UseFont(Canvas, Control);
        int w = std::min(Canvas.TextWidth(List.Rows[r][0]) + 4, widths[i] - 2);
        FillWith(Canvas, {x + 2, top, x + 2 + w, top + rowH}, clHighlight);
      }
      TColor saved = HasColor(style.Text) ? style.Text : Control.Font() ? Control.Font()->Color() : clWindowText;
      UseFont(Canvas, Control);
      Canvas.Font()->SetColor(i == 0 && selected ? clHighlightText : saved);
      Canvas.Brush()->SetStyle(bsClear);
      TRect text{cell.Left + 2, cell.Top, cell.Right, cell.Bottom};
      Canvas.DrawText(List.Rows[r][i], text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      x += widths[i];
    }
  }
}

TRect DrawTabs(TCanvas& Canvas, const TControl& Control, const TRect& R,
               const std::vector<AnsiString>& Tabs, int ActiveTab) {
  int line = LineHeightOf(Canvas, Control);
  int tabH = line + 6;
  TRect page{R.Left, R.Top + tabH, R.Right, R.Bottom};
  if (HasColor(Control.Color())) FillWith(Canvas, page, Control.Color());
  DrawFrame3D(Canvas, page, clBtnHighlight, cl3DDkShadow);
  DrawFrame3D(Canvas, InflateRect(page, -1, -1), clBtnFace, clBtnShadow);

  std::vector<TRect> tabs;
  int x = R.Left + 2;
  for (const AnsiString& t : Tabs) {
    UseFont(Canvas, Control);
    int w = Canvas.TextWidth(t) + 12;
    tabs.push_back({x, R.Top + 2, x + w, page.Top});
    x += w;
  }
  auto drawTab = [&](size_t i, bool active) {
    TRect t = tabs[i];
    if (active) t = {t.Left - 2, R.Top, t.Right + 2, page.Top + 1};
    FillWith(Canvas, t, HasColor(Control.Color()) ? Control.Color() : clBtnFace);
    // Left and top in the highlight with a cut corner, right in the shadows.
    FillWith(Canvas, {t.Left, t.Top + 2, t.Left + 1, t.Bottom}, clBtnHighlight);
    Canvas.SetPixel(t.Left + 1, t.Top + 1, clBtnHighlight);
    FillWith(Canvas, {t.Left + 2, t.Top, t.Right - 2, t.Top + 1}, clBtnHighlight);
    FillWith(Canvas, {t.Right - 2, t.Top + 1, t.Right - 1, t.Bottom}, clBtnShadow);
    FillWith(Canvas, {t.Right - 1, t.Top + 2, t.Right, t.Bottom}, cl3DDkShadow);
    Canvas.SetPixel(t.Right - 2, t.Top + 1, cl3DDkShadow);
    TRect text{t.Left, t.Top + (active ? 1 : 0), t.Right, page.Top};
    DrawControlText(Canvas, Control, text, Tabs[i], DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  };
  for (size_t i = 0; i < tabs.size(); ++i)
    if (static_cast<int>(i) != ActiveTab) drawTab(i, false);
  if (ActiveTab >= 0 && ActiveTab < static_cast<int>(tabs.size())) drawTab(ActiveTab, true);
  return InflateRect(page, -4, -4);
}
