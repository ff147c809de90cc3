#pragma once
// Drawing a window to a picture in the plain classic style: the frame and
// caption bar of the form, then every visible control, parents before their
// children. This is how a window is looked at without a screen, and what a
// web front end reuses.
//
// How a control looks is registered per class (RegisterControlPainter); a
// class without a painter of its own uses the nearest ancestor's, and the
// base painters draw a frame and the caption. Painters get a canvas whose
// origin is the control's top-left corner and whose clip rectangle is the
// part of the control its parents leave visible; the building blocks below
// (edges, button faces, edit fields, check marks, list views, tabs) give every
// control the same classic look.

#include <functional>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/vcl/Graphics.h"

class TBitmap;
class TCanvas;
class TControl;
class TWinControl;
struct TClassInfo;

// Paints Control into Bounds (0, 0, Width, Height) of Canvas.
using TControlPainter = void (*)(TControl& Control, TCanvas& Canvas, const TRect& Bounds);

// Registers (or, with nullptr, removes) the painter of a class and its
// descendants without one of their own. Painters are registered by class
// name, so a class seen from another module finds its painter too.
void RegisterControlPainter(const TClassInfo& ClassInfo, TControlPainter Painter);
// The painter of the class or its nearest ancestor with one.
TControlPainter FindControlPainter(const TClassInfo& ClassInfo);

// The picture of Form with its frame and caption bar (none for a form
// without a border), at 96 pixels per inch, 24 bits a pixel. Form may be any
// windowed control; only forms get a frame.
void DrawWindowToBitmap(TWinControl* Form, TBitmap& Out);
// The same, written as PNG (or BMP when FileName does not end in ".png").
void SaveWindowPicture(TWinControl* Form, const AnsiString& FileName);
// Paints Control and its visible children with their painters into Canvas
// at (X, Y) (what DrawWindowToBitmap does for the client area).
void PaintControlTree(TControl& Control, TCanvas& Canvas, int X, int Y);

// ---- Building blocks of the classic look -------------------------------------

enum TEdgeKind {
  ekRaised,  // a button or raised panel: light outside top-left, dark bottom-right
  ekSunken,  // an edit field or list: the opposite, two pixels deep
  ekEtched,  // a group box frame
  ekRaisedInner,  // one-pixel raised bevel
  ekSunkenInner,  // one-pixel sunken bevel
};

// A frame of Width pixels: TopLeft on the top and left, BottomRight on the
// bottom and right.
void DrawFrame3D(TCanvas& Canvas, const TRect& R, TColor TopLeft, TColor BottomRight,
                 int Width = 1);
// The edge and the rectangle left inside it.
TRect DrawEdge(TCanvas& Canvas, const TRect& R, TEdgeKind Kind);
// Text in the control's font and colour; a disabled control's text is drawn
// embossed in the shadow and highlight colours.
void DrawControlText(TCanvas& Canvas, const TControl& Control, TRect R, const AnsiString& Text,
                     unsigned Flags);
// A push button: face, raised (or pressed) edge, a black outline when it is
// the default button, the caption centred.
void DrawPushButton(TCanvas& Canvas, const TControl& Control, const TRect& R,
                    const AnsiString& Caption, bool Down, bool IsDefault);
// An edit field: sunken edge, the control's colour, the text from the left
// with a small margin (nothing but the edge when Text is empty).
void DrawEditField(TCanvas& Canvas, const TControl& Control, const TRect& R,
                   const AnsiString& Text);
// A drop-down combo box: an edit field with the arrow button.
void DrawComboField(TCanvas& Canvas, const TControl& Control, const TRect& R,
                    const AnsiString& Text);
// The box of a check box (State 0 clear, 1 checked, 2 greyed) or the circle
// of a radio button, with the caption to its right.
void DrawCheckControl(TCanvas& Canvas, const TControl& Control, const TRect& R,
                      const AnsiString& Caption, int State, bool Radio);
// An etched group frame with its caption on the top line.
void DrawGroupFrame(TCanvas& Canvas, const TControl& Control, const TRect& R,
                    const AnsiString& Caption);

// How one row is drawn: its text and background colours (clNone: the
// list's own), or not at all when someone drew it already.
struct TListRowStyle {
  TColor Text = clNone;
  TColor Back = clNone;
  bool DefaultDraw = true;
};
struct TListViewPicture {
  std::vector<AnsiString> Columns;  // empty: a list without a header
  std::vector<int> ColumnWidths;
  std::vector<std::vector<AnsiString>> Rows;  // caption, then sub-items
  std::vector<bool> Selected;
  // Asked before each row is drawn, with the row's rectangle.
  std::function<void(size_t Row, const TRect& RowRect, TListRowStyle& Style)> BeforeRow;
};
// A report-style list view (or a list box: one column, no header).
void DrawListView(TCanvas& Canvas, const TControl& Control, const TRect& R,
                  const TListViewPicture& List);
// A row of tabs on top of a raised page frame; returns the page's inner
// rectangle. The active tab is raised above the others.
TRect DrawTabs(TCanvas& Canvas, const TControl& Control, const TRect& R,
               const std::vector<AnsiString>& Tabs, int ActiveTab);
